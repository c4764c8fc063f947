// The frame's scene: the list of the picture's parts in drawing order, and the pieces the
// builders share (text runs, the scratch scene). Called by the frame and by picture
// export through BuildFrameScene. Touches no GL; text is measured with the font layer.
#include <algorithm>
#include <cassert>
#include <cstring>

#include "display/display.h"
#include "display/parsimony_layout.h"
#include "display/reconstruction_view.h"
#include "display/scene_builders.h"
#include "display/text_places.h"
#include "font/text.h"

namespace {

constexpr float kBannerColour[3] = {0.0f, 0.0f, 1.0f};
constexpr float kTotalColour[3] = {0.0f, 0.0f, 0.0f};
constexpr float kAfterTotal = 2.0f; // free room between the event total and a hover text

void AddPlaced(Scene& scene, const PlacedText& line, const float rgb[3]) {
    AddText(scene, line.x, line.y, line.size, rgb, line.text.c_str(), line.text.size());
}

void AddBanner(Scene& scene, const SceneView&) {
    AddPlaced(scene, BannerText(), kBannerColour);
}

// The window draws its controls here, over the banner and under the tree.
void AddWindowControls(Scene& scene, const SceneView&) {
    scene.Add(SceneKind::WindowControls, SceneSpace::Window, 0.0f);
}

void AddTreeOfModel(Scene& scene, const SceneView& view) {
    if (gRoot != nullptr) AddTree(scene, gRoot, view.dropTarget, view.reconstructionView);
}

// A trace shows the changes of its character by its colours: the markers of every
// character would only hide them, so they are counted but not drawn.
void AddMarkersOfModel(Scene& scene, const SceneView& view) {
    const Reconstruction* fewest = FewestChangesOf(view.reconstructionView);
    scene.fewestChanges = fewest != nullptr;
    if (gRoot != nullptr) {
        scene.eventTotal = AddChangeMarkers(scene, gRoot, view.pointerX, view.pointerY, fewest,
                                            TracedOf(view.reconstructionView) < 0);
    }
}

// The total of the markers just added: the one of the tree drawn.
void AddEventTotal(Scene& scene, const SceneView&) {
    AddPlaced(scene, EventTotalText(scene.eventTotal, scene.fewestChanges), kTotalColour);
}

// Pre-order: the first taxon leaf under the point whose label is shortened, or null.
const CladeNode* ShortenedLeafAt(const CladeNode* node, float x, float y) {
    if (node == nullptr) return nullptr;
    if (node->isTaxon && OverNode(node, x, y) && PlaceLeafLabel(node, MeasureText).shortened)
        return node;
    const CladeNode* left = ShortenedLeafAt(node->left, x, y);
    return left != nullptr ? left : ShortenedLeafAt(node->right, x, y);
}

// What the pointer is over, on the bottom line right of the event total.
// An aimed drop's "Drop here" line (parsimony tools) keeps its room left of them.
void AddPointerTexts(Scene& scene, const SceneView& view) {
    const float total = EventTotalRight(scene.eventTotal, MeasureText, scene.fewestChanges);
    float left = total + kAfterTotal;
    if (view.parsimony != nullptr && !view.parsimony->dropHere.empty())
        left = std::max(left, DropHereRoomEnd(view.parsimony->dropHere, total, MeasureText));
    AddHoverTexts(scene, ShortenedLeafAt(gRoot, view.pointerX, view.pointerY), left,
                  BottomLineRight(gRoot, MeasureText));
}

void AddAncestralPanelElement(Scene& scene, const SceneView& view) {
    AddAncestralPanel(scene, FewestChangesOf(view.reconstructionView));
}

void AddMoreLinesElement(Scene& scene, const SceneView&) {
    AddMoreLinesBox(scene);
}

void AddDragIndicatorElement(Scene& scene, const SceneView& view) {
    if (view.dragNode != nullptr && view.dropTarget != nullptr) {
        AddDragIndicator(scene, view.dragNode, view.dropTarget);
    }
}

// The picture's parts, back to front in the window's drawing order. A new part of the
// picture is one builder and one line here; GL and cairo draw it as soon as it uses the
// existing item kinds.
using ElementBuilder = void (*)(Scene& scene, const SceneView& view);
const ElementBuilder kFrameElements[] = {
    AddBanner,         AddWindowControls,       AddTreeOfModel,           AddMarkersOfModel,
    AddEventTotal,     AddPointerTexts,         AddAncestralPanelElement,
    AddTraceLegend, // before the parsimony panel, which keeps off it
    AddParsimonyTools, AddDragIndicatorElement, AddMoreLinesElement,
};

} // namespace

void BuildFrameScene(const SceneView& view, Scene* scene) {
    scene->Clear();
    scene->taxonCount = gTaxonCount;
    scene->pointerPercentX = static_cast<float>(TreeToPercentX(view.pointerX, gTaxonCount));
    scene->pointerPercentY = static_cast<float>(TreeToPercentY(view.pointerY, gTaxonCount));
    for (ElementBuilder build : kFrameElements) {
        build(*scene, view);
    }
}

int CharacterLineAt(const Scene& scene, float x, float y) {
    for (auto line = scene.characterLines.rbegin(); line != scene.characterLines.rend(); ++line)
        if (InBox(line->box, x, y)) return line->character;
    return -1;
}

void AddText(Scene& scene, float x, float y, float size, const float rgb[3], const char* text,
             std::size_t length) {
    const std::size_t offset = scene.text.size();
    scene.text.insert(scene.text.end(), text, text + length);
    scene.text.push_back('\0');
    SceneText& run = scene.Add(SceneKind::Text, SceneSpace::Window, 0.0f).text;
    run = {x,
           y,
           size,
           TextHeightPercent(size),
           {rgb[0], rgb[1], rgb[2]},
           static_cast<std::uint32_t>(offset),
           static_cast<std::uint32_t>(length)};
}

void AddText(Scene& scene, float x, float y, float size, const float rgb[3], const char* text) {
    AddText(scene, x, y, size, rgb, text, std::strlen(text));
}

void AddBox(Scene& scene, const PercentBox& box, const float rgb[3]) {
    scene.Add(SceneKind::Rect, SceneSpace::Window, 0.0f).rect = {
        box.left, box.top, box.right, box.bottom, {rgb[0], rgb[1], rgb[2]}};
}

void AddFramedBox(Scene& scene, const PercentBox& box, const float edge[3], const float fill[3]) {
    // The frame is as thick across as down in pixels of a 4:3 window.
    constexpr float kEdge = 0.2f;
    AddBox(scene, box, edge);
    AddBox(
        scene,
        {box.left + kEdge, box.top + kEdge * 4 / 3, box.right - kEdge, box.bottom - kEdge * 4 / 3},
        fill);
}

void ResetDisplay() {
    gEventCount = 0;
    gPresentationMode = false;
    gTextScalePercent = 100;
    ScratchScene();
}

Scene& ScratchScene() {
    static Scene scratch;
    scratch.Clear();
    return scratch;
}
