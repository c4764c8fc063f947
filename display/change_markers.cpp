// DrawChangeMarkers: one coloured triangle per change event on its branch, the hover text
// of a marker under the pointer, and the running total gEventCount. Called by the frame on
// gRoot after DrawTree, with gEventCount zeroed. Changes the current colour, the line width
// (to 1) and the text size and colour; does not touch the matrices.
#include <GL/gl.h>

#include <cassert>
#include <cmath>

#include "display/display.h"
#include "display/primitives.h"
#include "font/text.h"
#include "matrix/matrix.h"

int gEventCount = 0;
float gHoverTextLeft = 100.0f;

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

// The marker's corners are placed here rather than through the model-view matrix: a
// matrix change makes GL end its batch, and a full tree has hundreds of markers.
void DrawMarkerShape(GLenum mode, float mx, float my, float z) {
    glBegin(mode);
    for (const auto& corner : kMarkerCorners)
        glVertex3f(mx + kMarkerScaleX * corner[0], my + kMarkerScaleY * corner[1], z);
    glEnd();
}

// Outlines wait here and are drawn together after the fills: switching between filled
// triangles and (smoothed) lines makes GL rebuild its pipeline, which for one outline per
// marker cost more than everything else in the pass. Every outline lies 0.01 in front of
// its own fill and at a depth no fill uses, so under the depth test the picture is the
// same as drawing each right after its fill. Room for every branch of a full tree.
struct Outline {
    float x, y, z;
};
constexpr int kMaxOutlines = kMaxCharacters * 2 * kMaxTaxa;
Outline gOutlines[kMaxOutlines];
int gOutlineCount = 0;
int gPassDepth = 0; // DrawChangeMarkers calls under way; the outermost one flushes

// Counts one DrawChangeMarkers call for as long as it runs. If a text call throws out of
// the pass, the outlines queued so far are dropped rather than left for the next frame.
struct PassScope {
    PassScope() { ++gPassDepth; }
    ~PassScope() {
        if (--gPassDepth == 0) gOutlineCount = 0;
    }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;
};

void FlushOutlines() {
    if (gOutlineCount == 0) return;
    glColor3f(0.0f, 0.0f, 0.0f);
    glLineWidth(1.0f);
    for (int i = 0; i < gOutlineCount; ++i) {
        DrawMarkerShape(GL_LINE_LOOP, gOutlines[i].x, gOutlines[i].y, gOutlines[i].z);
    }
    gOutlineCount = 0;
}

void QueueOutline(float x, float y, float z) {
    if (gOutlineCount == kMaxOutlines) FlushOutlines();
    gOutlines[gOutlineCount++] = {x, y, z};
}

void DrawHoverText(int character, int32_t state) {
    // Text is drawn without the depth test; keep it over every outline drawn before it.
    FlushOutlines();
    char txt[100];
    FormatStateLine(txt, sizeof txt, gCharacterNames[character], StateNameOf(character, state));
    const float* colour = gCharacterColors[character];
    TextSetSize(kHoverTextSize);
    TextSetColor(colour[0], colour[1], colour[2]);
    // Short texts start at 70 percent; longer ones start further left to end near the edge.
    int xt = static_cast<int>(100.0f - TextGetWidth(txt));
    if (xt > kHoverTextRightmost) xt = kHoverTextRightmost;
    gHoverTextLeft = static_cast<float>(xt);
    TextPrint(static_cast<float>(xt), kHoverTextY, txt);
}

} // namespace

void ResetDisplay() {
    gEventCount = 0;
    gHoverTextLeft = 100.0f;
    gOutlineCount = 0;
    gPassDepth = 0;
}

// Pre-order: the node's own branch markers, then the left subtree, then the right one;
// the node's count is added after both subtrees, and the outermost call draws the queued
// outlines last. Assumes each child's parent is the node.
void DrawChangeMarkers(const CladeNode* node, float pointerX, float pointerY) {
    assert(node != nullptr);
    const PassScope scope;
    if (gPassDepth == 1) gHoverTextLeft = 100.0f; // a new pass: no hover text yet
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
        float stack = 0.0f;     // each later marker of the branch stands 0.1 nearer
        for (int k = 0; k < n; ++k) {
            const float mx = dx * t + parent->x;
            const float my = dy * t + parent->y;
            stack += kMarkerStacking;
            const float fillZ = stack + kMarkerLift;
            glColor3fv(gCharacterColors[tnum[k]]);
            DrawMarkerShape(GL_TRIANGLES, mx, my, fillZ);
            QueueOutline(mx, my, fillZ + kOutlineLift);
            t += step;
            if (std::fabs(pointerX - mx) < kHoverReachX &&
                std::fabs(pointerY - my) < kHoverReachY) {
                DrawHoverText(tnum[k], tval[k]);
            }
        }
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
    if (gPassDepth == 1) FlushOutlines();
}
