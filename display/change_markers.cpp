// The change markers' items: one coloured triangle per change event on its branch (by the
// editor's rule, or by a reconstruction with the fewest changes), their outlines, in
// presentation mode the characters' numbers in them, and the bottom line's hover texts (a
// marker's change, a shortened label's name); and the running total gEventCount.
// AddChangeMarkers and AddHoverTexts are called by the frame's scene builder on gRoot
// after the tree; DrawChangeMarkers builds the same items and replays them at once.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <string>

#include "clade/reconstruction.h"
#include "display/display.h"
#include "display/geometry.h"
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

// Presentation mode's markers are sized in the window, not in tree units, so that the
// number fits whatever the number of taxa: the triangle's base and height in percent of
// the window's width and height (32 x 27 pixels at 800 x 600), room for two digits of text
// size 2 (a 12-pixel cell, digits about 9 pixels high) with a margin inside the outline.
// Past some 20 taxa a marker so tall would cover the next row of branches: the marker
// then takes nine tenths of the leaf spacing, and its number shrinks with it down to a
// 9-pixel cell, which may reach past a small marker's outline.
constexpr float kPresentationBase = 4.0f;
constexpr float kPresentationHeight = 4.5f;
constexpr float kNumberSize = 2.0f;
constexpr float kLeastNumberSize = 1.5f;
constexpr float kCornersWide = kMarkerCorners[1][0] - kMarkerCorners[2][0];
constexpr float kCornersHigh = kMarkerCorners[1][1] - kMarkerCorners[0][1];
// The triangle's body: its centroid, in the marker's own frame (x 0).
constexpr float kBodyY = (kMarkerCorners[0][1] + kMarkerCorners[1][1] + kMarkerCorners[2][1]) / 3;
constexpr float kBlack[3] = {0.0f, 0.0f, 0.0f};
constexpr float kWhite[3] = {1.0f, 1.0f, 1.0f};

// How the markers of this frame look: their scale and how far the hover reaches from the
// marker point either way, which keeps its share of the marker at any size.
struct MarkerLook {
    float scaleX, scaleY;
    float reachX, reachY;
    bool numbered;
    float numberSize;
};

MarkerLook LookOfMarkers() {
    if (!gPresentationMode)
        return {kMarkerScaleX, kMarkerScaleY, kHoverReachX, kHoverReachY, false, kNumberSize};
    const float spacing = static_cast<float>(100.0 / TreeViewOf(gTaxonCount).Height());
    const float share = std::min(1.0f, 0.9f * spacing / kPresentationHeight);
    const float scaleX = PercentToTreeWidth(kPresentationBase * share, gTaxonCount) / kCornersWide;
    const float scaleY =
        PercentToTreeHeight(kPresentationHeight * share, gTaxonCount) / kCornersHigh;
    return {scaleX,
            scaleY,
            kHoverReachX * scaleX / kMarkerScaleX,
            kHoverReachY * scaleY / kMarkerScaleY,
            true,
            std::max(kLeastNumberSize, kNumberSize * share)};
}

// Black or white, whichever stands out more on the fill: by the contrast ratio of their
// relative luminances (sRGB).
const float* NumberColourOn(const float fill[3]) {
    constexpr float kWeights[3] = {0.2126f, 0.7152f, 0.0722f};
    float luminance = 0.0f;
    for (int c = 0; c < 3; ++c) {
        const float v = fill[c];
        const float linear = v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
        luminance += kWeights[c] * linear;
    }
    const float onWhite = 1.05f / (luminance + 0.05f);
    const float onBlack = (luminance + 0.05f) / 0.05f;
    return onWhite > onBlack ? kWhite : kBlack;
}

// The character's number (1-based) centred on the body of the marker at (x, y), in the
// scene's queue of numbers. Text runs are window items, which the exported picture draws
// after every tree item and the window in list order: queued, they follow every fill and
// outline, so the two agree where markers meet (every number stays whole).
void QueueNumber(Scene& scene, const MarkerLook& look, float x, float y, int character,
                 const float fill[3]) {
    const std::string number = std::to_string(character + 1);
    const float centreX = static_cast<float>(TreeToPercentX(x, gTaxonCount));
    const float centreY = static_cast<float>(TreeToPercentY(y + look.scaleY * kBodyY, gTaxonCount));
    AddText(scene, centreX - MeasureText(number.c_str(), look.numberSize) / 2.0f,
            centreY - TextHeightPercent(look.numberSize) / 2.0f, look.numberSize,
            NumberColourOn(fill), number.c_str(), number.size());
    scene.pendingNumbers.push_back(scene.items.back());
    scene.items.pop_back();
}

// Outlines wait in the scene's queue and follow the fills together: switching between
// filled triangles and (smoothed) lines makes GL rebuild its pipeline, which for one
// outline per marker cost more than everything else in the pass. Every outline lies 0.01
// in front of its own fill and at a depth no fill uses, so under the depth test the
// picture is the same as drawing each right after its fill. The numbers (presentation
// mode) come last, over every marker.
void FlushOutlines(Scene& scene) {
    scene.items.insert(scene.items.end(), scene.pendingOutlines.begin(),
                       scene.pendingOutlines.end());
    scene.pendingOutlines.clear();
    scene.items.insert(scene.items.end(), scene.pendingNumbers.begin(), scene.pendingNumbers.end());
    scene.pendingNumbers.clear();
}

// What the markers show: the editor's rule, or the reconstruction's changes; and whether
// they are drawn or only counted.
struct MarkerRule {
    const Reconstruction* fewest;
    bool drawn;
    MarkerLook look;
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
        // The usual markers stand a step apart over the middle nine tenths of the branch.
        // Presentation mode's, many times larger, take equal slots of the whole branch: as
        // far apart as they can be, so that n of them keep clear of each other's numbers on
        // a branch n markers wide.
        const MarkerLook& look = rule.look;
        const float slots = static_cast<float>(n);
        const float step = look.numbered ? 1.0f / slots : 0.9f / (slots + 1.0f);
        float t = look.numbered ? step / 2.0f : step + 0.05f; // added up in single precision
        float stack = 0.0f; // each later marker of the branch stands 0.1 nearer
        for (int k = 0; k < n; ++k) {
            const float mx = dx * t + parent->x;
            const float my = dy * t + parent->y;
            stack += kMarkerStacking;
            const float fillZ = stack + kMarkerLift;
            const float* colour = CharacterColour(tnum[k]);
            SceneItem& fill = scene.Add(SceneKind::Marker, SceneSpace::Tree, fillZ);
            fill.marker = {mx, my, {colour[0], colour[1], colour[2]}, look.scaleX, look.scaleY};
            SceneItem& outline = scene.pendingOutlines.emplace_back();
            outline.kind = SceneKind::Outline;
            outline.space = SceneSpace::Tree;
            outline.z = fillZ + kOutlineLift;
            outline.marker = {mx,
                              my,
                              {kOutlineColour[0], kOutlineColour[1], kOutlineColour[2]},
                              look.scaleX,
                              look.scaleY};
            if (look.numbered) QueueNumber(scene, look, mx, my, tnum[k], colour);
            t += step;
            if (std::fabs(pointerX - mx) < look.reachX && std::fabs(pointerY - my) < look.reachY) {
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
    scene.pendingNumbers.clear();
    scene.hoveredChanges.clear();
    const int events =
        AddMarkersBelow(scene, node, pointerX, pointerY, {fewest, drawn, LookOfMarkers()});
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
