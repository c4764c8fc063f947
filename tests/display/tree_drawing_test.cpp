// DrawTree and the projections, checked through GL feedback: discs, branch bands, the root
// stem, their colours and depths, and where the leaf labels land.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "display/display.h"
#include "matrix/matrix.h"
#include "tests/display/display_gl_support.h"

namespace {

class TreeDrawingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareGl();
        ResetModel();
    }
    void TearDown() override { ResetModel(); }
};

// Three taxa in the initial comb: root (0, 0); t0 (2, -1); I (1, 0.5); t1 (2, 0); t2 (2, 1).
void LoadThreeTaxa() {
    LoadMatrix(MatrixCsv({"t0", "t1", "t2"}, {{"a", "b", "c"}}));
    ASSERT_EQ(gTaxonCount, 3);
}

bool Near(float a, float b, float tolerance = 1e-3f) {
    return std::fabs(a - b) < tolerance;
}

struct Colour {
    float r, g, b;
};

// Counts the wedges of a disc of the given radius around (cx, cy) at depth z: a triangle
// with its centre vertex in `centre` and two rim vertices in `rim`, pi/10 apart. Every one
// of the 20 sectors must be covered exactly once for the disc to count as whole.
int CountDiscWedges(const std::vector<FbPrimitive>& all, float cx, float cy, float z, float radius,
                    Colour centre, Colour rim, bool* whole) {
    int wedges = 0;
    std::multiset<int> sectors;
    for (const auto& p : all) {
        if (p.kind != FbPrimitive::Polygon || p.v.size() != 3) continue;
        int centreAt = -1;
        for (int k = 0; k < 3; ++k) {
            const TreePoint t = ToTree(p.v[k]);
            if (Near(t.x, cx) && Near(t.y, cy) && HasColour(p.v[k], centre.r, centre.g, centre.b))
                centreAt = k;
        }
        if (centreAt < 0) continue;
        std::vector<float> angles;
        bool ok = true;
        for (int k = 0; k < 3; ++k) {
            const TreePoint t = ToTree(p.v[k]);
            ok = ok && Near(t.z, z);
            if (k == centreAt) continue;
            ok = ok && HasColour(p.v[k], rim.r, rim.g, rim.b) &&
                 Near(std::hypot(t.x - cx, t.y - cy), radius);
            angles.push_back(std::atan2(t.y - cy, t.x - cx));
        }
        if (!ok) continue;
        float gap = std::fabs(angles[0] - angles[1]);
        if (gap > 3.14159265f) gap = 6.2831853f - gap;
        if (!Near(gap, 0.31415927f)) continue;
        ++wedges;
        float mid = std::atan2(std::sin(angles[0]) + std::sin(angles[1]),
                               std::cos(angles[0]) + std::cos(angles[1]));
        if (mid < 0) mid += 6.2831853f;
        sectors.insert(static_cast<int>(std::floor(mid / 0.31415927f)));
    }
    *whole = sectors.size() == 20 && std::set<int>(sectors.begin(), sectors.end()).size() == 20;
    return wedges;
}

// True when polygons in the colour (text excluded) cover exactly the quadrilateral with the
// given corners at depth z, whether GL reports it as one quad or as two triangles.
bool HasQuad(const std::vector<FbPrimitive>& all, Colour colour, const float corners[4][2],
             float z) {
    bool seen[4] = {false, false, false, false};
    for (const auto& p : PolygonsOfColour(all, colour.r, colour.g, colour.b, false)) {
        bool inside = true;
        int hits[4] = {-1, -1, -1, -1};
        for (size_t k = 0; k < p.v.size() && k < 4; ++k) {
            const TreePoint t = ToTree(p.v[k]);
            for (int c = 0; c < 4; ++c)
                if (Near(t.x, corners[c][0]) && Near(t.y, corners[c][1]) && Near(t.z, z))
                    hits[k] = c;
            inside = inside && hits[k] >= 0;
        }
        if (!inside) continue;
        for (size_t k = 0; k < p.v.size() && k < 4; ++k)
            seen[hits[k]] = true;
    }
    return seen[0] && seen[1] && seen[2] && seen[3];
}

void BranchCorners(const CladeNode* from, const CladeNode* to, float out[4][2]) {
    const float c[4][2] = {{from->x - 0.1f, from->y},
                           {from->x + 0.1f, from->y},
                           {to->x + 0.1f, to->y},
                           {to->x - 0.1f, to->y}};
    for (int i = 0; i < 4; ++i) {
        out[i][0] = c[i][0];
        out[i][1] = c[i][1];
    }
}

constexpr Colour kDarkRed{0.5f, 0.0f, 0.0f};
constexpr Colour kOrange{1.0f, 0.5f, 0.0f};
constexpr Colour kGrey{0.7f, 0.7f, 0.7f};

} // namespace

TEST_F(TreeDrawingTest, ProjectionsMapTheirCornersOntoTheWindowCorners) {
    for (int taxa : {0, 3, 15, 16}) {
        gTaxonCount = taxa;
        const float half = (taxa + 1) * 0.5f;
        const float room = taxa >= 16 ? 1.0f : 0.0f; // above the tree, clear of the button
        const auto tree = CaptureFeedback([&] {
            SetTreeProjection();
            glBegin(GL_POINTS);
            glVertex3f(-1.0f, -half - room, 0.0f); // top left
            glVertex3f(taxa + 2.0f, half, 0.0f);   // bottom right
            glVertex3f(0.0f, 0.0f, 9.9f);          // nearly at the near plane
            glEnd();
        });
        ASSERT_EQ(tree.size(), 3u) << taxa;
        EXPECT_NEAR(tree[0].v[0].x, 0.0f, 1e-3f);
        EXPECT_NEAR(tree[0].v[0].y, kTestHeight, 1e-3f); // window y counts from the bottom
        EXPECT_NEAR(tree[1].v[0].x, kTestWidth, 1e-3f);
        EXPECT_NEAR(tree[1].v[0].y, 0.0f, 1e-3f);
        EXPECT_NEAR(tree[2].v[0].z, 0.005f, 1e-4f); // larger z is nearer the viewer
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
    }
    gTaxonCount = 0;

    const auto screen = CaptureFeedback([] {
        SetScreenProjection();
        glBegin(GL_POINTS);
        glVertex2f(0.0f, 0.0f);
        glVertex2f(400.0f, 300.0f);
        glEnd();
    });
    ASSERT_EQ(screen.size(), 2u);
    EXPECT_NEAR(screen[0].v[0].x, 0.0f, 1e-3f);
    EXPECT_NEAR(screen[0].v[0].y, kTestHeight, 1e-3f);
    EXPECT_NEAR(screen[1].v[0].x, kTestWidth, 1e-3f);
    EXPECT_NEAR(screen[1].v[0].y, 0.0f, 1e-3f);

    // The start-up tree's label point (N = 0): 100/3 + 4 across, 46 down.
    EXPECT_NEAR(TreeXToPercent(0.0f), 100.0f / 3.0f + 4.0f, 1e-4f);
    EXPECT_NEAR(TreeYToPercent(0.0f), 46.0f, 1e-4f);
}

TEST_F(TreeDrawingTest, DiscsAreTwentyWedgesInTheColoursOfRootPlainAndPickedNodes) {
    // Start-up tree: the root is the only node, a leaf.
    auto prims = CaptureFeedback([] { DrawTree(gRoot, nullptr); });
    bool whole = false;
    EXPECT_EQ(CountDiscWedges(prims, 0, 0, 0.1f, 0.2f, {1, 1, 0}, {1, 0.3f, 0}, &whole), 20);
    EXPECT_TRUE(whole);

    LoadThreeTaxa();
    CladeNode* t1 = gRoot->right->left;
    t1->isDragged = true;
    prims = CaptureFeedback([] { DrawTree(gRoot, nullptr); });
    t1->isDragged = false;
    const Colour plainCentre{0, 1, 0}, plainRim{0, 0.3f, 0};
    for (const CladeNode* n : {gRoot->left, gRoot->right, gRoot->right->right}) {
        EXPECT_EQ(CountDiscWedges(prims, n->x, n->y, 0.1f, 0.2f, plainCentre, plainRim, &whole), 20)
            << "node " << n->id;
        EXPECT_TRUE(whole) << "node " << n->id;
    }
    EXPECT_EQ(CountDiscWedges(prims, t1->x, t1->y, 0.1f, 0.2f, {0, 1, 1}, {0, 0.3f, 1}, &whole),
              20);
    EXPECT_TRUE(whole);
    EXPECT_EQ(CountDiscWedges(prims, t1->x, t1->y, 0.1f, 0.2f, plainCentre, plainRim, &whole), 0);
    EXPECT_EQ(CountDiscWedges(prims, 0, 0, 0.1f, 0.2f, {1, 1, 0}, {1, 0.3f, 0}, &whole), 20);
}

TEST_F(TreeDrawingTest, BranchesAndStemTakeTheColourOfTheirLowerNode) {
    LoadThreeTaxa();
    CladeNode* t0 = gRoot->left;
    CladeNode* inner = gRoot->right;
    CladeNode* t1 = inner->left;
    CladeNode* t2 = inner->right;
    float corners[4][2];
    const float stem[4][2] = {{-1.0f, -0.05f}, {0.0f, -0.05f}, {0.0f, 0.05f}, {-1.0f, 0.05f}};

    auto prims = CaptureFeedback([] { DrawTree(gRoot, nullptr); });
    for (const CladeNode* child : {t0, inner, t1, t2}) {
        BranchCorners(child->parent, child, corners);
        EXPECT_TRUE(HasQuad(prims, kDarkRed, corners, 0.0f)) << "branch into " << child->id;
    }
    EXPECT_TRUE(HasQuad(prims, kDarkRed, stem, 0.0f));

    // Picked inner node: only its own branch turns grey, the ones below it keep dark red;
    // the target t0 lights its branch orange.
    inner->isDragged = true;
    prims = CaptureFeedback([&] { DrawTree(gRoot, t0); });
    inner->isDragged = false;
    BranchCorners(gRoot, inner, corners);
    EXPECT_TRUE(HasQuad(prims, kGrey, corners, 0.0f));
    EXPECT_FALSE(HasQuad(prims, kDarkRed, corners, 0.0f));
    BranchCorners(gRoot, t0, corners);
    EXPECT_TRUE(HasQuad(prims, kOrange, corners, 0.0f));
    BranchCorners(inner, t1, corners);
    EXPECT_TRUE(HasQuad(prims, kDarkRed, corners, 0.0f));
    EXPECT_TRUE(HasQuad(prims, kDarkRed, stem, 0.0f));

    // A picked node that is also the target stays grey; the root as target lights the stem.
    t2->isDragged = true;
    prims = CaptureFeedback([&] { DrawTree(gRoot, t2); });
    t2->isDragged = false;
    BranchCorners(inner, t2, corners);
    EXPECT_TRUE(HasQuad(prims, kGrey, corners, 0.0f));
    prims = CaptureFeedback([] { DrawTree(gRoot, gRoot); });
    EXPECT_TRUE(HasQuad(prims, kOrange, stem, 0.0f));
    BranchCorners(gRoot, t0, corners);
    EXPECT_TRUE(HasQuad(prims, kDarkRed, corners, 0.0f));
}

TEST_F(TreeDrawingTest, LabelsSitBesideTheirLeavesAndShrinkWithManyTaxa) {
    // Start-up: "Unused" in size 7 (42 pixels) at 100/3 + 4 and 46 percent.
    auto prims = CaptureFeedback([] { DrawTree(gRoot, nullptr); });
    TextBox box = TextBoxOf(PolygonsOfColour(prims, 0, 0, 0, true));
    ASSERT_TRUE(box.found);
    EXPECT_NEAR(box.left, (100.0f / 3.0f + 4.0f) * 8.0f, 0.01f);
    EXPECT_NEAR(box.top, 46.0f * 6.0f, 0.01f);
    EXPECT_NEAR(box.bottom - box.top, 42.0f, 0.01f);

    // 16 taxa: size 4 (24 pixels), 3 percent left of and below the basic point. The top
    // label is taxon 0's, at (15, -7.5), two units under the view's top (one more than
    // with fewer taxa, to clear the button): 2/18 of the height.
    std::vector<std::string> names;
    std::vector<std::string> cells;
    for (int t = 0; t < 16; ++t) {
        names.push_back("T" + std::to_string(t));
        cells.push_back(t % 2 ? "on" : "off");
    }
    LoadMatrix(MatrixCsv(names, {cells}));
    prims = CaptureFeedback([] { DrawTree(gRoot, nullptr); });
    const auto labels = PolygonsOfColour(prims, 0, 0, 0, true);
    box = TextBoxOf(labels);
    ASSERT_TRUE(box.found);
    std::vector<FbPrimitive> topLine;
    for (const auto& p : labels)
        if (kTestHeight - p.v[0].y < box.top + 30.0f) topLine.push_back(p);
    const TextBox first = TextBoxOf(topLine);
    EXPECT_NEAR(first.left, (16.0f * 100.0f / 19.0f + 4.0f - 3.0f) * 8.0f, 0.01f);
    EXPECT_NEAR(first.top, (2.0f * 100.0f / 18.0f - 4.0f + 3.0f) * 6.0f, 0.01f);
    EXPECT_NEAR(first.bottom - first.top, 24.0f, 0.01f);
}
