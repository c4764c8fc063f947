// The drag indicator's items: while a picked node hovers over a drop target, the
// insertion mark on the target's branch (or the root stem), a band to the mark where the
// new node would stand, and an arc from the picked node to that mark. AddDragIndicator
// is called by the frame's scene builder; DrawDragIndicator replays the same items.
#include <cassert>

#include "display/display.h"
#include "display/scene_builders.h"

namespace {

constexpr float kMarkRadius = 0.1f;
constexpr float kMarkCentre[3] = {0.0f, 0.0f, 1.0f};
constexpr float kDarkBlue[3] = {0.0f, 0.0f, 0.5f};
constexpr float kBandHalfHeight = 0.05f;
constexpr float kFirstMarkDepth = 0.1f;
constexpr float kSecondMarkDepth = 0.2f;
constexpr float kArcDepth = 0.3f;
constexpr float kArcWidthAt800 = 3.0f; // pixels in an 800-pixel-wide window

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

void AddMark(Scene& scene, Point at, float depth) {
    SceneDisc& disc = scene.Add(SceneKind::Disc, SceneSpace::Tree, depth).disc;
    disc = {at.x,
            at.y,
            kMarkRadius,
            {kMarkCentre[0], kMarkCentre[1], kMarkCentre[2]},
            {kDarkBlue[0], kDarkBlue[1], kDarkBlue[2]}};
}

} // namespace

void AddDragIndicator(Scene& scene, const CladeNode* dragNode, const CladeNode* dropTarget) {
    assert(dragNode != nullptr && dropTarget != nullptr);
    if (dragNode == nullptr || dropTarget == nullptr) return;
    scene.taxonCount = gTaxonCount;
    const Point a = InsertionPoint(dropTarget);
    AddMark(scene, a, kFirstMarkDepth);

    const Point b = NewNodePoint(dropTarget, a);
    SceneQuad& band = scene.Add(SceneKind::Quad, SceneSpace::Tree, kFirstMarkDepth).quad;
    band = {{{a.x, a.y - kBandHalfHeight},
             {a.x, a.y + kBandHalfHeight},
             {b.x, b.y + kBandHalfHeight},
             {b.x, b.y - kBandHalfHeight}},
            {kDarkBlue[0], kDarkBlue[1], kDarkBlue[2]}};
    AddMark(scene, b, kSecondMarkDepth);

    SceneArc& arc = scene.Add(SceneKind::Arc, SceneSpace::Tree, kArcDepth).arc;
    arc = {dragNode->x,   dragNode->y, b.x, b.y, {kDarkBlue[0], kDarkBlue[1], kDarkBlue[2]},
           kArcWidthAt800};
}

void DrawDragIndicator(const CladeNode* dragNode, const CladeNode* dropTarget) {
    Scene& scene = ScratchScene();
    AddDragIndicator(scene, dragNode, dropTarget);
    DrawScene(scene);
}
