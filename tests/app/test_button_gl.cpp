// The "Open File" push button in a real GL context under Xvfb: the three octagon layers
// read back through GL feedback, a click reported once, and, in windows of several sizes
// through the real mouse callback, the button and the nodes hit where GL draws them.
#include "app/controls.h"
#include "app/input.h"
#include "app/shell.h"
#include "clade/clade.h"
#include "display/display.h"
#include "display/text_places.h"
#include "font/text.h"
#include "matrix/matrix.h"
#include "tests/support/gl_test_window.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Vertex {
    float x, y, depth; // window coordinates, y up
    float r, g, b;
};

class ButtonGl : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        EnsureTestWindow(kWidth, kHeight);
        TextInit();
    }
    void SetUp() override {
        EnsureTestWindow(kWidth, kHeight);
        glViewport(0, 0, kWidth, kHeight);
        glShadeModel(GL_SMOOTH);
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        ResetMatrix();
        ResetInteraction();
    }
    void TearDown() override { ResetInteraction(); }
};

// Every vertex of every polygon DrawButton emits, grouped by depth (one group per layer).
std::map<float, std::vector<Vertex>> CaptureLayers(const Button& button) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    DrawButton(button);
    const GLint used = glRenderMode(GL_RENDER);
    std::map<float, std::vector<Vertex>> layers;
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            const GLint count = static_cast<GLint>(buffer[i++]);
            for (GLint v = 0; v < count; ++v, i += 7) {
                const Vertex vertex{buffer[i],     buffer[i + 1], buffer[i + 2],
                                    buffer[i + 3], buffer[i + 4], buffer[i + 5]};
                // Depths of one layer agree to far better than this.
                layers[std::round(vertex.depth * 1e4f) / 1e4f].push_back(vertex);
            }
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN ||
                   token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN) {
            i += 7;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 14;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return layers;
}

// Screen units (400 x 300, y down) to window pixels (y up).
float WindowX(float sx) {
    return sx * kWidth / 400.0f;
}
float WindowY(float sy) {
    return kHeight - sy * kHeight / 300.0f;
}

const Vertex* Find(const std::vector<Vertex>& vertices, float x, float y) {
    for (const Vertex& v : vertices) {
        if (std::fabs(v.x - x) < 0.01f && std::fabs(v.y - y) < 0.01f) return &v;
    }
    return nullptr;
}

void ExpectBounds(const std::vector<Vertex>& vertices, float left, float top, float right,
                  float bottom) {
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const Vertex& v : vertices) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    EXPECT_NEAR(minX, WindowX(left), 0.01f);
    EXPECT_NEAR(maxX, WindowX(right), 0.01f);
    EXPECT_NEAR(maxY, WindowY(top), 0.01f);
    EXPECT_NEAR(minY, WindowY(bottom), 0.01f);
}

TEST_F(ButtonGl, BodyIsShadowRimAndFaceOctagonsEachNearerThanTheLast) {
    Button button{};
    button.x = 10;
    button.y = 10;
    button.width = 10;
    button.height = 4;
    button.textSize = 5;
    const auto layers = CaptureLayers(button);
    // Depth 0.45 (z 1), 0.445 (z 1.1), 0.44 (z 1.2), and nothing else: no label.
    EXPECT_EQ(layers.size(), 3u);
    ASSERT_EQ(layers.count(0.45f), 1u);
    ASSERT_EQ(layers.count(0.445f), 1u);
    ASSERT_EQ(layers.count(0.44f), 1u);

    // Centre (60, 38.1) in screen units, half-extents 24 across and 7.5 down.
    const std::vector<Vertex>& face = layers.at(0.44f);
    const float corners[8][2] = {{38, 30.6f}, {36, 32.6f}, {36, 43.6f}, {38, 45.6f},
                                 {82, 45.6f}, {84, 43.6f}, {84, 32.6f}, {82, 30.6f}};
    for (const auto& corner : corners) {
        EXPECT_NE(Find(face, WindowX(corner[0]), WindowY(corner[1])), nullptr)
            << "face corner " << corner[0] << ", " << corner[1];
    }
    ExpectBounds(face, 36, 30.6f, 84, 45.6f);
    const Vertex* upperLeft = Find(face, WindowX(38), WindowY(30.6f));
    const Vertex* lowerRight = Find(face, WindowX(82), WindowY(45.6f));
    ASSERT_NE(upperLeft, nullptr);
    ASSERT_NE(lowerRight, nullptr);
    EXPECT_NEAR(upperLeft->r, 0.5f, 0.01f);
    EXPECT_NEAR(upperLeft->b, 0.6f, 0.01f);
    EXPECT_NEAR(lowerRight->r, 0.1f, 0.01f);
    EXPECT_NEAR(lowerRight->b, 0.2f, 0.01f);

    // The shadow is 2 units larger on every side; the rim 2.5 % wider and 7 % taller.
    ExpectBounds(layers.at(0.45f), 34, 28.6f, 86, 47.6f);
    ExpectBounds(layers.at(0.445f), 60 - 24.6f, 38.1f - 8.025f, 60 + 24.6f, 38.1f + 8.025f);

    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ButtonGl, OpenFileReportsAPressOnItInOneFrameOnly) {
    gTaxonCount = 10;
    // A press 8 pixels right of the button's anchor, 20 pixels down.
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 728, 20, kWidth, kHeight);
    ASSERT_TRUE(gPressPending);
    EXPECT_TRUE(DoButton(90, 1, 5, "Open File"));
    EXPECT_FALSE(DoButton(90, 1, 5, "Open File"));
    // A press below the zone stays pending frame after frame.
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 728, 60, kWidth, kHeight);
    EXPECT_FALSE(DoButton(90, 1, 5, "Open File"));
    EXPECT_FALSE(DoButton(90, 1, 5, "Open File"));
    EXPECT_TRUE(gPressPending);
}

TEST_F(ButtonGl, InitPushButtonMeasuresTheLabelAndCutsLongOnes) {
    Button button{};
    InitPushButton(button, 90, 1, 5, "Open File", false);
    EXPECT_FLOAT_EQ(button.height, 4.0f);
    EXPECT_FLOAT_EQ(button.width, TextGetWidth("Open File"));
    EXPECT_GT(button.width, 0.0f);
    EXPECT_STREQ(button.label, "Open File");

    const std::string longLabel(100, 'x');
    InitPushButton(button, 0, 0, 3, longLabel.c_str(), true);
    EXPECT_EQ(std::string(button.label), longLabel.substr(0, 79));
    EXPECT_TRUE(button.disabled);
}

// A press on a button is the button's alone, even over a node: it picks nothing, and the
// button reports it in the next frame. (With up to 19 taxa no node lies under "Open File"
// any more; a button drawn over a leaf stands in for one.)
TEST_F(ButtonGl, APressOnTheButtonPicksNoNodeBeneathIt) {
    gTaxonCount = 3;
    testing::internal::CaptureStdout();
    BuildInitialTree();
    RebuildTree();
    testing::internal::GetCapturedStdout();
    // Taxon 0 at tree (2, -1): 50 % across, 25 % down, inside a button anchored at (45, 22).
    const float leafX = 0.5f * kWidth;
    const float leafY = 0.25f * kHeight;
    BeginControls();
    EXPECT_FALSE(DoButton(45, 22, 5, "Open File"));
    EndControls();
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, leafX, leafY, kWidth, kHeight);
    EXPECT_FALSE(gDragging);
    EXPECT_FALSE(AnyDragged(gRoot));
    EXPECT_TRUE(DoButton(45, 22, 5, "Open File"));
    // After a frame without the button the same press picks the leaf.
    BeginControls();
    EndControls();
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, leafX, leafY, kWidth, kHeight);
    EXPECT_TRUE(gDragging);
    ResetClade(false);
}

// The window resized for real and drawn in the 4:3 viewport the reshape rule asks for, as
// when a window manager keeps a wide window (1600 x 900) at its size. With 19 taxa the
// leaf column reaches up to the button.
TEST_F(ButtonGl, ButtonAndNodesAreHitWhereTheyAreDrawnAtAnyWindowSize) {
    gTaxonCount = 19;
    testing::internal::CaptureStdout();
    BuildInitialTree();
    RebuildTree();
    testing::internal::GetCapturedStdout();
    std::vector<CladeNode*> nodes; // pre-order, root first
    for (std::vector<CladeNode*> todo{gRoot}; !todo.empty();) {
        nodes.push_back(todo.back());
        todo.pop_back();
        for (CladeNode* child : {nodes.back()->right, nodes.back()->left})
            if (child != nullptr) todo.push_back(child);
    }
    const ButtonPlace place = OpenFileButtonPlace(MeasureText);
    Button button;
    InitPushButton(button, place.x, place.y, place.size, place.label, false);
    button.label[0] = '\0'; // the body alone in the feedback
    // A press and release at a window pixel between two frames that draw the button.
    const auto click = [&](int px, int py) {
        BeginControls();
        ClaimPress(button);
        EndControls();
        OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, px, py);
        OnMouse(GLUT_LEFT_BUTTON, GLUT_UP, px, py);
        BeginControls();
        const bool claimed = ClaimPress(button);
        EndControls();
        return claimed;
    };
    const int sizes[][2] = {{800, 600}, {640, 480}, {1440, 1080}, {1600, 900}, {1024, 1000}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        glutReshapeWindow(size[0], size[1]);
        for (int round = 0; round < 400 && (glutGet(GLUT_WINDOW_WIDTH) != size[0] ||
                                            glutGet(GLUT_WINDOW_HEIGHT) != size[1]);
             ++round)
            PumpTestWindow(1);
        ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), size[1]);
        const WindowSize drawn = FourThreeSize(size[0], size[1]);
        glViewport(0, 0, drawn.width, drawn.height); // at the window's bottom left

        // The shadow, the farthest layer, in window pixels from the top; presses within a
        // pixel of each edge, inside and outside.
        float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
        const auto layers = CaptureLayers(button);
        for (const Vertex& v : layers.rbegin()->second) {
            left = std::min(left, v.x), right = std::max(right, v.x);
            top = std::min(top, size[1] - v.y), bottom = std::max(bottom, size[1] - v.y);
        }
        const int midX = static_cast<int>((left + right) / 2);
        const int midY = static_cast<int>((top + bottom) / 2);
        const int l = static_cast<int>(std::ceil(left)), r = static_cast<int>(std::floor(right));
        const int t = static_cast<int>(std::ceil(top)), b = static_cast<int>(std::floor(bottom));
        EXPECT_TRUE(click(l, midY) && click(r, midY) && click(midX, t) && click(midX, b))
            << left << ".." << right << " x " << top << ".." << bottom;
        EXPECT_FALSE(click(l - 1, midY) || click(r + 1, midY) || click(midX, t - 1) ||
                     click(midX, b + 1));

        // Every node but the root, pressed at the pixel GL draws its centre at.
        std::vector<GLfloat> buffer(4 * nodes.size());
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        SetTreeProjection();
        glBegin(GL_POINTS);
        for (const CladeNode* node : nodes)
            glVertex2f(node->x, node->y);
        glEnd();
        ASSERT_EQ(glRenderMode(GL_RENDER), static_cast<GLint>(3 * nodes.size()));
        for (std::size_t k = 1; k < nodes.size(); ++k) {
            const int px = static_cast<int>(std::lround(buffer[3 * k + 1]));
            const int py = static_cast<int>(std::lround(size[1] - buffer[3 * k + 2]));
            EXPECT_FALSE(click(px, py)) << "node " << nodes[k]->id;
            EXPECT_TRUE(gDragging && gDragNode == nodes[k]) << "node " << nodes[k]->id;
            ForgetDragState();
        }
    }
    glutReshapeWindow(kWidth, kHeight);
    ResetClade(false);
}

} // namespace
