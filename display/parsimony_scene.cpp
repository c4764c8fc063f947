// The parsimony tools as scene items, at the places the layout functions give
// (parsimony_layout.h): the panel, the badges of a drop preview, the hint's rings and the
// "Drop here" line. Called by BuildFrameScene. Touches no GL; text is measured with the
// font layer.
#include <algorithm>
#include <cmath>

#include "display/display.h"
#include "display/geometry.h"
#include "display/parsimony_layout.h"
#include "display/reconstruction_view.h"
#include "display/scene_builders.h"
#include "font/text.h"
#include "matrix/matrix.h"

namespace {

// In front of the change markers (depth up to about 2.2) under the depth test.
constexpr float kMarkDepth = 3.0f;
constexpr float kHintDepth = 3.3f;

constexpr float kPanelEdge[3] = {0.6f, 0.6f, 0.6f};
constexpr float kPanelFill[3] = {0.98f, 0.98f, 0.93f};
constexpr float kBlack[3] = {0.0f, 0.0f, 0.0f};
constexpr float kHintColour[3] = {0.6f, 0.0f, 0.8f};
constexpr float kDropHereColour[3] = {0.0f, 0.0f, 0.5f};

// The badge of each effect: fill, symbol colour, symbol bars in the badge's own frame
// (half size 1): left, top, right, bottom.
struct Badge {
    float fill[3];
    float symbol[3];
    int bars;
    float bar[2][4];
};
constexpr Badge kLowers = {
    {0.0f, 0.3f, 0.9f}, {1.0f, 1.0f, 1.0f}, 1, {{-0.6f, -0.14f, 0.6f, 0.14f}}};
constexpr Badge kKeeps = {{0.85f, 0.85f, 0.85f},
                          {0.0f, 0.0f, 0.0f},
                          2,
                          {{-0.6f, -0.4f, 0.6f, -0.14f}, {-0.6f, 0.14f, 0.6f, 0.4f}}};
constexpr Badge kRaises = {{1.0f, 0.55f, 0.0f},
                           {0.0f, 0.0f, 0.0f},
                           2,
                           {{-0.6f, -0.14f, 0.6f, 0.14f}, {-0.14f, -0.6f, 0.14f, 0.6f}}};

const Badge& BadgeOf(DropEffect effect) {
    return effect == DropEffect::Lowers ? kLowers : effect == DropEffect::Keeps ? kKeeps : kRaises;
}

// The marks' size is fixed in window terms (about 7.6 pixels either way in the 800 x 600
// window at the default text size, and with the text scale, as the text they stand beside):
// tree units per percent differ along x and y and with the number of taxa.
float HalfWidthInTreeUnits(float percent) {
    return PercentToTreeWidth(percent, gTaxonCount);
}
float HalfHeightInTreeUnits(float percent) {
    return PercentToTreeHeight(percent, gTaxonCount);
}
constexpr float kBadgeHalfX = 0.95f;  // percent of the width
constexpr float kBadgeHalfY = 1.27f;  // percent of the height
constexpr float kBadgeEdgeGap = 0.5f; // percent of the width

void AddQuad(Scene& scene, const float corners[4][2], float z, const float rgb[3]) {
    SceneQuad& quad = scene.Add(SceneKind::Quad, SceneSpace::Tree, z).quad;
    for (int k = 0; k < 4; ++k) {
        quad.corners[k][0] = corners[k][0];
        quad.corners[k][1] = corners[k][1];
    }
    for (int c = 0; c < 3; ++c)
        quad.rgb[c] = rgb[c];
}

void AddTreeRect(Scene& scene, float left, float top, float right, float bottom, float z,
                 const float rgb[3]) {
    const float corners[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    AddQuad(scene, corners, z, rgb);
}

void AddBadge(Scene& scene, float x, float y, const Badge& badge) {
    const float hx = HalfWidthInTreeUnits(ScaledSize(kBadgeHalfX));
    const float hy = HalfHeightInTreeUnits(ScaledSize(kBadgeHalfY));
    // The root stem's badge stays whole, clear of the window's left edge: with many taxa
    // or large text it would reach past it.
    x = std::max(x, static_cast<float>(TreeViewOf(gTaxonCount).left) + hx +
                        HalfWidthInTreeUnits(kBadgeEdgeGap));
    const float inset = 0.82f;
    AddTreeRect(scene, x - hx, y - hy, x + hx, y + hy, kMarkDepth, kBlack);
    AddTreeRect(scene, x - hx * inset, y - hy * inset, x + hx * inset, y + hy * inset,
                kMarkDepth + 0.05f, badge.fill);
    for (int b = 0; b < badge.bars; ++b) {
        const float* bar = badge.bar[b];
        AddTreeRect(scene, x + bar[0] * hx, y + bar[1] * hy, x + bar[2] * hx, y + bar[3] * hy,
                    kMarkDepth + 0.1f, badge.symbol);
    }
}

// A ring of 24 pieces between inner and outer (both as shares of the badge size).
void AddRing(Scene& scene, float x, float y, float inner, float outer) {
    const float hx = HalfWidthInTreeUnits(ScaledSize(kBadgeHalfX));
    const float hy = HalfHeightInTreeUnits(ScaledSize(kBadgeHalfY));
    constexpr int kPieces = 24;
    for (int k = 0; k < kPieces; ++k) {
        const float a0 = 6.2831853f * static_cast<float>(k) / kPieces;
        const float a1 = 6.2831853f * static_cast<float>(k + 1) / kPieces;
        const float corners[4][2] = {
            {x + std::cos(a0) * hx * outer, y + std::sin(a0) * hy * outer},
            {x + std::cos(a1) * hx * outer, y + std::sin(a1) * hy * outer},
            {x + std::cos(a1) * hx * inner, y + std::sin(a1) * hy * inner},
            {x + std::cos(a0) * hx * inner, y + std::sin(a0) * hy * inner},
        };
        AddQuad(scene, corners, kHintDepth, kHintColour);
    }
}

void AddPlaced(Scene& scene, const PlacedText& line, const float* rgb) {
    AddText(scene, line.x, line.y, line.size, rgb, line.text.c_str());
}

void AddPanel(Scene& scene, const PanelLayout& layout) {
    if (!layout.shown) return;
    AddFramedBox(scene, layout.box, kPanelEdge, kPanelFill);
    for (const PlacedText& line : layout.lines) {
        const bool coloured = line.character >= 0 && line.character < kMaxCharacters;
        AddPlaced(scene, line, coloured ? CharacterColour(line.character) : kBlack);
        if (coloured) AddCharacterLine(scene, line);
        if (line.character == kMoreLine) AddMoreLine(scene, line, layout.hidden);
    }
}

} // namespace

void AddParsimonyTools(Scene& scene, const SceneView& view) {
    const ParsimonyView* tools = view.parsimony;
    if (tools == nullptr || gRoot == nullptr) return;
    if (tools->panel) {
        const FrameContents frame{gRoot, view.dragNode, scene.eventTotal,
                                  FewestChangesOf(view.reconstructionView)};
        std::vector<PercentBox> reserved = ReservedAreas(frame, MeasureText);
        if (scene.traceLegendShown) reserved.push_back(scene.traceLegend);
        AddPanel(scene,
                 LayOutParsimonyPanel(ComputeParsimony(gRoot), gTaxonCount, reserved, MeasureText));
    }
    for (const BranchMark& mark : tools->marks)
        AddBadge(scene, mark.x, mark.y, BadgeOf(mark.effect));
    if (tools->hintMoved != nullptr && tools->hintTarget != nullptr) {
        AddRing(scene, tools->hintMoved->x, tools->hintMoved->y, 1.5f, 2.1f);
        float x = 0;
        float y = 0;
        BranchMiddle(tools->hintTarget, &x, &y);
        AddRing(scene, x, y, 0.9f, 1.5f);
    }
    if (!tools->dropHere.empty()) {
        const DropHerePlace place = PlaceDropHereText(
            tools->dropHere, EventTotalRight(scene.eventTotal, MeasureText, scene.fewestChanges),
            std::min(scene.hoverTextLeft - 1.0f, BottomLineRight(gRoot, MeasureText)), MeasureText);
        if (place.shown) AddPlaced(scene, place.line, kDropHereColour);
    }
}
