// The event total as the program shows it: the real frame routine runs in a window under
// Xvfb, after a load and after drops made through the real pointer handlers, and its
// gEventCount must equal the model's count for the tree it drew. Then the parsimony panel,
// the "Drop here" line and the search, read back through GL feedback: the panel's box
// holds everything the panel draws and none of the frame's other text, inside the window;
// the "Drop here" line meets no other text, the hover text included; Ctrl+B's search runs
// from the loop after the frame that says "Searching...". With 19 long names the window's
// pixels show no text cut off at its edges and no two texts of the frame meet.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>

#include "app/input.h"
#include "app/loading.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "app/picture.h"
#include "app/reconstruction_views.h"
#include "app/shell.h"
#include "base/text.h"
#include "clade/clade.h"
#include "clade/history.h"
#include "clade/parsimony.h"
#include "display/display.h"
#include "display/geometry.h"
#include "display/parsimony_layout.h"
#include "display/text_places.h"
#include "matrix/matrix.h"
#include "tests/display/display_gl_support.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class FrameEventsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char arg0[] = "frame-test";
        char* argv[] = {arg0, nullptr};
        PinSoftwareDriver();
        glutInit(&argc, argv);
        glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
        StartEditor(); // frames run only when asked for, never behind the test's back
        gFrameSleepMs = 0;
        for (int i = 0; i < 20; ++i)
            glutMainLoopEvent(); // let the window map
    }
};

// Window pixel of a point in tree units (inverse of the input's mapping).
float PixelX(float x) {
    return static_cast<float>(PercentToPixels(TreeToPercentX(x, gTaxonCount), kWidth));
}
float PixelY(float y) {
    return static_cast<float>(PercentToPixels(TreeToPercentY(y, gTaxonCount), kHeight));
}

void Press(float x, float y) {
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, PixelX(x), PixelY(y), kWidth, kHeight);
}
void Move(float x, float y) {
    HandlePassiveMotion(PixelX(x), PixelY(y), kWidth, kHeight);
}

// Picks `moved` with a press on its disc, aims at the middle of `target`'s branch (or the
// root's stem) and drops it there with a second press.
void DragAndDrop(CladeNode* moved, CladeNode* target) {
    Press(moved->x, moved->y);
    ASSERT_TRUE(gDragging);
    ASSERT_EQ(gDragNode, moved);
    if (target == gRoot) {
        Move(target->x - 0.5f, target->y);
    } else {
        Move((target->parent->x + target->x) / 2.0f, (target->parent->y + target->y) / 2.0f);
    }
    ASSERT_EQ(gDropTarget, target);
    DisplayFrame(); // the frame with the indicator must leave the count alone
    EXPECT_EQ(gEventCount, CountChangeEvents(gRoot));
    Press(0.0f, 0.0f); // any press drops while a target is set
    ASSERT_FALSE(gDragging);
}

// The node at a path from the root: "rl" is the left child of the root's right child.
CladeNode* NodeAtPath(const char* path) {
    CladeNode* node = gRoot;
    for (const char* step = path; *step; ++step)
        node = *step == 'l' ? node->left : node->right;
    return node;
}

CladeNode* LowestLeaf() {
    CladeNode* n = gRoot;
    while (n->right != nullptr)
        n = n->right;
    return n;
}

// The box around a group of text polygons, in window percent (y down).
PercentBox BoxAround(const std::vector<FbPrimitive>& polygons) {
    PercentBox box{100.0f, 100.0f, 0.0f, 0.0f};
    for (const FbPrimitive& p : polygons) {
        for (const FbVertex& v : p.v) {
            box = {std::min(box.left, v.x / 8.0f), std::min(box.top, (600.0f - v.y) / 6.0f),
                   std::max(box.right, v.x / 8.0f), std::max(box.bottom, (600.0f - v.y) / 6.0f)};
        }
    }
    return box;
}

// Text polygons (glyph quads, upright) of the given colour, or of any other colour.
std::vector<FbPrimitive> Text(const std::vector<FbPrimitive>& all, bool ofColour,
                              const float rgb[3]) {
    std::vector<FbPrimitive> out;
    for (const FbPrimitive& p : all) {
        if (p.kind == FbPrimitive::Polygon && IsTextVertex(p.v[0]) &&
            (rgb != nullptr && HasColour(p.v[0], rgb[0], rgb[1], rgb[2])) == ofColour)
            out.push_back(p);
    }
    return out;
}

int CountMeeting(const std::vector<FbPrimitive>& polygons, const PercentBox& box) {
    int meeting = 0;
    for (const FbPrimitive& p : polygons)
        meeting += Overlaps(BoxAround({p}), box);
    return meeting;
}

// taxa x characters, states spread as in the benchmark's largest file.
void LoadSpread(int taxa, int characters) {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows(characters);
    for (int t = 0; t < taxa; ++t) {
        names.push_back("Taxon " + std::to_string(t));
        for (int c = 0; c < characters; ++c)
            rows[c].push_back("s" + std::to_string((t * (c + 3) / 7) % (2 + c % 4)));
    }
    if (taxa <= 19 && characters <= 19) {
        LoadMatrix(MatrixCsv(names, rows));
        return;
    }
    std::string sheet = "Taxon"; // past the marker layout's limits, a sheet
    for (int c = 0; c < characters; ++c)
        sheet += ",C" + std::to_string(c);
    for (int t = 0; t < taxa; ++t) {
        sheet += "\n" + names[t];
        for (int c = 0; c < characters; ++c)
            sheet += "," + rows[c][t];
    }
    LoadMatrix(sheet + "\n");
}

// Pre-order: the first branch the picked node may go to that carries a change.
const CladeNode* BranchWithChanges(const CladeNode* node, const CladeNode* picked) {
    int tnum[kMaxCharacters];
    int tval[kMaxCharacters];
    if (node == nullptr) return nullptr;
    if (node != picked && node->parent != nullptr && node->parent != picked &&
        ListChangeEvents(node, tnum, tval) > 0)
        return node;
    const CladeNode* left = BranchWithChanges(node->left, picked);
    return left != nullptr ? left : BranchWithChanges(node->right, picked);
}

} // namespace

TEST_F(FrameEventsTest, TotalFollowsTheTreeAfterLoadAndEveryDrop) {
    DisplayFrame();
    EXPECT_EQ(gEventCount, 0); // the start-up tree has neither characters nor branches

    char path[] = "/tmp/qm-frame-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream out(path);
        out << "Frame test\nid,name,a,b,c,d,e,f,UNUSED,UNUSED\n"
               "1,Wings,0,1,1,0,2,2\n"
               "2,Shell,x,x,y,y,x,y\n"
               "3,Horns,p,q,r,p,q,r\n"
               "4,UNUSED\n";
    }
    Refusal why;
    const bool opened = OpenDataFile(path, &why);
    std::remove(path);
    ASSERT_TRUE(opened) << DescribeRefusal(why);

    DisplayFrame();
    EXPECT_GT(gEventCount, 0);
    EXPECT_EQ(gEventCount, CountChangeEvents(gRoot));

    // The lowest leaf onto the top leaf's branch, the top leaf onto the root's stem, and
    // an inner node onto a leaf outside it; after each, the next frame counts the new tree.
    for (int round = 0; round < 2; ++round) {
        DragAndDrop(LowestLeaf(), gRoot->left);
        DisplayFrame();
        EXPECT_EQ(gEventCount, CountChangeEvents(gRoot)) << "round " << round;

        DragAndDrop(gRoot->left, gRoot);
        DisplayFrame();
        EXPECT_EQ(gEventCount, CountChangeEvents(gRoot)) << "round " << round;

        CladeNode* inner = gRoot->right->isTaxon ? gRoot->left : gRoot->right;
        CladeNode* outside = inner == gRoot->left ? gRoot->right : gRoot->left;
        while (!outside->isTaxon)
            outside = outside->left;
        DragAndDrop(inner, outside);
        DisplayFrame();
        EXPECT_EQ(gEventCount, CountChangeEvents(gRoot)) << "round " << round;
    }

    // A second frame of the same tree shows the same total: the frame starts from zero.
    const int total = gEventCount;
    DisplayFrame();
    EXPECT_EQ(gEventCount, total);
}

TEST_F(FrameEventsTest, PanelAndDropHereLineKeepOffTheOtherText) {
    const float kDropHereColour[3] = {0.0f, 0.0f, 0.5f};
    const struct {
        int taxa, characters;
        const char* picked; // path from the root, or null
    } cases[] = {{3, 2, nullptr},  {7, 7, nullptr},   {7, 7, "rl"},    {12, 12, nullptr},
                 {12, 12, "r"},    {19, 19, nullptr}, {19, 19, "rrl"}, {19, 19, "rl"},
                 {8, 30, nullptr}, {40, 40, "rl"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.taxa) + " taxa, picked " + (c.picked ? c.picked : "-"));
        ResetInteraction();
        LoadSpread(c.taxa, c.characters);
        CladeNode* picked = nullptr;
        if (c.picked != nullptr) {
            picked = NodeAtPath(c.picked);
            Press(picked->x, picked->y);
            ASSERT_EQ(gDragNode, picked);
            // Aimed at the middle marker of a branch, so that the hover text shows too.
            const CladeNode* aimed = BranchWithChanges(gRoot, picked);
            ASSERT_NE(aimed, nullptr);
            int tnum[kMaxCharacters];
            int tval[kMaxCharacters];
            const int n = ListChangeEvents(aimed, tnum, tval);
            const float t = 0.05f + static_cast<float>((n - 1) / 2 + 1) * 0.9f / (n + 1);
            Move(aimed->parent->x + (aimed->x - aimed->parent->x) * t,
                 aimed->parent->y + (aimed->y - aimed->parent->y) * t);
            ASSERT_EQ(gDropTarget, aimed);
        }
        const std::vector<FbPrimitive> off = CaptureFeedback(DisplayFrame);
        if (picked != nullptr) {
            EXPECT_LT(gHoverTextLeft, 100.0f);
            const std::vector<FbPrimitive> line = Text(off, true, kDropHereColour);
            ASSERT_FALSE(line.empty());
            EXPECT_EQ(CountMeeting(Text(off, false, kDropHereColour), BoxAround(line)), 0);
        }

        const PanelLayout layout = LayOutParsimonyPanel(
            ComputeParsimony(gRoot), gTaxonCount,
            ReservedAreas({gRoot, picked, gEventCount}, MeasureText), MeasureText);
        ASSERT_TRUE(layout.shown);
        EXPECT_TRUE(layout.box.left >= 0 && layout.box.top >= 0 && layout.box.right <= 100 &&
                    layout.box.bottom <= 100);
        EXPECT_EQ(CountMeeting(Text(off, false, nullptr), layout.box), 0);
        if (!layout.hidden.empty()) {
            EXPECT_EQ(layout.lines.back().text,
                      "\u2026 and " + std::to_string(layout.hidden.size()) + " more");
        }
        ToggleParsimonyPanel();
        const std::vector<FbPrimitive> on = Text(CaptureFeedback(DisplayFrame), false, nullptr);
        ToggleParsimonyPanel();
        const int added = static_cast<int>(on.size() - Text(off, false, nullptr).size());
        EXPECT_GT(added, 0);
        EXPECT_EQ(CountMeeting(on, layout.box), added); // all of the panel in its box
    }
}

// Ctrl+B: the message first, then, from the loop, one undoable change to a better tree.
TEST_F(FrameEventsTest, SearchRunsAfterTheFrameThatSaysSearching) {
    LoadSpread(7, 7);
    ResetHistory();
    CladeNode* const before = CloneTree(gRoot);
    const TreeScore start = ScoreTree(gRoot);
    RequestBestTreeSearch();
    EXPECT_EQ(CurrentMessage(), "Searching...");
    EXPECT_TRUE(SameTree(before, gRoot)); // nothing is searched before a frame shows that
    for (int i = 0; i < 1000 && CurrentMessage() == "Searching..."; ++i)
        glutMainLoopEvent();
    EXPECT_EQ(CurrentMessage().rfind("Best tree found: ", 0), 0u) << CurrentMessage();
    EXPECT_TRUE(Better(ScoreTree(gRoot), start));
    EXPECT_EQ(UndoStepCount(), 1u);
    UndoTreeChange();
    EXPECT_TRUE(SameTree(before, gRoot));
    DeleteTree(before);
}

// A sheet of 40 taxa by 40 characters, every name 31 characters long (accented ones
// among them, which take two bytes), in the layout of one taxon per row.
std::string LongNamedSheet() {
    std::mt19937 random(40);
    auto name = [](const std::string& stem, int i) {
        std::string text = stem + " n\u00b0" + std::to_string(i) + " ";
        while (CountCharacters(text.c_str(), text.size()) < 31)
            text += i % 3 == 0 ? "\u00e9" : "x";
        return text;
    };
    std::string sheet = "Taxon";
    for (int c = 0; c < kMostEntries; ++c)
        sheet += "," + name("Character", c);
    for (int t = 0; t < kMostEntries; ++t) {
        sheet += "\n" + name("Taxon", t);
        for (int c = 0; c < kMostEntries; ++c)
            sheet += "," + std::to_string(random() % (2 + c % 3));
    }
    return sheet + "\n";
}

TEST_F(FrameEventsTest, LongNamesStayInsideTheWindowAndApart) {
    enum Pointer { Away, OnLeaf, OnMarker };
    // The 19 x 19 file at the default look, and the largest sheet at the smallest and
    // largest text, the largest also in presentation mode.
    const struct {
        bool largest;
        int textScale;
        bool presentation;
    } setups[] = {{false, 100, false}, {true, 100, false}, {true, 250, false}, {true, 250, true}};
    const struct {
        const char* picked; // path from the root, or null
        Pointer pointer;
        bool panel;
        int traced = -1; // a trace draws no markers: only with the pointer off them
    } cases[] = {{nullptr, Away, false},     {nullptr, OnLeaf, false}, {nullptr, OnMarker, false},
                 {"rl", OnMarker, true},     {"rrl", Away, true},      {"r", OnLeaf, false},
                 {nullptr, Away, false, 18}, {"rl", OnLeaf, true, 0}};
    Scene scene;
    std::ifstream file(QM_LONG_NAMES); // 19 taxa of 31 bytes, 19 long characters
    const std::string longNames(std::istreambuf_iterator<char>(file), {});
    const std::size_t caseCount = std::size(cases);
    for (std::size_t k = 0; k < std::size(setups) * caseCount; ++k) {
        const auto& setup = setups[k / caseCount];
        const auto& c = cases[k % caseCount];
        SCOPED_TRACE(std::string(c.picked ? c.picked : "-") + " pointer " +
                     std::to_string(c.pointer) + (c.panel ? " panel" : "") + " traced " +
                     std::to_string(c.traced) + (setup.largest ? " 40 x 40 at " : " at ") +
                     std::to_string(setup.textScale) + (setup.presentation ? " presenting" : ""));
        ResetInteraction();
        gTextScalePercent = setup.textScale;
        gPresentationMode = setup.presentation;
        LoadMatrix(setup.largest ? LongNamedSheet() : longNames);
        ResetReconstructionViews(); // the tree was put in place without the change step
        TraceCharacter(c.traced);
        const CladeNode* picked = nullptr;
        if (c.picked != nullptr) {
            picked = NodeAtPath(c.picked);
            Press(picked->x, picked->y);
            ASSERT_EQ(gDragNode, picked);
        }
        const CladeNode* leaf = LowestLeaf();
        if (c.pointer == OnLeaf) Move(leaf->x, leaf->y);
        if (c.pointer == OnMarker) { // the first marker of a branch that has changes
            const CladeNode* branch = BranchWithChanges(gRoot, picked);
            int tnum[kMaxCharacters];
            int tval[kMaxCharacters];
            const float t = 0.05f + 0.9f / (ListChangeEvents(branch, tnum, tval) + 1.0f);
            Move(branch->parent->x + (branch->x - branch->parent->x) * t,
                 branch->parent->y + (branch->y - branch->parent->y) * t);
        }
        if (c.panel) ToggleParsimonyPanel();
        DisplayFrame();
        // The software driver keeps the frame in the back buffer through the swap; the
        // root's stem at the left edge shows that the pixels read are the frame's.
        std::vector<unsigned char> rgb(kWidth * kHeight * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        BuildFrameScene(CurrentSceneView(), &scene);
        if (c.panel) ToggleParsimonyPanel();
        ResetReconstructionViews();

        // The stem, in whatever colour a trace gives it.
        const unsigned char* stem =
            &rgb[static_cast<std::size_t>(kHeight - PixelY(gRoot->y)) * kWidth * 3];
        EXPECT_LT(std::min({stem[0], stem[1], stem[2]}), 200);
        // Text cut off by an edge leaves its glyphs in the edge's pixel column: at the right,
        // where nothing else reaches, and at the left on the bottom line (rows from the
        // bottom).
        for (int row = 0; row < kHeight; ++row) {
            const unsigned char* left = &rgb[static_cast<std::size_t>(row * kWidth) * 3];
            const unsigned char* right = left + (kWidth - 1) * 3;
            EXPECT_TRUE(row >= kHeight * 6 / 100 || std::min({left[0], left[1], left[2]}) > 250)
                << "left edge, row " << row;
            EXPECT_GT(std::min({right[0], right[1], right[2]}), 250) << "right edge, row " << row;
        }

        // Every text of the frame inside the window, clear of every other text and of the
        // button, the leaf labels included.
        std::vector<std::pair<std::string, PercentBox>> texts;
        // A marker's number (presentation mode) follows the outlines and rides on its
        // marker, which may meet others on a short branch: it counts as the marker.
        bool afterOutlines = false;
        for (const SceneItem& item : scene.items) {
            if (item.kind == SceneKind::Outline) {
                afterOutlines = true;
                continue;
            }
            const std::string text = item.kind == SceneKind::Text ? scene.TextOf(item) : "";
            afterOutlines = afterOutlines && !text.empty() &&
                            text.find_first_not_of("0123456789") == std::string::npos;
            if (item.kind != SceneKind::Text || afterOutlines) continue;
            const SceneText& t = item.text;
            texts.push_back(
                {scene.TextOf(item),
                 {t.x, t.y, t.x + MeasureText(scene.TextOf(item), t.size), t.y + t.height}});
        }
        const PercentBox button = OpenFileButtonPlace(MeasureText).box;
        bool fullName = false;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const auto& [text, box] = texts[i];
            EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= 100 && box.bottom <= 100)
                << text;
            EXPECT_FALSE(Overlaps(box, button)) << text;
            fullName = fullName || text == LeafName(leaf);
            for (std::size_t j = i + 1; j < texts.size(); ++j)
                EXPECT_FALSE(Overlaps(box, texts[j].second)) << text << " / " << texts[j].first;
        }
        if (!setup.largest) { // at 40 taxa the names have room enough
            EXPECT_EQ(fullName,
                      c.pointer == OnLeaf); // the cut label's name, on the bottom line
            EXPECT_EQ(scene.hoverTextLeft < 100, c.pointer != Away);
        }
        if (setup.largest && !setup.presentation && setup.textScale == 100) {
            // The labels stay readable at 800 x 600: at least 9 pixels high.
            for (const SceneItem& item : scene.items) {
                if (item.kind == SceneKind::Text) {
                    EXPECT_GE(PercentToPixels(item.text.height, kHeight), 9.0)
                        << scene.TextOf(item);
                }
            }
        }
    }
    gTextScalePercent = 100;
    gPresentationMode = false;
}

// A press on a character's line traces that character wherever the line is drawn: in the
// ancestral list, in a picked node's list (the pick stays) and in the parsimony panel; a
// second press on the traced character's line ends the trace.
TEST_F(FrameEventsTest, APressOnACharactersLineTracesIt) {
    ResetInteraction();
    LoadSpread(5, 3);
    ResetReconstructionViews(); // the tree was put in place without the change step
    auto pressMiddle = [](const PlacedText& line) {
        const PercentBox box = BoxOf(line, MeasureText);
        HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, (box.left + box.right) / 2 * kWidth / 100,
                    (box.top + box.bottom) / 2 * kHeight / 100, kWidth, kHeight);
    };

    DisplayFrame();
    for (const PlacedText& line : AncestralListText(gRoot, MeasureText)) {
        if (line.character < 0) continue; // the title
        pressMiddle(line);
        EXPECT_EQ(TracedCharacter(), line.character) << line.text;
        EXPECT_FALSE(gDragging);
    }
    pressMiddle(AncestralListText(gRoot, MeasureText).back());
    EXPECT_EQ(TracedCharacter(), -1);

    CladeNode* picked = NodeAtPath("rr");
    Press(picked->x, picked->y);
    ASSERT_EQ(gDragNode, picked);
    DisplayFrame();
    const std::vector<PlacedText> derived = NodeListText(picked, gRoot, MeasureText);
    ASSERT_GT(derived.size(), 2u); // the titles and at least one character
    pressMiddle(derived.back());
    EXPECT_EQ(TracedCharacter(), derived.back().character);
    EXPECT_TRUE(gDragging);
    EXPECT_EQ(gDragNode, picked);
    Press(picked->x, picked->y); // put down
    ASSERT_FALSE(gDragging);
    EndTrace();

    // The panel where the frame puts it without a trace (a trace's legend moves it).
    ToggleParsimonyPanel();
    const PanelLayout panel = LayOutParsimonyPanel(
        ComputeParsimony(gRoot), gTaxonCount,
        ReservedAreas({gRoot, nullptr, gEventCount}, MeasureText), MeasureText);
    ASSERT_TRUE(panel.shown);
    int pressed = 0;
    for (const PlacedText& line : panel.lines) {
        if (line.character < 0) continue;
        EndTrace();
        DisplayFrame();
        pressMiddle(line);
        EXPECT_EQ(TracedCharacter(), line.character) << line.text;
        ++pressed;
    }
    ToggleParsimonyPanel();
    EXPECT_EQ(pressed, gCharacterCount);
    ResetReconstructionViews();
}
