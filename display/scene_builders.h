// The builders of the scene's items, one per part of the picture, and the small text
// helper they share. Not part of the display interface; only display/*.cpp include it.
// Each appends to the scene in the order the window draws; none touches GL.
#pragma once

#include <cstddef>
#include <vector>

#include "clade/clade.h"
#include "display/scene.h"

class Reconstruction;
struct PercentBox;
struct PlacedText;
struct ReconstructionView;

// Discs, branches, root stem, labels and the picked node's panel of the subtree. With a
// trace in views, the branches and the stem take the colours of the traced character's
// states (reconstruction_view.h); the picked node's and the drop target's keep theirs.
void AddTree(Scene& scene, const CladeNode* node, const CladeNode* dropTarget,
             const ReconstructionView* views = nullptr);
// Markers and outlines of the subtree, by the editor's rule or, with fewest, by that
// reconstruction; the changes of markers within reach of the pointer go to
// scene.hoveredChanges. With drawn false nothing is added (a trace shows the changes by
// its colours), but the changes are counted all the same. Returns the number of change
// events on the subtree's branches.
int AddChangeMarkers(Scene& scene, const CladeNode* node, float pointerX, float pointerY,
                     const Reconstruction* fewest = nullptr, bool drawn = true);
// The bottom line's hover texts: those of scene.hoveredChanges, then the full name of leaf
// (when not null), between leftBound and rightBound; sets scene.hoverTextLeft. After
// every marker, so that the text lies over them.
void AddHoverTexts(Scene& scene, const CladeNode* leaf, float leftBound, float rightBound);
// The character lists (text_places.h), by the editor's rule or by the fewest changes.
void AddAncestralPanel(Scene& scene, const Reconstruction* fewest = nullptr);
// With the pointer (scene.pointerPercentX, Y) over a list's "… and N more", a box that
// names the lines left out; over everything else, so it comes last.
void AddMoreLinesBox(Scene& scene);
void AddNodePanel(Scene& scene, const CladeNode* node, const Reconstruction* fewest = nullptr);
// Notes a "… and N more" line and the lines it stands for (scene.moreLines), for the box
// the pointer on it shows (AddMoreLinesBox).
void AddMoreLine(Scene& scene, const PlacedText& line, const std::vector<PlacedText>& hidden);
// Notes where a line naming a character is drawn (scene.characterLines), for a click.
void AddCharacterLine(Scene& scene, const PlacedText& line);
// The trace's legend: the character, its steps and each state's colour, in a box placed
// off the tree and the other text; notes the box in the scene. Nothing without a trace.
void AddTraceLegend(Scene& scene, const SceneView& view);
void AddDragIndicator(Scene& scene, const CladeNode* dragNode, const CladeNode* dropTarget);
// The parsimony panel, the drop preview's badges, the hint's rings and the "Drop here" line
// that view.parsimony asks for (nothing without it); after the markers and the event total.
void AddParsimonyTools(Scene& scene, const SceneView& view);

// How a trace draws the branch into node (or the stem, for the root): in the colour of the
// one state the traced character may have there, or, where it may have several, in grey
// dashes. False when views trace nothing or node is no node of the reconstruction.
struct TraceBand {
    bool dashed;
    float rgb[3];
};
bool TraceBandOf(const ReconstructionView* views, const CladeNode* node, TraceBand* band);
// The dashes of a dashed line length tree units long, as fractions of the way from its
// start: dash(from, to) for each, in order. Dashes and gaps stand 5 : 3, about 0.4 tree units
// a pair; the line starts and ends with a dash, and has at least two.
template <typename Dash> void ForEachDash(float length, Dash dash) {
    constexpr float kPeriod = 0.4f;
    constexpr float kDashShare = 5.0f;
    constexpr float kGapShare = 3.0f;
    const float gap = kPeriod * kGapShare / (kDashShare + kGapShare);
    int dashes = static_cast<int>((length + gap) / kPeriod + 0.5f);
    if (dashes < 2) dashes = 2;
    const float unit = 1.0f / (kDashShare * static_cast<float>(dashes) +
                               kGapShare * static_cast<float>(dashes - 1));
    for (int k = 0; k < dashes; ++k) {
        const float from = static_cast<float>(k) * (kDashShare + kGapShare) * unit;
        dash(from, k == dashes - 1 ? 1.0f : from + kDashShare * unit);
    }
}

// A text run of length bytes at (x, y) percent, size percent of the window height.
void AddText(Scene& scene, float x, float y, float size, const float rgb[3], const char* text,
             std::size_t length);
// The same for a NUL-terminated text.
void AddText(Scene& scene, float x, float y, float size, const float rgb[3], const char* text);

// A filled box in window space (percent), at depth 0.
void AddBox(Scene& scene, const PercentBox& box, const float rgb[3]);
// A panel's box: a thin frame in edge's colour around box filled with fill.
void AddFramedBox(Scene& scene, const PercentBox& box, const float edge[3], const float fill[3]);

// The scene that the single-part Draw functions of display.h build and replay at once;
// emptied at each use.
Scene& ScratchScene();
