// The window at several sizes, through the real mouse callback: "Open File" is hit exactly
// where GL draws its body and shadow, and a press on a node's drawn centre picks that node.
// The window is resized for real; its viewport is the 4:3 size the reshape rule asks for,
// as when a window manager keeps a wide window (1600 x 900) at its size.
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
#include <string>
#include <vector>

namespace {

struct WindowBox {
    float left, top, right, bottom; // window pixels from the top-left corner
};

class WindowSizes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        EnsureTestWindow(800, 600);
        TextInit();
    }
    void SetUp() override {
        ResetMatrix();
        ResetInput();
        gTaxonCount = 19; // the leaf column reaches up to the button
        testing::internal::CaptureStdout();
        BuildInitialTree();
        RebuildTree();
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        ResetInput();
        ResetClade(false);
        ResetMatrix();
    }
};

// Resizes the test window and waits until GLUT reports the new size.
bool ResizeTo(int width, int height) {
    glutReshapeWindow(width, height);
    for (int round = 0; round < 400; ++round) {
        if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height)
            return true;
        PumpTestWindow(1);
    }
    return false;
}

// The window positions of what draw sends down the pipeline (GL_3D), in the order sent,
// with y counted from the window's top.
std::vector<std::vector<float>> Feedback(const std::function<void()>& draw, GLenum token) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    const float height = static_cast<float>(glutGet(GLUT_WINDOW_HEIGHT));
    std::vector<std::vector<float>> out; // per primitive: x0, y0, depth0, x1, ...
    for (GLint i = 0; i < used;) {
        const GLint kind = static_cast<GLint>(buffer[i++]);
        GLint count = 0;
        if (kind == GL_POLYGON_TOKEN) count = static_cast<GLint>(buffer[i++]);
        if (kind == GL_POINT_TOKEN || kind == GL_BITMAP_TOKEN || kind == GL_DRAW_PIXEL_TOKEN ||
            kind == GL_COPY_PIXEL_TOKEN)
            count = 1;
        if (kind == GL_LINE_TOKEN || kind == GL_LINE_RESET_TOKEN) count = 2;
        if (kind == GL_PASS_THROUGH_TOKEN) count = 0, ++i;
        std::vector<float> vertices;
        for (GLint v = 0; v < count; ++v, i += 3)
            vertices.insert(vertices.end(), {buffer[i], height - buffer[i + 1], buffer[i + 2]});
        if (static_cast<GLenum>(kind) == token) out.push_back(vertices);
    }
    return out;
}

// The box of the button's farthest layer, its shadow, as GL draws it.
WindowBox DrawnShadow(const Button& button) {
    WindowBox box{1e9f, 1e9f, -1e9f, -1e9f};
    float depth = -1.0f;
    for (const auto& polygon : Feedback([&] { DrawButton(button); }, GL_POLYGON_TOKEN)) {
        if (polygon[2] < depth - 1e-4f) continue;
        if (polygon[2] > depth + 1e-4f) box = {1e9f, 1e9f, -1e9f, -1e9f}, depth = polygon[2];
        for (std::size_t v = 0; v < polygon.size(); v += 3) {
            box = {std::min(box.left, polygon[v]), std::min(box.top, polygon[v + 1]),
                   std::max(box.right, polygon[v]), std::max(box.bottom, polygon[v + 1])};
        }
    }
    return box;
}

// One press and release at a window pixel through the mouse callback, between two frames
// that draw the button; returns whether the second frame's button claimed it.
bool ButtonTakes(const Button& button, int px, int py) {
    BeginControls();
    ClaimPress(button);
    EndControls();
    OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, px, py);
    OnMouse(GLUT_LEFT_BUTTON, GLUT_UP, px, py);
    BeginControls();
    const bool claimed = ClaimPress(button);
    EndControls();
    return claimed;
}

void Nodes(CladeNode* node, std::vector<CladeNode*>* out) { // pre-order
    if (node == nullptr) return;
    out->push_back(node);
    Nodes(node->left, out);
    Nodes(node->right, out);
}

TEST_F(WindowSizes, ButtonAndNodesAreHitWhereTheyAreDrawn) {
    const struct {
        int width, height;
    } windows[] = {{800, 600}, {640, 480}, {1440, 1080}, {1600, 900}, {1024, 1000}};
    for (const auto& window : windows) {
        SCOPED_TRACE(std::to_string(window.width) + " x " + std::to_string(window.height));
        ASSERT_TRUE(ResizeTo(window.width, window.height));
        const WindowSize drawn = FourThreeSize(window.width, window.height);
        glViewport(0, 0, drawn.width, drawn.height); // at the window's bottom left

        const ButtonPlace place = OpenFileButtonPlace(MeasureText);
        Button button;
        InitPushButton(button, place.x, place.y, place.size, place.label, false);
        button.label[0] = '\0'; // the body alone in the feedback
        const WindowBox box = DrawnShadow(button);
        ASSERT_LT(box.left, box.right);
        const int midX = static_cast<int>((box.left + box.right) / 2);
        const int midY = static_cast<int>((box.top + box.bottom) / 2);
        // Within a pixel of each edge, inside and outside.
        const struct {
            int x, y;
            bool inside;
        } presses[] = {
            {static_cast<int>(std::ceil(box.left + 0.01f)), midY, true},
            {static_cast<int>(std::floor(box.left - 0.01f)), midY, false},
            {static_cast<int>(std::floor(box.right - 0.01f)), midY, true},
            {static_cast<int>(std::ceil(box.right + 0.01f)), midY, false},
            {midX, static_cast<int>(std::ceil(box.top + 0.01f)), true},
            {midX, static_cast<int>(std::floor(box.top - 0.01f)), false},
            {midX, static_cast<int>(std::floor(box.bottom - 0.01f)), true},
            {midX, static_cast<int>(std::ceil(box.bottom + 0.01f)), false},
        };
        for (const auto& press : presses) {
            EXPECT_EQ(ButtonTakes(button, press.x, press.y), press.inside)
                << "press at " << press.x << ", " << press.y << "; drawn " << box.left << ".."
                << box.right << " x " << box.top << ".." << box.bottom;
            EXPECT_FALSE(gDragging);
        }

        // Every node but the root, pressed at the pixel GL draws its centre at.
        std::vector<CladeNode*> nodes;
        Nodes(gRoot, &nodes);
        const auto centres = Feedback(
            [&] {
                SetTreeProjection();
                glBegin(GL_POINTS);
                for (const CladeNode* node : nodes)
                    glVertex3f(node->x, node->y, 0.0f);
                glEnd();
            },
            GL_POINT_TOKEN);
        ASSERT_EQ(centres.size(), nodes.size());
        for (std::size_t k = 1; k < nodes.size(); ++k) {
            const int px = static_cast<int>(std::lround(centres[k][0]));
            const int py = static_cast<int>(std::lround(centres[k][1]));
            BeginControls();
            ClaimPress(button); // the frame under the press drew the button
            EndControls();
            OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, px, py);
            OnMouse(GLUT_LEFT_BUTTON, GLUT_UP, px, py);
            EXPECT_TRUE(gDragging && gDragNode == nodes[k])
                << "node " << nodes[k]->id << " at " << px << ", " << py;
            ForgetDragState();
        }
    }
    ASSERT_TRUE(ResizeTo(800, 600));
    glViewport(0, 0, 800, 600);
}

} // namespace
