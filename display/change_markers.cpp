// DrawChangeMarkers: one coloured triangle per change event on its branch, the hover text
// of a marker under the pointer, and the running total gEventCount. Called by the frame on
// gRoot after DrawTree, with gEventCount zeroed. Changes the current colour, the line width
// (to 1) and the text size and colour; leaves the model-view matrix as it found it.
#include <GL/gl.h>

#include <cassert>
#include <cmath>

#include "display/display.h"
#include "display/primitives.h"
#include "font/text.h"
#include "matrix/matrix.h"

int gEventCount = 0;

namespace {

// Marker triangle in its own frame, apex up on screen (tree y grows downward).
constexpr float kMarkerCorners[3][2] = {{0.0f, -1.0f}, {0.5f, 0.34f}, {-0.5f, 0.34f}};
constexpr float kMarkerScaleX = 0.25f;
constexpr float kMarkerScaleY = 0.15f;
constexpr float kMarkerLift = 0.2f;     // above the discs (0.1) and branches (0)
constexpr float kMarkerStacking = 0.1f; // each later marker of a branch covers the one before
constexpr float kOutlineLift = 0.01f;   // outline in front of its own fill
constexpr float kHoverReachX = 0.08f;
constexpr float kHoverReachY = 0.12f;
constexpr int kHoverTextSize = 5;
constexpr float kHoverTextY = 95.0f;
constexpr int kHoverTextRightmost = 70;

void DrawMarkerShape(GLenum mode) {
    glBegin(mode);
    for (const auto& corner : kMarkerCorners)
        glVertex2f(corner[0], corner[1]);
    glEnd();
}

void DrawHoverText(int character, int32_t state) {
    char txt[100];
    FormatStateLine(txt, sizeof txt, gCharacterNames[character], StateNameOf(character, state));
    const float* colour = gCharacterColors[character];
    TextSetSize(kHoverTextSize);
    TextSetColor(colour[0], colour[1], colour[2]);
    // Short texts start at 70 percent; longer ones start further left to end near the edge.
    int xt = static_cast<int>(100.0f - TextGetWidth(txt));
    if (xt > kHoverTextRightmost) xt = kHoverTextRightmost;
    TextPrint(static_cast<float>(xt), kHoverTextY, txt);
}

} // namespace

// Pre-order: the node's own branch markers, then the left subtree, then the right one;
// the node's count is added after both subtrees. Assumes each child's parent is the node.
void DrawChangeMarkers(const CladeNode* node, float pointerX, float pointerY) {
    assert(node != nullptr);
    int tnum[kMaxCharacters];
    int tval[kMaxCharacters];
    const CladeNode* parent = node->parent;
    const int n = (node == gRoot || parent == nullptr) ? 0 : ListChangeEvents(node, tnum, tval);
    assert(n >= 0 && n <= kMaxCharacters);

    if (n > 0) {
        const float dx = node->x - parent->x;
        const float dy = node->y - parent->y;
        const float step = 0.9f / static_cast<float>(n + 1);
        float t = step + 0.05f; // fractions accumulate by addition in single precision
        glPushMatrix();
        for (int k = 0; k < n; ++k) {
            const float mx = dx * t + parent->x;
            const float my = dy * t + parent->y;
            glTranslatef(0.0f, 0.0f, kMarkerStacking); // kept until the pop below
            glPushMatrix();
            glTranslatef(mx, my, kMarkerLift);
            glColor3fv(gCharacterColors[tnum[k]]);
            glScalef(kMarkerScaleX, kMarkerScaleY, 1.0f);
            DrawMarkerShape(GL_TRIANGLES);
            glTranslatef(0.0f, 0.0f, kOutlineLift);
            glColor3f(0.0f, 0.0f, 0.0f);
            glLineWidth(1.0f);
            DrawMarkerShape(GL_LINE_LOOP);
            glPopMatrix();
            t += step;
            if (std::fabs(pointerX - mx) < kHoverReachX &&
                std::fabs(pointerY - my) < kHoverReachY) {
                DrawHoverText(tnum[k], tval[k]);
            }
        }
        glPopMatrix();
    }

    if (node->left != nullptr) {
        assert(node->left->parent == node);
        DrawChangeMarkers(node->left, pointerX, pointerY);
    }
    if (node->right != nullptr) {
        assert(node->right->parent == node);
        DrawChangeMarkers(node->right, pointerX, pointerY);
    }
    gEventCount += n;
}
