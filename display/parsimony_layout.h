// Where the parsimony drawing goes, as pure functions of the model and the frame's
// contents, in percent of the window (x right, y down): the areas the rest of the frame
// takes, the panel's lines and box, the "Drop here" line, and the marks on the branches.
// No GL: text is measured through the function the caller passes, so the layout can be
// checked without a window. Called by the scene's parsimony builder and the tests.
#pragma once

#include "clade/moves.h"
#include "clade/parsimony.h"
#include "display/text_places.h"

#include <string>
#include <utility>
#include <vector>

// What the frame draws besides the parsimony drawing, as far as the layout must know.
struct FrameContents {
    const CladeNode* root;   // the tree (may be null)
    const CladeNode* picked; // the node whose derived characters are listed, or null
    int eventTotal;          // the figure after "Total Events: "
    // The reconstruction the lists and the total follow (see AncestralListText), or null
    // for the editor's rule.
    const Reconstruction* fewest = nullptr;
};
// The areas no parsimony text may cover: the leaf labels, the ancestral list, the picked
// node's list, the banner with the button and the message line, the bottom line with the
// event total and the hover text.
std::vector<PercentBox> ReservedAreas(const FrameContents& frame, TextWidthFn width);

// The panel: a box and its lines, or nothing when no arrangement fits the window.
struct PanelLayout {
    bool shown = false;
    PercentBox box{0, 0, 0, 0};
    std::vector<PlacedText> lines;
    std::vector<PlacedText> hidden; // the characters a "… and N more" line stands for
};
// The panel's lines from the largest to the smallest arrangement: every character at text
// size 3, then 2, then in two columns, then the first 11 and then 5 characters with
// "… and N more" (character kMoreLine), then the tree's figures alone, then one line. The
// first arrangement that fits beside the reserved areas without covering the tree wins
// (the lowest, then leftmost such place); when none does, the smallest one goes where it
// covers the least of the tree, and when even that meets a reserved area there is no panel.
PanelLayout LayOutParsimonyPanel(const ParsimonyFigures& figures, int taxonCount,
                                 const std::vector<PercentBox>& reserved, TextWidthFn width);

// Where a box goes beside the reserved areas, on the grid of whole percents, by the rule
// the panel follows: for the first of sizes (width, height in percent) that fits somewhere
// without covering the tree of taxonCount taxa, its lowest, then leftmost, such place;
// when no size fits so, the last one where it covers the least of the tree. found is
// false when even that meets a reserved area everywhere; size is the index of the size.
struct FreePlace {
    bool found = false;
    int size = 0;
    PercentBox box{0, 0, 0, 0};
};
FreePlace FindFreePlace(const std::vector<std::pair<float, float>>& sizes, int taxonCount,
                        const std::vector<PercentBox>& reserved);

// The "Drop here" line: on the bottom line between the event total (whose right end is
// after) and the hover text (whose left end is before), at text size 3, or 2, cut to fit.
// shown is false when there is no room at all.
struct DropHerePlace {
    bool shown = false;
    PlacedText line;
    PercentBox box{0, 0, 0, 0};
};
DropHerePlace PlaceDropHereText(const std::string& text, float after, float before,
                                TextWidthFn width);
// Where the room the line needs to show whole at its smaller size ends: the hover texts,
// placed before it, keep right of this (with many taxa the pointer meets many markers).
float DropHereRoomEnd(const std::string& text, float after, TextWidthFn width);

// What a drop does to Total Events, and the mark of a target's branch in tree units: the
// middle of the branch into target (of the stem for the root), where a drop cuts it.
enum class DropEffect { Lowers, Keeps, Raises };
struct BranchMark {
    float x, y;
    DropEffect effect;
};
DropEffect EffectOf(const TreeScore& current, const TreeScore& drop);
void BranchMiddle(const CladeNode* target, float* x, float* y);
// One mark per previewed drop but the aimed one (which the indicator and the text show).
std::vector<BranchMark> DropMarks(const std::vector<DropFigures>& drops, const TreeScore& current,
                                  const CladeNode* aimed);

// What the parsimony tools add to the picture (SceneView::parsimony): the panel when it is
// on, the marks of a drop preview, the hint's node and target, the "Drop here" line.
struct ParsimonyView {
    bool panel = false;
    std::vector<BranchMark> marks;
    const CladeNode* hintMoved = nullptr;
    const CladeNode* hintTarget = nullptr;
    std::string dropHere; // empty: none
};
