// Window-free tests of the pointer and keyboard rules on real trees: picking, aiming,
// dropping, the key commands, and the drag state across loads and freed nodes.
#include "app/commands.h"
#include "app/input.h"
#include "app/loading.h"
#include "app/messages.h"
#include "clade/clade.h"
#include "clade/history.h"
#include "display/geometry.h"
#include "matrix/matrix.h"
#include "tests/app/app_test_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

// A window as many hundred pixels wide and high as the tree view has units: one tree unit
// is 100 pixels both ways.
int WindowWidth() {
    return static_cast<int>(TreeViewOf(gTaxonCount).Width() * 100);
}
int WindowHeight() {
    return static_cast<int>(TreeViewOf(gTaxonCount).Height() * 100);
}
float PixelX(float x) {
    return static_cast<float>((x - TreeViewOf(gTaxonCount).left) * 100);
}
float PixelY(float y) {
    return static_cast<float>((y - TreeViewOf(gTaxonCount).top) * 100);
}

void Press(float x, float y, int button = GLUT_LEFT_BUTTON, int state = GLUT_DOWN) {
    HandleMouse(button, state, PixelX(x), PixelY(y), WindowWidth(), WindowHeight());
}

void MoveTo(float x, float y) {
    HandlePassiveMotion(PixelX(x), PixelY(y), WindowWidth(), WindowHeight());
}

void DragTo(float x, float y) {
    HandleHeldMotion(PixelX(x), PixelY(y), WindowWidth(), WindowHeight());
}

void Release(float x, float y) {
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_UP, PixelX(x), PixelY(y), WindowWidth(), WindowHeight());
}

// The console output of one key press with the given modifiers.
std::string Key(int key, bool ctrl = false, bool alt = false, bool shift = false) {
    CaptureStdout();
    HandleKey(KeyPress{key, false, ctrl, alt, shift});
    return GetCapturedStdout();
}

std::string Listing() {
    CaptureStdout();
    gRoot->Dump(0);
    return GetCapturedStdout();
}

// Pick pass and drop-target pass at exact tree positions.
void PickAt(float x, float y) {
    gPressX = x;
    gPressY = y;
    PickNode(gRoot);
}

CladeNode* TargetAt(float x, float y) {
    gPointerX = x;
    gPointerY = y;
    FindDropTarget(gRoot);
    return gDropTarget;
}

std::string ConnectingLine(const CladeNode* moved, const CladeNode* target) {
    return "---------- Connecting #" + std::to_string(moved->id) + " before #" +
           std::to_string(target->id) + " -----------------\n";
}

class Input : public ::testing::Test {
  protected:
    void SetUp() override { ResetEditorState(); }
    void TearDown() override { ResetEditorState(); }

    // Initial comb trees. Three taxa: root (0, 0); "l" T0 (2, -1); "r" (1, 0.5);
    // "rl" T1 (2, 0); "rr" T2 (2, 1). Four taxa: "l" T0 (3, -1.5); "r" (1, 0.5);
    // "rl" T1 (3, -0.5); "rr" (2, 1); "rrl" T2 (3, 0.5); "rrr" T3 (3, 1.5).
    void LoadComb(int taxa) {
        CaptureStdout();
        ASSERT_TRUE(OpenDataFile(WriteCombFile(taxa).c_str()));
        GetCapturedStdout();
        ASSERT_EQ(gTaxonCount, taxa);
    }
};

TEST_F(Input, PickLimitIsStrictPointTwoInEachDirection) {
    LoadComb(3);
    CladeNode* leaf = NodeAt("rl"); // (2, 0)
    ASSERT_FLOAT_EQ(leaf->x, 2.0f);
    ASSERT_FLOAT_EQ(leaf->y, 0.0f);

    const float misses[][2] = {{2.2f, 0}, {1.8f, 0}, {2, 0.2f}, {2, -0.2f}};
    for (const auto& press : misses) {
        PickAt(press[0], press[1]);
        EXPECT_FALSE(leaf->isDragged) << press[0] << ", " << press[1];
    }
    const float hits[][2] = {{2.19f, 0}, {1.81f, 0}, {2, 0.19f}, {2.19f, -0.19f}};
    for (const auto& press : hits) {
        gDragNode = nullptr;
        PickAt(press[0], press[1]);
        EXPECT_TRUE(leaf->isDragged) << press[0] << ", " << press[1];
        EXPECT_EQ(gDragNode, leaf);
        leaf->isDragged = false;
    }
}

TEST_F(Input, RootIsNeverPickedAndAPressOnItClearsVisitedFlags) {
    LoadComb(3);
    NodeAt("rl")->isDragged = true;
    Press(0, 0);
    EXPECT_FALSE(gRoot->isDragged);
    EXPECT_FALSE(AnyDragged(gRoot));
    EXPECT_FALSE(gDragging);
    EXPECT_TRUE(gPressPending);
}

TEST_F(Input, SecondPressOnThePickedNodePutsItDown) {
    LoadComb(3);
    Press(2, 0);
    EXPECT_TRUE(gDragging);
    EXPECT_EQ(gDragNode, NodeAt("rl"));
    EXPECT_TRUE(NodeAt("rl")->isDragged);

    Press(2, 0);
    EXPECT_FALSE(NodeAt("rl")->isDragged);
    EXPECT_FALSE(gDragging);
}

TEST_F(Input, PressOnEmptySpacePutsTheCarriedNodeDown) {
    LoadComb(3);
    Press(2, -1);
    ASSERT_TRUE(gDragging);
    Press(0.5f, -1.5f);
    EXPECT_FALSE(AnyDragged(gRoot));
    EXPECT_FALSE(gDragging);
    EXPECT_TRUE(gPressPending) << "the press still waits for the controls";
}

TEST_F(Input, PickingANodeLeavesFlagsBelowItAlone) {
    LoadComb(3);
    NodeAt("rl")->isDragged = true; // a stale flag under the node about to be picked
    Press(1, 0.5f);
    EXPECT_TRUE(NodeAt("r")->isDragged);
    EXPECT_TRUE(NodeAt("rl")->isDragged);
    EXPECT_EQ(gDragNode, NodeAt("r"));
}

TEST_F(Input, OtherButtonsAndReleasesChangeNothing) {
    LoadComb(3);
    Press(2, 0, GLUT_RIGHT_BUTTON);
    Press(2, 0, GLUT_MIDDLE_BUTTON);
    Press(2, 0, GLUT_LEFT_BUTTON, GLUT_UP);
    EXPECT_FALSE(gPressPending);
    EXPECT_FALSE(AnyDragged(gRoot));
    EXPECT_FALSE(gDragging);
    EXPECT_EQ(gPressX, 0.0f);
    EXPECT_EQ(gPressY, 0.0f);
}

TEST_F(Input, PassiveMotionTracksThePointerAndAimsOnlyWhileCarrying) {
    LoadComb(3);
    MoveTo(1.5f, 0.25f); // on the branch into T1, nothing carried
    EXPECT_FLOAT_EQ(gPointerX, 1.5f);
    EXPECT_FLOAT_EQ(gPointerY, 0.25f);
    EXPECT_EQ(gDropTarget, nullptr);

    Press(2, -1); // carry T0
    MoveTo(1.5f, 0.25f);
    EXPECT_EQ(gDropTarget, NodeAt("rl"));
    MoveTo(1.5f, 0.35f); // still within 0.2 of the line
    EXPECT_EQ(gDropTarget, NodeAt("rl"));
    MoveTo(0.5f, -1.5f); // off every branch
    EXPECT_EQ(gDropTarget, nullptr);
    // The picked node's own branch is no target.
    MoveTo(1, -0.5f);
    EXPECT_EQ(gDropTarget, nullptr);
}

TEST_F(Input, BranchZonesStopShortOfBothEndsAndReachPointTwoSideways) {
    LoadComb(3);
    Press(2, -1);                    // carry T0
    CladeNode* upper = NodeAt("rl"); // T1 (2, 0), its branch from (1, 0.5)
    CladeNode* lower = NodeAt("rr"); // T2 (2, 1), its branch from (1, 0.5) too
    // Within 0.2 (in x) of the node itself: no target.
    EXPECT_EQ(TargetAt(1.79f, 0.105f), upper);
    EXPECT_EQ(TargetAt(1.81f, 0.095f), nullptr);
    // Within 0.2 of the parent: no target either.
    EXPECT_EQ(TargetAt(1.19f, 0.405f), nullptr);
    // Just past it the two children's zones overlap, and the later one in pre-order wins.
    EXPECT_EQ(TargetAt(1.21f, 0.395f), lower);
    // Sideways the zone reaches 0.2, measured square to the branch.
    const float nx = 0.5f / std::sqrt(1.25f);
    const float ny = 1.0f / std::sqrt(1.25f);
    EXPECT_EQ(TargetAt(1.5f + 0.19f * nx, 0.25f + 0.19f * ny), upper);
    EXPECT_EQ(TargetAt(1.5f + 0.21f * nx, 0.25f + 0.21f * ny), nullptr);
    EXPECT_EQ(TargetAt(1.5f - 0.19f * nx, 0.25f - 0.19f * ny), upper);
}

TEST_F(Input, CarriedNodesChildrenOfferNoTargetButItsGrandchildrenDo) {
    LoadComb(4);
    CladeNode* carried = NodeAt("r");      // (1, 0.5)
    CladeNode* grandchild = NodeAt("rrl"); // T2 (3, 0.5) under "rr" (2, 1)
    Press(1, 0.5f);
    ASSERT_EQ(gDragNode, carried);
    MoveTo(2, 0); // branch into the child T1
    EXPECT_EQ(gDropTarget, nullptr);
    MoveTo(1.5f, 0.75f); // branch into the child "rr"
    EXPECT_EQ(gDropTarget, nullptr);
    MoveTo(2.5f, 0.75f); // branch into the grandchild T2
    EXPECT_EQ(gDropTarget, grandchild);

    // Dropping there dissolves the carried node: its other child moves next to T2.
    CladeNode* otherChild = NodeAt("rl");
    CladeNode* keptChild = NodeAt("rr");
    const std::string expected = ConnectingLine(carried, grandchild);
    CaptureStdout();
    Press(2.5f, 0.75f);
    const std::string output = GetCapturedStdout();
    EXPECT_EQ(output.substr(0, expected.size()), expected);
    EXPECT_FALSE(gDragging);
    EXPECT_EQ(gDropTarget, nullptr);
    EXPECT_FALSE(AnyDragged(gRoot));
    EXPECT_EQ(gRoot->right, keptChild);
    EXPECT_EQ(grandchild->parent->right, otherChild);
}

TEST_F(Input, DropReattachesTheCarriedNodeAndListsTheTree) {
    LoadComb(3);
    CladeNode* moved = NodeAt("rr"); // T2 (2, 1)
    CladeNode* target = NodeAt("l"); // T0 (2, -1), its branch from the root
    Press(2, 1);
    MoveTo(1, -0.5f);
    ASSERT_EQ(gDropTarget, target);

    const std::string expected = ConnectingLine(moved, target);
    CaptureStdout();
    Press(1, -0.5f);
    const std::string output = GetCapturedStdout();
    ASSERT_GE(output.size(), expected.size());
    EXPECT_EQ(output.substr(0, expected.size()), expected);
    EXPECT_NE(output.find("ROOT"), std::string::npos) << "the new tree is listed";
    EXPECT_EQ(NodeAt("l")->left, target);
    EXPECT_EQ(NodeAt("l")->right, moved);
    EXPECT_FALSE(moved->isDragged);
    EXPECT_FALSE(gDragging);
    EXPECT_EQ(gDropTarget, nullptr);
    EXPECT_TRUE(gPressPending);
}

TEST_F(Input, RootStemLimits) {
    LoadComb(3);
    Press(2, -1);
    ASSERT_TRUE(gDragging);
    EXPECT_EQ(TargetAt(-0.5f, 0), gRoot);
    EXPECT_EQ(TargetAt(-0.5f, 0.099f), gRoot);
    EXPECT_EQ(TargetAt(-0.5f, -0.099f), gRoot);
    EXPECT_EQ(TargetAt(-0.5f, 0.1f), nullptr);
    EXPECT_EQ(TargetAt(-0.5f, -0.1f), nullptr);
    EXPECT_EQ(TargetAt(std::nextafter(-1.0f, 0.0f), 0), gRoot);
    EXPECT_EQ(TargetAt(-1.0f, 0), nullptr);
    EXPECT_EQ(TargetAt(-0.21f, 0), gRoot);
    EXPECT_EQ(TargetAt(-0.19999999f, 0), nullptr);
}

TEST_F(Input, NumberKeysRunTheirFixedMovesAndIgnoreMissingNodes) {
    LoadComb(2);
    CaptureStdout();
    OnKeyboard('1', 0, 0); // root.left is a leaf
    OnKeyboard('2', 0, 0); // root.right is a leaf
    OnKeyboard('3', 0, 0);
    EXPECT_EQ(GetCapturedStdout(), "");

    LoadComb(3);
    CladeNode* oldRoot = gRoot;
    CladeNode* lastLeaf = NodeAt("rr");
    CaptureStdout();
    OnKeyboard('2', 0, 0);
    EXPECT_EQ(GetCapturedStdout().rfind(ConnectingLine(lastLeaf, oldRoot), 0), 0u);
    EXPECT_EQ(gRoot->right, lastLeaf);

    // Now the root's left child is internal, so '1' has a node to move.
    CladeNode* moved = NodeAt("ll");
    ASSERT_NE(moved, nullptr);
    CladeNode* root = gRoot;
    CaptureStdout();
    OnKeyboard('1', 0, 0);
    EXPECT_EQ(GetCapturedStdout().rfind(ConnectingLine(moved, root), 0), 0u);

    LoadComb(3);
    lastLeaf = NodeAt("rr");
    CladeNode* firstChild = NodeAt("l");
    CaptureStdout();
    OnKeyboard('3', 0, 0);
    EXPECT_EQ(GetCapturedStdout().rfind(ConnectingLine(lastLeaf, firstChild), 0), 0u);
    EXPECT_EQ(firstChild->parent->right, lastLeaf);
}

TEST_F(Input, KeyMovesDropTheDragState) {
    LoadComb(3);
    Press(2, -1);
    MoveTo(1.5f, 0.25f);
    ASSERT_NE(gDropTarget, nullptr);
    CaptureStdout();
    OnKeyboard('2', 0, 0);
    GetCapturedStdout();
    EXPECT_FALSE(gDragging);
    EXPECT_EQ(gDragNode, nullptr);
    EXPECT_EQ(gDropTarget, nullptr);
    EXPECT_FALSE(AnyDragged(gRoot));
}

TEST_F(Input, LowerCaseFRelaysOutAndLowerCaseCCompacts) {
    LoadComb(3);
    CladeNode* inner = NodeAt("r");
    inner->x = 42;
    OnKeyboard('F', 0, 0);
    EXPECT_EQ(inner->x, 42.0f);
    OnKeyboard('f', 0, 0);
    EXPECT_EQ(inner->x, 1.0f);

    // Put a single-child node above T0 and aim at it.
    CladeNode* leaf = NodeAt("l");
    CladeNode* single = new CladeNode();
    single->parent = gRoot;
    gRoot->left = single;
    single->left = leaf;
    leaf->parent = single;
    gDragging = true;
    gDragNode = NodeAt("rl");
    gDropTarget = single;

    CaptureStdout();
    OnKeyboard('C', 0, 0);
    OnKeyboard('x', 0, 0);
    EXPECT_EQ(gRoot->left, single);
    EXPECT_TRUE(gDragging);
    OnKeyboard('c', 0, 0);
    EXPECT_EQ(GetCapturedStdout(), "") << "'c' does not list the tree";
    EXPECT_EQ(gRoot->left, leaf);
    EXPECT_EQ(leaf->parent, gRoot);
    // The freed node was the drop target: the drag state is gone with it.
    EXPECT_EQ(gDropTarget, nullptr);
    EXPECT_EQ(gDragNode, nullptr);
    EXPECT_FALSE(gDragging);
}

TEST_F(Input, LoadingReplacesTheTreeAndForgetsTheDragState) {
    LoadComb(3);
    Press(2, -1);
    MoveTo(1.5f, 0.25f);
    ASSERT_NE(gDropTarget, nullptr);

    CladeNode* root = gRoot;
    Refusal whyNot;
    EXPECT_FALSE(OpenDataFile((::testing::TempDir() + "no-such-file.csv").c_str(), &whyNot));
    EXPECT_FALSE(whyNot.text.empty());
    EXPECT_EQ(gRoot, root) << "a file that cannot be read changes nothing";
    EXPECT_TRUE(gDragging);
    EXPECT_EQ(gDropTarget, NodeAt("rl"));

    LoadComb(4);
    EXPECT_NE(gRoot, nullptr);
    EXPECT_FALSE(gDragging);
    EXPECT_EQ(gDragNode, nullptr);
    EXPECT_EQ(gDropTarget, nullptr);
}

TEST_F(Input, CommandKeysUndoRedoRevertAndPutDown) {
    LoadComb(4);
    const std::string loaded = Listing();
    // With Ctrl or Alt held no plain-key command runs (freeglut passes Ctrl+2 as '2').
    EXPECT_EQ(Key('2', true), "");
    EXPECT_EQ(Key('c', false, true), "");
    EXPECT_EQ(UndoStepCount(), 0u);

    EXPECT_NE(Key('2'), "");
    const std::string moved = Listing();
    const int ctrlZ = 'z' - 'a' + 1;
    const int ctrlY = 'y' - 'a' + 1;
    const int ctrlR = 'r' - 'a' + 1;
    EXPECT_EQ(Key(ctrlZ, true), loaded);
    EXPECT_EQ(Key(ctrlZ, true, false, true), moved) << "Ctrl+Shift+Z redoes";
    EXPECT_EQ(Key(ctrlZ, true), loaded);
    EXPECT_EQ(Key(ctrlY, true), moved);
    EXPECT_EQ(Key(ctrlY, true), "");
    EXPECT_EQ(CurrentMessage(), "Nothing to redo");
    EXPECT_EQ(Key(ctrlR, true), loaded);
    EXPECT_EQ(Key(ctrlZ, true), moved) << "going back to the loaded tree is undone too";

    // Escape puts a picked node down and changes nothing else.
    Press(3, 1.5f);
    ASSERT_TRUE(gDragging);
    EXPECT_EQ(Key(27), "");
    EXPECT_FALSE(gDragging);
    EXPECT_FALSE(AnyDragged(gRoot));
    EXPECT_EQ(Listing(), moved);

    // The help overlay takes the next key, which then does nothing else.
    EXPECT_EQ(Key('?'), "");
    EXPECT_TRUE(HelpShown());
    EXPECT_EQ(Key('2'), "");
    EXPECT_FALSE(HelpShown());
}

// Shift is known in the order the key events came: a Shift key's release that arrives
// after Ctrl+Z was pressed but before it is handled does not matter, and Caps Lock (which
// sets GLUT's Shift bit without a Shift key event) never turns undo into redo.
TEST_F(Input, ShiftFollowsItsOwnKeyEvents) {
    constexpr int ctrlZ = 'z' - 'a' + 1;
    enum Event { ShiftDown, ShiftUp, RightShiftDown, CtrlZ, CtrlZWithShiftBit };
    struct Case {
        const char* what;
        std::vector<Event> events; // the last is the Ctrl+Z whose outcome counts
        bool redoes;
    };
    const Case cases[] = {
        {"Ctrl+Shift+Z", {ShiftDown, CtrlZWithShiftBit}, true},
        {"the right Shift key", {RightShiftDown, CtrlZWithShiftBit}, true},
        {"Caps Lock", {CtrlZWithShiftBit}, false},
        {"Shift pressed and let go before", {ShiftDown, ShiftUp, CtrlZWithShiftBit}, false},
        {"a Shift release missed while away", {ShiftDown, CtrlZ}, false},
    };
    LoadComb(4);
    const std::string loaded = Listing();
    Key('2');
    const std::string moved = Listing();
    for (const Case& c : cases) {
        ResetInteraction();
        Key(ctrlZ, true); // undone: a redo step waits
        ASSERT_EQ(Listing(), loaded) << c.what;
        for (Event e : c.events) {
            if (e == ShiftDown || e == RightShiftDown)
                HandleKeyEvent(e == ShiftDown ? GLUT_KEY_SHIFT_L : GLUT_KEY_SHIFT_R, true,
                               GLUT_ACTIVE_SHIFT);
            else if (e == ShiftUp)
                HandleSpecialKeyUp(GLUT_KEY_SHIFT_L);
            else
                HandleKeyEvent(ctrlZ, false,
                               GLUT_ACTIVE_CTRL | (e == CtrlZWithShiftBit ? GLUT_ACTIVE_SHIFT : 0));
        }
        // The Shift release of a quick Ctrl+Shift+Z comes after; it changes nothing.
        HandleSpecialKeyUp(GLUT_KEY_SHIFT_L);
        HandleSpecialKeyUp(GLUT_KEY_SHIFT_R);
        EXPECT_EQ(Listing(), c.redoes ? moved : loaded) << c.what;
        if (!c.redoes) Key(ctrlZ, true, false, true); // Ctrl+Shift+Z: back to the moved tree
        ASSERT_EQ(Listing(), moved) << c.what;
    }
    // A modifier key alone is no action: the message line stays.
    Key(ctrlZ, true);
    Key(ctrlZ, true);
    ASSERT_EQ(CurrentMessage(), "Nothing to undo");
    HandleKeyEvent(GLUT_KEY_CTRL_L, true, GLUT_ACTIVE_CTRL);
    EXPECT_EQ(CurrentMessage(), "Nothing to undo");
}

TEST_F(Input, PressDragReleaseDropsLikeTwoClicks) {
    // T2 (2, 1) dragged onto the middle of T0's branch, (1, -0.5).
    LoadComb(3);
    CladeNode* t2 = NodeAt("rr");
    CladeNode* t0 = NodeAt("l");
    Press(2, 1);
    DragTo(1, -0.5f);
    ASSERT_EQ(gDropTarget, t0);
    CaptureStdout();
    Release(1, -0.5f);
    EXPECT_EQ(GetCapturedStdout().rfind(ConnectingLine(t2, t0), 0), 0u);
    EXPECT_FALSE(gDragging);
    EXPECT_EQ(t2->parent, t0->parent);

    // A release with no target, or a release without motion, keeps the node picked; then
    // move and click drops it as before.
    for (bool dragged : {true, false}) {
        LoadComb(3);
        t2 = NodeAt("rr");
        t0 = NodeAt("l");
        Press(2, 1);
        if (dragged) DragTo(0.5f, -1.4f);
        CaptureStdout();
        Release(dragged ? 0.5f : 2.0f, dragged ? -1.4f : 1.0f);
        EXPECT_EQ(GetCapturedStdout(), "");
        EXPECT_TRUE(gDragging);
        EXPECT_TRUE(t2->isDragged);
        MoveTo(1, -0.5f);
        CaptureStdout();
        Press(1, -0.5f);
        Release(1, -0.5f);
        EXPECT_EQ(GetCapturedStdout().rfind(ConnectingLine(t2, t0), 0), 0u);
    }
}

} // namespace
