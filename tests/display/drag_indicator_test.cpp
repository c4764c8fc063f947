// DrawDragIndicator through GL feedback: the two marks, the band between them, the arc
// (a band 3 pixels wide) from the picked node with its bend, and the line width left
// behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "display/display.h"
#include "matrix/matrix.h"
#include "tests/display/display_gl_support.h"

namespace {

class DragIndicatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareGl();
        ResetModel();
        // Four taxa in the initial comb: root (0, 0); t0 (3, -1.5); I1 (1, 0.5);
        // t1 (3, -0.5); I2 (2, 1); t2 (3, 0.5); t3 (3, 1.5).
        LoadMatrix(MatrixCsv({"t0", "t1", "t2", "t3"}, {{"a", "b", "a", "b"}}));
    }
    void TearDown() override { ResetModel(); }
};

struct Pt {
    float x, y;
};

// Centre of the disc whose centre vertex is blue and rim dark blue, and its depth; fails
// unless exactly one such disc of 20 wedges and radius 0.1 lies at `at`.
void ExpectMark(const std::vector<FbPrimitive>& prims, Pt at, float z) {
    int wedges = 0;
    for (const auto& p : prims) {
        if (p.kind != FbPrimitive::Polygon || p.v.size() != 3) continue;
        for (int k = 0; k < 3; ++k) {
            if (!HasColour(p.v[k], 0, 0, 1)) continue;
            const TreePoint c = ToTree(p.v[k]);
            if (std::fabs(c.x - at.x) > 1e-3f || std::fabs(c.y - at.y) > 1e-3f) continue;
            ++wedges;
            EXPECT_NEAR(c.z, z, 1e-3f);
            for (int j = 0; j < 3; ++j) {
                if (j == k) continue;
                const TreePoint r = ToTree(p.v[j]);
                EXPECT_TRUE(HasColour(p.v[j], 0, 0, 0.5f));
                EXPECT_NEAR(std::hypot(r.x - at.x, r.y - at.y), 0.1f, 1e-3f);
            }
        }
    }
    EXPECT_EQ(wedges, 20) << "mark at (" << at.x << ", " << at.y << ")";
}

// The band: dark blue polygons at depth 0.1 with no blue vertex, covering the corners.
void ExpectBand(const std::vector<FbPrimitive>& prims, Pt a, Pt b) {
    const Pt corners[4] = {
        {a.x, a.y - 0.05f}, {a.x, a.y + 0.05f}, {b.x, b.y + 0.05f}, {b.x, b.y - 0.05f}};
    bool seen[4] = {false, false, false, false};
    for (const auto& p : PolygonsOfColour(prims, 0, 0, 0.5f, false)) {
        if (std::fabs(ToTree(p.v[0]).z - 0.3f) < 1e-3f) continue; // the arc's band
        for (const auto& v : p.v) {
            const TreePoint t = ToTree(v);
            bool known = false;
            for (int c = 0; c < 4; ++c) {
                if (std::fabs(t.x - corners[c].x) < 1e-3f &&
                    std::fabs(t.y - corners[c].y) < 1e-3f) {
                    seen[c] = true;
                    known = true;
                }
            }
            EXPECT_TRUE(known) << "band vertex (" << t.x << ", " << t.y << ")";
            EXPECT_NEAR(t.z, 0.1f, 1e-3f);
        }
    }
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(seen[c]) << "band corner " << c;
}

// The arc's points in drawing order: the middles of the corner pairs of its band (a strip
// of triangles at depth 0.3), whose corners stand 3 pixels apart.
std::vector<TreePoint> ArcPoints(const std::vector<FbPrimitive>& prims) {
    std::vector<FbVertex> corners; // each once, in the order the strip sent them
    for (const auto& p : PolygonsOfColour(prims, 0, 0, 0.5f, false)) {
        if (std::fabs(ToTree(p.v[0]).z - 0.3f) > 1e-3f) continue;
        for (const auto& v : p.v) {
            const auto same = [&v](const FbVertex& c) { return c.x == v.x && c.y == v.y; };
            if (std::none_of(corners.begin(), corners.end(), same)) corners.push_back(v);
        }
    }
    std::vector<TreePoint> points;
    for (size_t k = 0; k + 1 < corners.size(); k += 2) {
        const FbVertex& a = corners[k];
        const FbVertex& b = corners[k + 1];
        EXPECT_NEAR(std::hypot(a.x - b.x, a.y - b.y), 3.0f, 0.01f) << "band width at " << k / 2;
        points.push_back(
            ToTree({(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2, a.r, a.g, a.b, a.a}));
    }
    return points;
}

// Draws the indicator for picked node g and target t, checks the marks at a and b, the
// band and every arc point, and returns the signed bend of the arc's middle point.
float CheckIndicator(const CladeNode* g, const CladeNode* t, Pt a, Pt b) {
    const auto prims = CaptureFeedback([&] {
        SetTreeProjection();
        DrawDragIndicator(g, t);
    });
    ExpectMark(prims, a, 0.1f);
    ExpectMark(prims, b, 0.2f);
    ExpectBand(prims, a, b);

    const auto arc = ArcPoints(prims);
    EXPECT_EQ(arc.size(), 20u);
    if (arc.size() != 20u) return 0.0f;
    // Half an ellipse on the chord from G to B: start at B, the last point at 19/20 of the
    // half turn, the middle one 0.2 chord lengths off the chord (sign = bend side).
    const float ux = b.x - g->x, uy = b.y - g->y;
    const float w = std::hypot(ux, uy);
    const float dirX = ux / w, dirY = uy / w;
    const float normalX = -dirY, normalY = dirX; // +90 degrees, from +x toward +y
    const float midX = (arc[10].x - (g->x + b.x) / 2.0f), midY = (arc[10].y - (g->y + b.y) / 2.0f);
    const float bend = midX * normalX + midY * normalY;
    const float h = std::fabs(bend);
    EXPECT_NEAR(h, 0.2f * w, 1e-3f);
    for (size_t k = 0; k < arc.size(); ++k) {
        const float d = static_cast<float>(k) * 3.14159265f / 20.0f;
        const float along = w / 2.0f * (1.0f + std::cos(d));
        const float off = (bend < 0 ? -h : h) * std::sin(d);
        EXPECT_NEAR(arc[k].x, g->x + along * dirX + off * normalX, 2e-3f) << "point " << k;
        EXPECT_NEAR(arc[k].y, g->y + along * dirY + off * normalY, 2e-3f) << "point " << k;
        EXPECT_NEAR(arc[k].z, 0.3f, 1e-3f);
    }
    return bend;
}

} // namespace

TEST_F(DragIndicatorTest, MarksStandOnTheTargetBranchAndWhereTheNewNodeWouldGo) {
    CladeNode* t0 = gRoot->left;
    CladeNode* i1 = gRoot->right;
    CladeNode* i2 = i1->right;
    CladeNode* t3 = i2->right;

    // Root target: the stem's middle, and 0.2 right of and 0.4 above it, whatever is picked.
    CheckIndicator(t3, gRoot, {-0.5f, 0.0f}, {-0.3f, -0.4f});
    CheckIndicator(t0, gRoot, {-0.5f, 0.0f}, {-0.3f, -0.4f});
    // Upper (left) child t0: middle of its branch, the new node 0.4 right and 0.2 below.
    CheckIndicator(t3, t0, {1.5f, -0.75f}, {1.9f, -0.55f});
    // Lower (right) child I2: 0.4 right and 0.2 above the middle of its branch.
    CheckIndicator(t0, i2, {1.5f, 0.75f}, {1.9f, 0.55f});
}

TEST_F(DragIndicatorTest, ArcBendsTheOtherWayWhenTheNewNodeIsRightOfAndBelowThePickedOne) {
    CladeNode* t0 = gRoot->left;
    CladeNode* i1 = gRoot->right;
    CladeNode* t3 = i1->right->right;
    const Pt a{2.5f, 1.25f}, b{2.9f, 1.05f}; // on t3's branch, t3 being a lower child

    // t0 (3, -1.5) lies right of B: the usual bend, +0.2 w along the turned chord.
    EXPECT_GT(CheckIndicator(t0, t3, a, b), 0.0f);
    // I1 (1, 0.5) lies up and to the left of B: the bend flips.
    EXPECT_LT(CheckIndicator(i1, t3, a, b), 0.0f);
    // B left of and above the picked node t2 (3, 0.5): the usual bend again.
    CladeNode* t2 = i1->right->left;
    EXPECT_GT(CheckIndicator(t2, gRoot, {-0.5f, 0.0f}, {-0.3f, -0.4f}), 0.0f);
}

TEST_F(DragIndicatorTest, LineWidthIsRestoredAfterTheArc) {
    glLineWidth(2.5f);
    CaptureFeedback([] {
        SetTreeProjection();
        DrawDragIndicator(gRoot->left, gRoot);
    });
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 2.5f);
    glLineWidth(1.0f);
}
