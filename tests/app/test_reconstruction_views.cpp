// Window-free tests of the views of a reconstruction as the keys drive them: 'm' switches
// the markers' rule, 't' and the arrows walk through the characters (wrapping at both
// ends), Escape ends the trace along with the pick; the views follow every kind of tree
// change, and a new data file ends the trace.
#include "app/commands.h"
#include "app/input.h"
#include "app/loading.h"
#include "app/parsimony_tools.h"
#include "app/reconstruction_views.h"
#include "app/tree_change.h"
#include "tests/app/app_test_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const std::string kVertebrates = std::string(QM_EXAMPLES_DIR) + "/vertebrates.csv";
constexpr int kEscape = 27;

class ReconstructionViewsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEditorState();
        ResetReconstructionViews();
        CaptureStdout();
        ASSERT_TRUE(OpenDataFile(kVertebrates.c_str()));
        GetCapturedStdout();
    }
    void TearDown() override {
        ResetReconstructionViews();
        ResetEditorState();
    }
};

bool Key(int key, bool special = false) {
    return HandleKey(KeyPress{key, special, false, false, false});
}

// Pre-order: every node of the subtree.
void Collect(CladeNode* node, std::vector<CladeNode*>* out) {
    if (node == nullptr) return;
    out->push_back(node);
    Collect(node->left, out);
    Collect(node->right, out);
}

// The view's reconstruction is the live tree's, as a fresh one computes it.
testing::AssertionResult ShowsTheLiveTree(const ReconstructionView* view) {
    if (view == nullptr || view->reconstruction == nullptr)
        return testing::AssertionFailure() << "no reconstruction shown";
    const Reconstruction& shown = *view->reconstruction;
    auto fresh = std::make_unique<Reconstruction>();
    fresh->Compute(gRoot);
    if (shown.NodeCount() != fresh->NodeCount())
        return testing::AssertionFailure() << "another tree's node count";
    for (int i = 0; i < fresh->NodeCount(); ++i) {
        if (shown.Node(i) != fresh->Node(i))
            return testing::AssertionFailure() << "node " << i << " is another tree's";
        for (int c = 0; c < gCharacterCount; ++c) {
            if (shown.MprSet(i, c) != fresh->MprSet(i, c) ||
                shown.State(i, c) != fresh->State(i, c))
                return testing::AssertionFailure() << "node " << i << ", character " << c;
        }
    }
    return testing::AssertionSuccess();
}

TEST_F(ReconstructionViewsTest, KeysWalkThroughTheCharactersAndWrapAtBothEnds) {
    EXPECT_EQ(CurrentReconstructionView(), nullptr); // nothing to compute by default
    const struct {
        int key;
        bool special;
        int traced; // afterwards
        bool fewest;
    } steps[] = {
        {GLUT_KEY_RIGHT, true, -1, false}, // nothing traced: nothing to step through
        {'t', false, 0, false},            // the first character
        {GLUT_KEY_LEFT, true, 6, false},   // wraps to the last of the seven
        {GLUT_KEY_RIGHT, true, 0, false},  // and back to the first
        {GLUT_KEY_RIGHT, true, 1, false},
        {'m', false, 1, true}, // the markers' rule and the trace are independent
        {'t', false, -1, true},
        {'t', false, 1, true}, // the character traced last comes back
        {kEscape, false, -1, true},
        {kEscape, false, -1, true}, // Escape with no trace ends nothing
        {'m', false, -1, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("key " + std::to_string(step.key));
        EXPECT_TRUE(Key(step.key, step.special));
        EXPECT_EQ(TracedCharacter(), step.traced);
        EXPECT_EQ(FewestChangesShown(), step.fewest);
        const ReconstructionView* view = CurrentReconstructionView();
        EXPECT_EQ(view != nullptr, step.traced >= 0 || step.fewest);
        if (view == nullptr) continue;
        EXPECT_EQ(TracedOf(view), step.traced);
        EXPECT_EQ(FewestChangesOf(view) != nullptr, step.fewest);
    }
    // Escape puts the picked node down and ends the trace, both at once.
    Key('t');
    gDragNode = NodeAt("rr");
    gDragNode->isDragged = gDragging = true;
    Key(kEscape);
    EXPECT_FALSE(gDragging);
    EXPECT_FALSE(NodeAt("rr")->isDragged);
    EXPECT_EQ(TracedCharacter(), -1);
}

TEST_F(ReconstructionViewsTest, ViewsFollowEveryTreeChangeAndANewFileEndsTheTrace) {
    Key('m');
    Key('t');
    Key(GLUT_KEY_RIGHT, true);
    ASSERT_TRUE(ShowsTheLiveTree(CurrentReconstructionView()));
    std::mt19937 random(317);
    CaptureStdout();
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<CladeNode*> nodes;
        Collect(gRoot, &nodes);
        CladeNode* moved = nodes[random() % nodes.size()];
        CladeNode* target = nodes[random() % nodes.size()];
        if (round % 4 == 3) {
            ChangeTree({TreeChange::Kind::Undo});
        } else if (round == 6) {
            FindBestTree();
        } else if (round == 10) {
            ChangeTree({TreeChange::Kind::BackToLoaded});
        } else if (CanReattach(moved, target)) {
            ChangeTree({TreeChange::Kind::Drop, moved, target});
        }
        EXPECT_TRUE(ShowsTheLiveTree(CurrentReconstructionView()));
        EXPECT_EQ(TracedCharacter(), 1);
    }
    // Another data file: its characters are others, so the trace ends; the rule stays.
    ASSERT_TRUE(OpenDataFile(WriteCombFile(5).c_str()));
    GetCapturedStdout();
    EXPECT_EQ(TracedCharacter(), -1);
    EXPECT_TRUE(FewestChangesShown());
    EXPECT_TRUE(ShowsTheLiveTree(CurrentReconstructionView()));
    Key('t');
    EXPECT_EQ(TracedCharacter(), 0); // from the first character again
    Key(GLUT_KEY_LEFT, true);
    EXPECT_EQ(TracedCharacter(), 1); // two characters: the left of the first is the last
}

} // namespace
