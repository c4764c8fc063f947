// DrawChangeMarkers through GL feedback: where the markers of a branch stand, their
// colours, depths and outlines, the hover text's reach and placement, and the event total.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "display/display.h"
#include "font/font_renderer.h"
#include "font/text.h"
#include "matrix/matrix.h"
#include "tests/display/display_gl_support.h"

namespace {

constexpr float kFar = -100.0f; // a pointer position that reaches no marker

// As the frame draws them: in the tree projection that DrawTree leaves behind.
void DrawMarkers(float pointerX, float pointerY) {
    SetTreeProjection();
    DrawChangeMarkers(gRoot, pointerX, pointerY);
}

class ChangeMarkersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareGl();
        ResetModel();
    }
    void TearDown() override { ResetModel(); }
};

// Two taxa A and B differing in the first `changes` of `characters` characters: the root
// copies A, so every change lies on B's branch from (0, 0) to (1, 0.5).
void LoadPair(int changes, int characters) {
    std::vector<std::vector<std::string>> rows;
    for (int c = 0; c < characters; ++c)
        rows.push_back({"s", c < changes ? "t" : "s"});
    LoadMatrix(MatrixCsv({"A", "B"}, rows));
}

struct Marker {
    bool found = false;
    float x = 0, y = 0, z = 0; // marker point and depth of the fill
};

// The fill triangle in character c's colour: apex 0.15 above the marker point, base
// corners 0.125 to either side and 0.051 below it.
Marker FindMarker(const std::vector<FbPrimitive>& prims, int c) {
    const float* colour = gCharacterColors[c];
    Marker m;
    for (const auto& p : PolygonsOfColour(prims, colour[0], colour[1], colour[2], false)) {
        if (p.v.size() != 3) continue;
        TreePoint t[3] = {ToTree(p.v[0]), ToTree(p.v[1]), ToTree(p.v[2])};
        int apex = 0;
        for (int k = 1; k < 3; ++k)
            if (t[k].y < t[apex].y) apex = k;
        m = {true, t[apex].x, t[apex].y + 0.15f, t[apex].z};
        for (int k = 0; k < 3; ++k) {
            if (k == apex) continue;
            EXPECT_NEAR(std::fabs(t[k].x - m.x), 0.125f, 1e-3f);
            EXPECT_NEAR(t[k].y, m.y + 0.051f, 1e-3f);
            EXPECT_NEAR(t[k].z, m.z, 1e-4f);
        }
    }
    return m;
}

int CountOutlineSegments(const std::vector<FbPrimitive>& prims, float z) {
    int n = 0;
    for (const auto& p : prims) {
        if (p.kind != FbPrimitive::Line) continue;
        if (HasColour(p.v[0], 0, 0, 0) && std::fabs(ToTree(p.v[0]).z - z) < 1e-4f) ++n;
    }
    return n;
}

} // namespace

TEST_F(ChangeMarkersTest, MarkersSpreadOverTheMiddleOfTheBranchInCharacterOrder) {
    const std::vector<std::vector<float>> fractions = {
        {0.5f}, {0.35f, 0.65f}, {0.275f, 0.5f, 0.725f}};
    for (int n = 1; n <= 3; ++n) {
        LoadPair(n, 4);
        gEventCount = 0;
        const auto prims = CaptureFeedback([] { DrawMarkers(kFar, kFar); });
        EXPECT_EQ(gEventCount, n);
        for (int k = 0; k < n; ++k) {
            const Marker m = FindMarker(prims, k);
            ASSERT_TRUE(m.found) << n << " changes, marker " << k;
            const float t = fractions[n - 1][k];
            EXPECT_NEAR(m.x, t, 1e-3f) << n << " changes, marker " << k;
            EXPECT_NEAR(m.y, 0.5f * t, 1e-3f) << n << " changes, marker " << k;
            // Each later marker stands 0.1 nearer the viewer; its outline 0.01 before it.
            EXPECT_NEAR(m.z, 0.3f + 0.1f * k, 1e-3f);
            EXPECT_EQ(CountOutlineSegments(prims, m.z + 0.01f), 3) << "marker " << k;
        }
        EXPECT_FALSE(FindMarker(prims, n).found) << "unchanged character " << n;
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 1.0f);
    }
}

TEST_F(ChangeMarkersTest, EventTotalAddsEveryBranchAndNothingForTheRoot) {
    // The start-up tree and a matrix without characters have no events.
    gEventCount = 0;
    auto prims = CaptureFeedback([] { DrawMarkers(kFar, kFar); });
    EXPECT_EQ(gEventCount, 0);
    EXPECT_TRUE(prims.empty());

    // Four taxa, one character with states 0, 1, 2, 3: three events (on I1, t1 and t2),
    // each in character 0's colour.
    LoadMatrix(MatrixCsv({"t0", "t1", "t2", "t3"}, {{"a", "b", "c", "d"}}));
    gEventCount = 0;
    prims = CaptureFeedback([] { DrawMarkers(kFar, kFar); });
    EXPECT_EQ(gEventCount, 3);
    const float* c0 = gCharacterColors[0];
    EXPECT_EQ(PolygonsOfColour(prims, c0[0], c0[1], c0[2], false).size(), 3u);

    // The pass adds to what the frame set; it does not reset the total itself.
    gEventCount = 5;
    CaptureFeedback([] { DrawMarkers(kFar, kFar); });
    EXPECT_EQ(gEventCount, 8);

    // Several rearrangements: the total always follows the model's count of the new tree.
    LoadMatrix(MatrixCsv({"a", "b", "c", "d", "e", "f"}, {{"0", "1", "1", "0", "2", "2"},
                                                          {"x", "x", "y", "y", "x", "y"},
                                                          {"p", "q", "r", "p", "q", "r"}}));
    for (int drop = 0; drop < 4; ++drop) {
        gEventCount = 0;
        CaptureFeedback([] { DrawMarkers(kFar, kFar); });
        EXPECT_EQ(gEventCount, CountChangeEvents(gRoot)) << "after drop " << drop;
        // Move the lowest leaf next to the topmost one.
        CladeNode* lowest = gRoot;
        while (lowest->right != nullptr)
            lowest = lowest->right;
        lowest->Connect(gRoot->left);
    }
}

TEST_F(ChangeMarkersTest, HoverTextShowsOnlyWithinReachOfAMarker) {
    LoadPair(1, 1); // one marker, at (0.5, 0.25)
    const float mx = 0.5f, my = 0.25f;
    const float* colour = gCharacterColors[0];
    auto hoverText = [&](float px, float py) {
        const auto prims = CaptureFeedback([&] { DrawMarkers(px, py); });
        return TextBoxOf(PolygonsOfColour(prims, colour[0], colour[1], colour[2], true));
    };
    // The last pointer position short of the limit and the first one at it, as floats.
    auto limit = [](float from, float reach, float direction) {
        float p = from;
        while (std::fabs(p - from) < reach)
            p = std::nextafter(p, direction * 1e9f);
        return std::make_pair(std::nextafter(p, from), p);
    };

    const TextBox centred = hoverText(mx, my);
    ASSERT_TRUE(centred.found);
    EXPECT_NEAR(centred.left, 70.0f * 8.0f, 0.01f); // short text starts at 70 percent
    EXPECT_NEAR(centred.top, 95.0f * 6.0f, 0.01f);
    EXPECT_NEAR(centred.bottom - centred.top, 30.0f, 0.01f); // size 5

    for (float direction : {1.0f, -1.0f}) {
        const auto x = limit(mx, 0.08f, direction);
        EXPECT_TRUE(hoverText(x.first, my).found) << direction;
        EXPECT_FALSE(hoverText(x.second, my).found) << direction;
        const auto y = limit(my, 0.12f, direction);
        EXPECT_TRUE(hoverText(mx, y.first).found) << direction;
        EXPECT_FALSE(hoverText(mx, y.second).found) << direction;
    }
    EXPECT_FALSE(hoverText(mx + 0.07f, my + 0.13f).found);

    // Nineteen changes: the first marker stands so close to the root (x 0.095) that a
    // pointer exactly 0.08 to its left exists as a float; the reach is strict there too.
    LoadPair(19, 19);
    const float first = 0.9f / 20.0f + 0.05f;
    const auto edge = limit(first, 0.08f, -1.0f);
    ASSERT_EQ(std::fabs(edge.second - first), 0.08f);
    EXPECT_TRUE(hoverText(edge.first, 0.5f * first).found);
    EXPECT_FALSE(hoverText(edge.second, 0.5f * first).found);
}

TEST_F(ChangeMarkersTest, WideHoverTextEndsNearTheRightEdgeAndLongNamesAreCut) {
    const std::string longName(12, 'W');
    LoadMatrix("t\nid,name,A,B,UNUSED,UNUSED\n1," + longName + ",s,t\n2,UNUSED\n");
    const float* colour = gCharacterColors[0];
    auto prims = CaptureFeedback([] { DrawMarkers(0.5f, 0.25f); });
    TextBox box = TextBoxOf(PolygonsOfColour(prims, colour[0], colour[1], colour[2], true));
    ASSERT_TRUE(box.found);
    EXPECT_LT(box.left, 70.0f * 8.0f);
    EXPECT_LE(box.right, kTestWidth + 0.01f);
    EXPECT_GT(box.right, kTestWidth - 8.0f - 0.01f); // the start is truncated to a percent

    // Names of 99 characters each: the line is cut to fit its buffer (see the formatting
    // test for where); it still starts at a whole percent and ends near the right edge.
    const std::string huge(99, 'W');
    const std::string state(99, 'i');
    LoadMatrix("t\nid,name,A,B,UNUSED,UNUSED\n1," + huge + ",i," + state + "\n2,UNUSED\n");
    prims = CaptureFeedback([] { DrawMarkers(0.5f, 0.25f); });
    box = TextBoxOf(PolygonsOfColour(prims, colour[0], colour[1], colour[2], true));
    ASSERT_TRUE(box.found);
    EXPECT_LE(box.right, kTestWidth + 0.01f);
    EXPECT_GT(box.right, kTestWidth - 8.0f - 0.01f);
}

TEST_F(ChangeMarkersTest, AnErrorFromTheTextLayerDoesNotStopLaterOutlines) {
    LoadPair(3, 3); // markers at 0.275, 0.5 and 0.725 of B's branch
    // Without a font, the hover text of the middle marker raises the renderer's error.
    gFontRenderer.Clear();
    bool raised = false;
    try {
        CaptureFeedback([] { DrawMarkers(0.5f, 0.25f); });
    } catch (const char*) {
        raised = true;
    }
    glRenderMode(GL_RENDER);
    TextInit();
    ASSERT_TRUE(raised);

    // The next pass still draws every outline, at the end of the pass.
    const auto prims = CaptureFeedback([] { DrawMarkers(kFar, kFar); });
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(CountOutlineSegments(prims, 0.31f + 0.1f * k), 3) << "marker " << k;
    }
}
