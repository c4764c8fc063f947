// The parsimony panel, the "Drop here" line and the search in the real frame, read back
// through GL feedback: the panel's box holds everything the panel draws and none of the
// frame's other text (nor, when it fits beside it, the tree), stays inside the window; the
// "Drop here" line meets no other text, the hover text included; Ctrl+B's search runs from
// the loop after the frame that says "Searching...".
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "app/input.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "app/shell.h"
#include "clade/history.h"
#include "clade/parsimony.h"
#include "display/display.h"
#include "display/parsimony_drawing.h"
#include "tests/display/display_gl_support.h"

namespace {

class ParsimonyFrameTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (glutGet(GLUT_INIT_STATE)) return; // another suite of this program started it
        int argc = 1;
        char arg0[] = "parsimony-frame-test";
        char* argv[] = {arg0, nullptr};
        PinSoftwareDriver();
        glutInit(&argc, argv);
        glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
        StartEditor();
        gFrameSleepMs = 0;
        for (int i = 0; i < 20; ++i)
            glutMainLoopEvent();
    }
    void TearDown() override {
        ResetInput();
        ResetParsimonyTools();
    }
};

using Point = std::pair<float, float>;

// A polygon's corners in window percent (y down).
std::vector<Point> Corners(const FbPrimitive& p) {
    std::vector<Point> corners;
    for (const FbVertex& v : p.v)
        corners.push_back({v.x / 8.0f, (600.0f - v.y) / 6.0f});
    return corners;
}

std::vector<FbPrimitive> Polygons(const std::vector<FbPrimitive>& all, bool text) {
    std::vector<FbPrimitive> out;
    for (const FbPrimitive& p : all)
        if (p.kind == FbPrimitive::Polygon && IsTextVertex(p.v[0]) == text) out.push_back(p);
    return out;
}

// True when the convex polygon and the box share more than an edge: neither the box's
// axes nor the polygon's edge normals separate them.
bool Meets(const FbPrimitive& p, const PercentBox& box) {
    const std::vector<Point> shape = Corners(p);
    const std::vector<Point> rect = {
        {box.left, box.top}, {box.right, box.top}, {box.right, box.bottom}, {box.left, box.bottom}};
    std::vector<Point> axes = {{1.0f, 0.0f}, {0.0f, 1.0f}};
    for (size_t k = 0; k < shape.size(); ++k) {
        const Point& a = shape[k];
        const Point& b = shape[(k + 1) % shape.size()];
        axes.push_back({a.second - b.second, b.first - a.first});
    }
    for (const Point& axis : axes) {
        auto range = [&axis](const std::vector<Point>& points) {
            Point span{1e9f, -1e9f};
            for (const Point& q : points) {
                const float d = axis.first * q.first + axis.second * q.second;
                span = {std::min(span.first, d), std::max(span.second, d)};
            }
            return span;
        };
        const Point a = range(shape);
        const Point b = range(rect);
        if (a.second <= b.first + 1e-4f || b.second <= a.first + 1e-4f) return false;
    }
    return true;
}

int CountMeeting(const std::vector<FbPrimitive>& polygons, const PercentBox& box) {
    int meeting = 0;
    for (const FbPrimitive& p : polygons)
        meeting += Meets(p, box);
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
    LoadMatrix(MatrixCsv(names, rows));
}

void Pick(CladeNode* node) {
    node->isDragged = true;
    gDragNode = node;
    gDragging = true;
    UpdateDropPreview();
}

TEST_F(ParsimonyFrameTest, PanelKeepsOffTheOtherTextAndInsideTheWindow) {
    const struct {
        int taxa, characters;
        const char* picked; // path from the root, or null
    } cases[] = {{3, 2, nullptr}, {7, 7, nullptr},   {7, 7, "rl"},    {12, 12, nullptr},
                 {12, 12, "r"},   {19, 19, nullptr}, {19, 19, "rrl"}, {19, 19, "r"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.taxa) + " taxa, picked " + (c.picked ? c.picked : "-"));
        ResetInput();
        LoadSpread(c.taxa, c.characters);
        const CladeNode* picked = nullptr;
        if (c.picked != nullptr) {
            CladeNode* node = gRoot;
            for (const char* step = c.picked; *step; ++step)
                node = *step == 'l' ? node->left : node->right;
            Pick(node);
            picked = node;
        }
        const std::vector<FbPrimitive> off = CaptureFeedback(DisplayFrame);
        const PanelLayout layout = LayOutParsimonyPanel(
            ComputeParsimony(gRoot), gTaxonCount,
            ReservedAreas({gRoot, picked, gEventCount}, MeasureText), MeasureText);
        ASSERT_TRUE(layout.shown);
        EXPECT_TRUE(layout.box.left >= 0 && layout.box.top >= 0 && layout.box.right <= 100 &&
                    layout.box.bottom <= 100);
        EXPECT_EQ(CountMeeting(Polygons(off, true), layout.box), 0);
        if (!layout.coversTree) {
            EXPECT_EQ(CountMeeting(Polygons(off, false), layout.box), 0);
        }

        ToggleParsimonyPanel();
        const std::vector<FbPrimitive> on = CaptureFeedback(DisplayFrame);
        ToggleParsimonyPanel();
        const int added = static_cast<int>(Polygons(on, true).size() - Polygons(off, true).size());
        EXPECT_GT(added, 0);
        EXPECT_EQ(CountMeeting(Polygons(on, true), layout.box), added); // all of it in the box
    }
}

TEST_F(ParsimonyFrameTest, DropHereLineMeetsNoOtherText) {
    for (int taxa : {4, 7, 19}) {
        ResetInput();
        LoadSpread(taxa, taxa);
        // The top leaf picked; aimed at the middle of a branch with one change, whose
        // marker stands there, so the hover text shows too.
        Pick(gRoot->left);
        const CladeNode* aimed = nullptr;
        std::vector<const CladeNode*> stack = {gRoot->right};
        while (!stack.empty() && aimed == nullptr) {
            const CladeNode* node = stack.back();
            stack.pop_back();
            int tnum[kMaxCharacters];
            int tval[kMaxCharacters];
            if (ListChangeEvents(node, tnum, tval) == 1) aimed = node;
            if (!node->isTaxon) stack.insert(stack.end(), {node->left, node->right});
        }
        ASSERT_NE(aimed, nullptr) << taxa;
        const float x = (aimed->x + aimed->parent->x) / 2;
        const float y = (aimed->y + aimed->parent->y) / 2;
        HandlePassiveMotion((x + 1) / (taxa + 3) * 800, (y + (taxa + 1) / 2.0f) / (taxa + 1) * 600,
                            800, 600);
        ASSERT_EQ(gDropTarget, aimed) << taxa;

        const std::vector<FbPrimitive> frame = Polygons(CaptureFeedback(DisplayFrame), true);
        EXPECT_LT(gHoverTextLeft, 100.0f) << taxa;
        std::vector<FbPrimitive> line;
        std::vector<FbPrimitive> others;
        for (const FbPrimitive& p : frame)
            (HasColour(p.v[0], 0.0f, 0.0f, 0.5f) ? line : others).push_back(p);
        ASSERT_FALSE(line.empty()) << taxa;
        PercentBox box{100.0f, 100.0f, 0.0f, 0.0f};
        for (const FbPrimitive& p : line)
            for (const Point& q : Corners(p))
                box = {std::min(box.left, q.first), std::min(box.top, q.second),
                       std::max(box.right, q.first), std::max(box.bottom, q.second)};
        EXPECT_EQ(CountMeeting(others, box), 0) << taxa;
    }
}

// Ctrl+B: the message first, then, from the loop, one undoable change to a better tree.
TEST_F(ParsimonyFrameTest, SearchRunsAfterTheFrameThatSaysSearching) {
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
    UndoTreeChange(false);
    EXPECT_TRUE(SameTree(before, gRoot));
    DeleteTree(before);
}

} // namespace
