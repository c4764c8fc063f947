// The change markers' items: one coloured triangle per change event on its branch (by the
// editor's rule, or by a reconstruction with the fewest changes), their outlines, and the
// bottom line's hover texts (a marker's change, a shortened label's name); and the running
// total gEventCount. AddChangeMarkers and AddHoverTexts are called by the frame's scene
// builder on gRoot after the tree; DrawChangeMarkers builds the same items and replays
// them at once.
#include <algorithm>
#include <cassert>
#include <cmath>

#include "clade/reconstruction.h"
#include "display/display.h"
#include "display/primitives.h"
#include "display/scene_builders.h"
#include "display/text_places.h"
#include "font/text.h"
#include "matrix/matrix.h"

int gEventCount = 0;
float gHoverTextLeft = 100.0f;

namespace {

constexpr float kMarkerLift = 0.2f;     // above the discs (0.1) and branches (0)
constexpr float kMarkerStacking = 0.1f; // each later marker of a branch covers the one before
constexpr float kOutlineLift = 0.01f;   // outline in front of its own fill
constexpr float kOutlineColour[3] = {0.0f, 0.0f, 0.0f};
constexpr float kHoverReachX = 0.08f;
constexpr float kHoverReachY = 0.12f;
constexpr float kLabelColour[3] = {0.0f, 0.0f, 0.0f};

// Outlines wait in the scene's queue and follow the fills together: switching between
// filled triangles and (smoothed) lines makes GL rebuild its pipeline, which for one
// outline per marker cost more than everything else in the pass. Every outline lies 0.01
// in front of its own fill and at a depth no fill uses, so under the depth test the
// picture is the same as drawing each right after its fill.
void FlushOutlines(Scene& scene) {
    scene.items.insert(scene.items.end(), scene.pendingOutlines.begin(),
                       scene.pendingOutlines.end());
    scene.pendingOutlines.clear();
}

// What the markers show: the editor's rule, or the reconstruction's changes; and whether
// they are drawn or only counted.
struct MarkerRule {
    const Reconstruction* fewest;
    bool drawn;
};

int ListChanges(const MarkerRule& rule, const CladeNode* node, int tnum[kMaxCharacters],
                int tval[kMaxCharacters]) {
    return rule.fewest != nullptr ? rule.fewest->ListChanges(node, tnum, tval)
                                  : ListChangeEvents(node, tnum, tval);
}

// Pre-order: the node's own branch markers, then the left subtree, then the right one.
// Assumes each child's parent is the node. Returns the events of the subtree.
int AddMarkersBelow(Scene& scene, const CladeNode* node, float pointerX, float pointerY,
                    const MarkerRule& rule) {
    assert(node != nullptr);
    int tnum[kMaxCharacters];
    int tval[kMaxCharacters];
    const CladeNode* parent = node->parent;
    const int n = (node == gRoot || parent == nullptr) ? 0 : ListChanges(rule, node, tnum, tval);
    assert(n >= 0 && n <= kMaxCharacters);

    if (n > 0 && rule.drawn) {
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
            const float* colour = CharacterColour(tnum[k]);
            SceneItem& fill = scene.Add(SceneKind::Marker, SceneSpace::Tree, fillZ);
            fill.marker = {mx, my, {colour[0], colour[1], colour[2]}};
            SceneItem& outline = scene.pendingOutlines.emplace_back();
            outline.kind = SceneKind::Outline;
            outline.space = SceneSpace::Tree;
            outline.z = fillZ + kOutlineLift;
            outline.marker = {mx, my, {kOutlineColour[0], kOutlineColour[1], kOutlineColour[2]}};
            t += step;
            if (std::fabs(pointerX - mx) < kHoverReachX &&
                std::fabs(pointerY - my) < kHoverReachY) {
                scene.hoveredChanges.emplace_back(tnum[k], tval[k]);
            }
        }
    }

    int events = n;
    if (node->left != nullptr) {
        assert(node->left->parent == node);
        events += AddMarkersBelow(scene, node->left, pointerX, pointerY, rule);
    }
    if (node->right != nullptr) {
        assert(node->right->parent == node);
        events += AddMarkersBelow(scene, node->right, pointerX, pointerY, rule);
    }
    return events;
}

} // namespace

int AddChangeMarkers(Scene& scene, const CladeNode* node, float pointerX, float pointerY,
                     const Reconstruction* fewest, bool drawn) {
    scene.taxonCount = gTaxonCount;
    scene.pendingOutlines.clear();
    scene.hoveredChanges.clear();
    const int events = AddMarkersBelow(scene, node, pointerX, pointerY, {fewest, drawn});
    FlushOutlines(scene);
    return events;
}

void DrawChangeMarkers(const CladeNode* node, float pointerX, float pointerY) {
    Scene& scene = ScratchScene();
    const int events = AddChangeMarkers(scene, node, pointerX, pointerY);
    AddHoverTexts(scene, nullptr, 0.0f, 100.0f);
    DrawScene(scene);
    gEventCount += events;
}

void AddHoverTexts(Scene& scene, const CladeNode* leaf, float leftBound, float rightBound) {
    std::vector<HoverText> texts;
    for (const auto& [character, state] : scene.hoveredChanges)
        texts.push_back({gCharacterNames[character], StateNameOf(character, state), character});
    if (leaf != nullptr) texts.push_back({LeafName(leaf), "", -1});
    if (texts.empty()) return;
    for (const PlacedText& line : PlaceHoverTexts(texts, leftBound, rightBound, MeasureText)) {
        AddText(scene, line.x, line.y, line.size,
                line.character >= 0 ? CharacterColour(line.character) : kLabelColour,
                line.text.c_str(), line.text.size());
        scene.hoverTextLeft = std::min(scene.hoverTextLeft, line.x);
    }
}
