// The trace of one character as scene items: the look of each branch (the colour of the
// one state its node may have, or grey dashes where it may have several) for the tree's
// builder, and the legend that names the character, its steps and each state's colour, in
// a box off the tree and the other text. Called by BuildFrameScene through the tree's and
// the legend's builders. Touches no GL; text is measured with the font layer.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "clade/parsimony.h"
#include "display/display.h"
#include "display/parsimony_layout.h"
#include "display/primitives.h"
#include "display/reconstruction_view.h"
#include "display/scene_builders.h"
#include "display/text_places.h"
#include "matrix/cell_sets.h"
#include "matrix/matrix.h"

namespace {

constexpr float kLegendEdge[3] = {0.6f, 0.6f, 0.6f};
constexpr float kLegendFill[3] = {1.0f, 1.0f, 1.0f};
constexpr float kBlack[3] = {0.0f, 0.0f, 0.0f};

// The legend's geometry, percent of the window: padding, the swatch before each state's
// name (a short band, as the branches are drawn), and the longest a line may be.
constexpr float kPad = 1.0f;
constexpr float kLineGap = 0.5f;
constexpr float kSwatchWidth = 4.0f;
constexpr float kSwatchGap = 1.0f;
constexpr float kSwatchHeightShare = 0.45f; // of the text size
constexpr float kLongestLine = 40.0f;
constexpr float kLegendSizes[] = {3, 2}; // the first that finds room off the tree

// One row of the legend: a line of text, after a swatch unless it is a heading.
struct LegendRow {
    std::string text;
    bool swatch;
    bool dashed;
    const float* rgb;
};

std::string StepsText(int steps, int minimum) {
    return std::to_string(steps) + (steps == 1 ? " step" : " steps") + " on this tree (minimum " +
           std::to_string(minimum) + ")";
}

// Pre-order over the reconstruction's nodes: true when some node may have several states.
bool AnyAmbiguous(const Reconstruction& reconstruction, int character) {
    for (int i = 0; i < reconstruction.NodeCount(); ++i)
        if (reconstruction.Ambiguous(i, character)) return true;
    return false;
}

std::vector<LegendRow> LegendRows(const Reconstruction& reconstruction, int character) {
    const char* name = gCharacterNames[character];
    std::vector<LegendRow> rows = {
        {std::string("Trace: ") + std::string(name, strnlen(name, kMatrixNameSize)), false, false,
         kBlack},
        {StepsText(reconstruction.Steps(character), CharacterMinimum(character)), false, false,
         kBlack},
    };
    const StateSet states = TraceableStates(character);
    for (int s = 0; s < kMaxStates; ++s) {
        if ((states & StateBit(s)) == 0) continue;
        const char* state = StateNameOf(character, s);
        rows.push_back({std::string(state, strnlen(state, kMatrixNameSize)), true, false,
                        TraceStateColour(s)});
    }
    if (AnyAmbiguous(reconstruction, character))
        rows.push_back({"more than one state possible", true, true, kTraceAmbiguousColour});
    return rows;
}

// The rows at a text size, relative to the box's top-left corner: their lines (cut to
// the longest a line may be) and the box's size.
struct LegendArrangement {
    float size;
    std::vector<PlacedText> lines;
    float width = 0;
    float height = 0;
};

LegendArrangement Arrange(const std::vector<LegendRow>& rows, float size) {
    LegendArrangement out{size, {}};
    const float step = size + kLineGap;
    float y = kPad;
    for (const LegendRow& row : rows) {
        const float x = kPad + (row.swatch ? kSwatchWidth + kSwatchGap : 0.0f);
        PlacedText line{CutToFit(row.text, "", kLongestLine, size, MeasureText), x, y, size, -1};
        out.width = std::max(out.width, x + MeasureText(line.text.c_str(), size));
        out.lines.push_back(line);
        y += step;
    }
    out.width += kPad;
    out.height = y - kLineGap + kPad;
    return out;
}

// The swatch of a row whose text line is line: a band as high as a share of the text,
// centred on it, whole or in the dashes of an ambiguous branch.
void AddSwatch(Scene& scene, const PlacedText& line, const LegendRow& row) {
    const float middle = line.y + static_cast<float>(line.size) / 2.0f;
    const float half = static_cast<float>(line.size) * kSwatchHeightShare / 2.0f;
    const float left = line.x - kSwatchGap - kSwatchWidth;
    if (!row.dashed) {
        AddBox(scene, {left, middle - half, left + kSwatchWidth, middle + half}, row.rgb);
        return;
    }
    // Three dashes, as a short ambiguous branch shows.
    constexpr float kDashes = 3.0f;
    const float unit = kSwatchWidth / (5.0f * kDashes + 3.0f * (kDashes - 1.0f));
    for (float k = 0; k < kDashes; k += 1.0f) {
        const float from = left + k * 8.0f * unit;
        AddBox(scene, {from, middle - half, from + 5.0f * unit, middle + half}, row.rgb);
    }
}

} // namespace

StateSet TraceableStates(int character) {
    StateSet states = 0;
    for (int t = 0; t < gTaxonCount && t < kMaxTaxa; ++t)
        states |= CellStates(t, character);
    return states;
}

bool TraceBandOf(const ReconstructionView* views, const CladeNode* node, TraceBand* band) {
    const int character = TracedOf(views);
    if (character < 0) return false;
    const Reconstruction& reconstruction = *views->reconstruction;
    const int index = reconstruction.IndexOf(node);
    if (index < 0) return false;
    const StateSet states = reconstruction.MprSet(index, character);
    assert(states != 0); // a computed character's sets are never empty
    band->dashed = StateCount(states) != 1;
    const float* rgb = band->dashed ? kTraceAmbiguousColour : TraceStateColour(LowestState(states));
    std::copy(rgb, rgb + 3, band->rgb);
    return true;
}

void AddTraceLegend(Scene& scene, const SceneView& view) {
    const int character = TracedOf(view.reconstructionView);
    if (character < 0 || gRoot == nullptr) return;
    const std::vector<LegendRow> rows =
        LegendRows(*view.reconstructionView->reconstruction, character);
    std::vector<LegendArrangement> arrangements;
    std::vector<std::pair<float, float>> sizes;
    for (float size : kLegendSizes) {
        arrangements.push_back(Arrange(rows, ScaledSize(size)));
        sizes.emplace_back(arrangements.back().width, arrangements.back().height);
    }
    const FrameContents frame{gRoot, view.dragNode, scene.eventTotal,
                              FewestChangesOf(view.reconstructionView)};
    const FreePlace spot = FindFreePlace(sizes, gTaxonCount, ReservedAreas(frame, MeasureText));
    if (!spot.found) return;
    const LegendArrangement& arranged = arrangements[static_cast<std::size_t>(spot.size)];
    scene.traceLegendShown = true;
    scene.traceLegend = spot.box;
    AddFramedBox(scene, spot.box, kLegendEdge, kLegendFill);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        PlacedText line = arranged.lines[k];
        line.x += spot.box.left;
        line.y += spot.box.top;
        if (rows[k].swatch) AddSwatch(scene, line, rows[k]);
        AddText(scene, line.x, line.y, line.size, kBlack, line.text.c_str(), line.text.size());
    }
}
