// The tree's items: node discs, branch bands (in a trace's colours and dashes while one is
// shown), the root stem, leaf labels and the picked node's panel. AddTree is called by the
// frame's scene builder on gRoot; DrawTree builds the same items and replays them at once
// (see DrawScene for the GL state it leaves).
#include <cassert>
#include <cmath>
#include <cstring>

#include "display/display.h"
#include "display/reconstruction_view.h"
#include "display/scene_builders.h"
#include "display/text_places.h"
#include "matrix/matrix.h"

namespace {

constexpr float kDiscRadius = 0.2f;
constexpr float kBranchHalfWidth = 0.1f;
constexpr float kStemLength = 1.0f;
constexpr float kStemHalfHeight = 0.05f;
constexpr float kDiscDepth = 0.1f; // in front of branches (z 0) under the depth test
constexpr float kBranchDepth = 0.0f;

constexpr float kPickedBranch[3] = {0.7f, 0.7f, 0.7f};
constexpr float kTargetBranch[3] = {1.0f, 0.5f, 0.0f};
constexpr float kPlainBranch[3] = {0.5f, 0.0f, 0.0f};
constexpr float kLabelColour[3] = {0.0f, 0.0f, 0.0f};

void CopyRgb(float out[3], const float rgb[3]) {
    out[0] = rgb[0];
    out[1] = rgb[1];
    out[2] = rgb[2];
}

// The picked test comes first: a picked node's branch is grey even while it is the target.
const float* BranchColour(const CladeNode* child, const CladeNode* dropTarget) {
    if (child->isDragged) return kPickedBranch;
    if (child == dropTarget) return kTargetBranch;
    return kPlainBranch;
}

// The band from `from` to `to` over the fractions t0 .. t1 of its way: a quadrilateral
// with two edges along x at the two ends, as the whole band has.
void AddBand(Scene& scene, const CladeNode* from, const CladeNode* to, float t0, float t1,
             const float rgb[3]) {
    SceneQuad& quad = scene.Add(SceneKind::Quad, SceneSpace::Tree, kBranchDepth).quad;
    const float dx = to->x - from->x;
    const float dy = to->y - from->y;
    // The whole band's corners are the nodes' own coordinates, to the last bit.
    const float x0 = t0 == 0.0f ? from->x : from->x + dx * t0;
    const float y0 = t0 == 0.0f ? from->y : from->y + dy * t0;
    const float x1 = t1 == 1.0f ? to->x : from->x + dx * t1;
    const float y1 = t1 == 1.0f ? to->y : from->y + dy * t1;
    const float corners[4][2] = {{x0 - kBranchHalfWidth, y0},
                                 {x0 + kBranchHalfWidth, y0},
                                 {x1 + kBranchHalfWidth, y1},
                                 {x1 - kBranchHalfWidth, y1}};
    std::memcpy(quad.corners, corners, sizeof corners);
    CopyRgb(quad.rgb, rgb);
}

// A trace recolours only the plain branches: the picked node's and the drop target's keep
// telling the pick and the aim.
void AddBranch(Scene& scene, const CladeNode* from, const CladeNode* to,
               const CladeNode* dropTarget, const ReconstructionView* views) {
    const float* colour = BranchColour(to, dropTarget);
    TraceBand band{};
    if (colour != kPlainBranch || !TraceBandOf(views, to, &band)) {
        AddBand(scene, from, to, 0.0f, 1.0f, colour);
    } else if (!band.dashed) {
        AddBand(scene, from, to, 0.0f, 1.0f, band.rgb);
    } else {
        const float length = std::hypot(to->x - from->x, to->y - from->y);
        ForEachDash(length,
                    [&](float t0, float t1) { AddBand(scene, from, to, t0, t1, band.rgb); });
    }
}

void AddStem(Scene& scene, const CladeNode* root, const CladeNode* dropTarget,
             const ReconstructionView* views) {
    const float* colour = root == dropTarget ? kTargetBranch : kPlainBranch;
    TraceBand band{};
    const bool traced = root != dropTarget && TraceBandOf(views, root, &band);
    if (traced) colour = band.rgb;
    const float left = root->x - kStemLength;
    auto addRect = [&](float from, float to) {
        SceneRect& stem = scene.Add(SceneKind::Rect, SceneSpace::Tree, kBranchDepth).rect;
        stem = {from, root->y - kStemHalfHeight, to, root->y + kStemHalfHeight, {}};
        CopyRgb(stem.rgb, colour);
    };
    if (!traced || !band.dashed) {
        addRect(left, root->x);
        return;
    }
    ForEachDash(kStemLength, [&](float t0, float t1) {
        addRect(left + kStemLength * t0, t1 == 1.0f ? root->x : left + kStemLength * t1);
    });
}

void AddLabel(Scene& scene, const CladeNode* node) {
    const PlacedText label = PlaceLeafLabel(node, MeasureText).line;
    AddText(scene, label.x, label.y, label.size, kLabelColour, label.text.c_str(),
            label.text.size());
}

} // namespace

// Pre-order: the node's disc, then its left branch and whole left subtree, then its right
// branch and subtree, then its own stem, label and panel. Assumes every child's parent
// link points back at the node it hangs from.
void AddTree(Scene& scene, const CladeNode* node, const CladeNode* dropTarget,
             const ReconstructionView* views) {
    assert(node != nullptr);
    scene.taxonCount = gTaxonCount;
    const bool isRoot = node == gRoot;
    const float red = isRoot ? 1.0f : 0.0f;
    const float blue = node->isDragged ? 1.0f : 0.0f;
    SceneDisc& disc = scene.Add(SceneKind::Disc, SceneSpace::Tree, kDiscDepth).disc;
    disc = {node->x, node->y, kDiscRadius, {red, 1.0f, blue}, {red, 0.3f, blue}};

    for (const CladeNode* child : {node->left, node->right}) {
        if (child == nullptr) continue;
        assert(child->parent == node);
        AddBranch(scene, node, child, dropTarget, views);
        AddTree(scene, child, dropTarget, views);
    }

    if (isRoot) AddStem(scene, node, dropTarget, views);
    if (node->isTaxon) AddLabel(scene, node);
    if (node->isDragged) AddNodePanel(scene, node, FewestChangesOf(views));
}

void DrawTree(const CladeNode* node, const CladeNode* dropTarget) {
    Scene& scene = ScratchScene();
    AddTree(scene, node, dropTarget);
    DrawScene(scene);
}
