// The tree's items: node discs, branch bands, the root stem, leaf labels and the picked
// node's panel. AddTree is called by the frame's scene builder on gRoot; DrawTree builds
// the same items and replays them at once (see DrawScene for the GL state it leaves).
#include <cassert>
#include <cstring>

#include "display/display.h"
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

void AddBranch(Scene& scene, const CladeNode* from, const CladeNode* to,
               const CladeNode* dropTarget) {
    SceneQuad& quad = scene.Add(SceneKind::Quad, SceneSpace::Tree, kBranchDepth).quad;
    const float corners[4][2] = {{from->x - kBranchHalfWidth, from->y},
                                 {from->x + kBranchHalfWidth, from->y},
                                 {to->x + kBranchHalfWidth, to->y},
                                 {to->x - kBranchHalfWidth, to->y}};
    std::memcpy(quad.corners, corners, sizeof corners);
    CopyRgb(quad.rgb, BranchColour(to, dropTarget));
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
void AddTree(Scene& scene, const CladeNode* node, const CladeNode* dropTarget) {
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
        AddBranch(scene, node, child, dropTarget);
        AddTree(scene, child, dropTarget);
    }

    if (isRoot) {
        SceneRect& stem = scene.Add(SceneKind::Rect, SceneSpace::Tree, kBranchDepth).rect;
        stem = {node->x - kStemLength,
                node->y - kStemHalfHeight,
                node->x,
                node->y + kStemHalfHeight,
                {}};
        CopyRgb(stem.rgb, node == dropTarget ? kTargetBranch : kPlainBranch);
    }
    if (node->isTaxon) AddLabel(scene, node);
    if (node->isDragged) AddNodePanel(scene, node);
}

void DrawTree(const CladeNode* node, const CladeNode* dropTarget) {
    Scene& scene = ScratchScene();
    AddTree(scene, node, dropTarget);
    DrawScene(scene);
}
