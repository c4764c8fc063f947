// DrawDragIndicator: while a picked node hovers over a drop target, the insertion mark on
// the target's branch (or the root stem), a band to the mark where the new node would
// stand, and an arc from the picked node to that mark. Called by the frame in the tree
// projection. Changes the current colour; the line width is restored afterwards.
#include <GL/freeglut.h>

#include <cassert>
#include <cmath>

#include "display/display.h"
#include "display/primitives.h"

namespace {

constexpr float kMarkRadius = 0.1f;
constexpr float kMarkCentre[3] = {0.0f, 0.0f, 1.0f};
constexpr float kDarkBlue[3] = {0.0f, 0.0f, 0.5f};
constexpr float kBandHalfHeight = 0.05f;
constexpr float kFirstMarkDepth = 0.1f;
constexpr float kSecondMarkDepth = 0.2f;
constexpr float kArcDepth = 0.3f;
constexpr float kArcBulge = 0.2f;                // second semi-axis, as a share of the arc's chord
constexpr double kArcStep = 0.15707963267948966; // pi / 20
constexpr double kHalfTurn = 3.141592653589793;
constexpr float kDegreesPerRadian = 57.29577951308232f;

struct Point {
    float x;
    float y;
};

// Where the target's branch is cut: the middle of its branch, or of the stem for the root.
Point InsertionPoint(const CladeNode* target) {
    if (target == gRoot || target->parent == nullptr) return {-0.5f, 0.0f};
    const CladeNode* parent = target->parent;
    return {(parent->x + target->x) / 2.0f, (parent->y + target->y) / 2.0f};
}

// Where the new internal node would stand: right of the cut, towards the side the target
// leaves free (above for the root and for a lower child, below for an upper child).
Point NewNodePoint(const CladeNode* target, Point a) {
    if (target == gRoot || target->parent == nullptr) return {a.x + 0.2f, a.y - 0.4f};
    const bool upperChild = target == target->parent->left;
    return {a.x + 0.4f, upperChild ? a.y + 0.2f : a.y - 0.2f};
}

void DrawMark(Point at, float depth) {
    DrawDisc(at.x, at.y, depth, kMarkRadius, kMarkCentre, kDarkBlue);
}

// Half an ellipse with one axis on the segment from `from` to b: starts at b and stops a
// twentieth of the half turn short of `from`.
void DrawArc(const CladeNode* from, Point b) {
    const float ddx = b.x - from->x;
    const float ddy = b.y - from->y;
    const float turn = 90.0f - std::atan2(ddx, ddy) * kDegreesPerRadian;
    const float w = std::sqrt(ddx * ddx + ddy * ddy);
    const float h = (b.x > from->x && b.y > from->y) ? -kArcBulge * w : kArcBulge * w;

    glPushMatrix();
    glTranslatef(from->x, from->y, kArcDepth);
    glRotatef(turn, 0.0f, 0.0f, 1.0f);
    glTranslatef(w / 2.0f, 0.0f, 0.0f);
    glScalef(w / 2.0f, h, 1.0f);
    glColor3fv(kDarkBlue);
    glLineWidth(static_cast<float>(glutGet(GLUT_WINDOW_WIDTH)) * 3.0f / 800.0f);
    glBegin(GL_LINE_STRIP);
    // The angle accumulates in single precision; its 21st value lands just above pi.
    for (float d = 0.0f; d <= kHalfTurn; d = static_cast<float>(d + kArcStep)) {
        glVertex2f(std::cos(d), std::sin(d));
    }
    glEnd();
    glPopMatrix();
}

} // namespace

void DrawDragIndicator(const CladeNode* dragNode, const CladeNode* dropTarget) {
    assert(dragNode != nullptr && dropTarget != nullptr);
    if (dragNode == nullptr || dropTarget == nullptr) return;
    const Point a = InsertionPoint(dropTarget);
    DrawMark(a, kFirstMarkDepth);

    const Point b = NewNodePoint(dropTarget, a);
    glColor3fv(kDarkBlue);
    glBegin(GL_QUADS);
    glVertex3f(a.x, a.y - kBandHalfHeight, kFirstMarkDepth);
    glVertex3f(a.x, a.y + kBandHalfHeight, kFirstMarkDepth);
    glVertex3f(b.x, b.y + kBandHalfHeight, kFirstMarkDepth);
    glVertex3f(b.x, b.y - kBandHalfHeight, kFirstMarkDepth);
    glEnd();
    DrawMark(b, kSecondMarkDepth);

    // The arc's width follows the window; nothing after it should inherit that width.
    glPushAttrib(GL_LINE_BIT);
    DrawArc(dragNode, b);
    glPopAttrib();
}
