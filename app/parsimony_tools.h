// The editor's parsimony tools: the panel switch, the drop preview of the picked node, the
// hint marks and the search for the best tree. Called by the input code (the pick pass and
// the release hook), the command table and the picture's view. Nothing here draws.
#pragma once

#include "clade/moves.h"
#include "display/parsimony_layout.h"

#include <vector>

// The panel of parsimony figures: off at start-up, switched by the 'p' command.
bool ParsimonyPanelShown();
void ToggleParsimonyPanel();

// The drop preview: computed once when a node is picked, for every place it could go.
struct DropPreview {
    const CladeNode* moved = nullptr; // the picked node; null when there is no preview
    TreeScore current;                // the tree as it stands
    std::vector<DropFigures> drops;   // one per target, in pre-order
};
// After the pick pass: the preview of gDragNode while gDragging, else none.
void UpdateDropPreview();
// The preview of the node being carried, or null when no node is carried.
const DropPreview* CurrentDropPreview();
// The figures of dropping the carried node on target, or null when target is not one.
const DropFigures* PreviewedDrop(const CladeNode* target);
// "Drop here: 12 events (-2), 11 steps (-2)".
std::string DropHereText(const TreeScore& current, const TreeScore& drop);

// The hint: the single re-attachment that lowers Total Events the most (ties to the
// shorter tree, then the first in pre-order), marked until the next action; the message
// line gives its figures, or says that no single move helps.
struct HintMarks {
    const CladeNode* moved;
    const CladeNode* target;
};
void ShowHint();
// The marked move, or null when no hint is shown.
const HintMarks* CurrentHint();
// Any key or click: the marks go.
void ClearHint();

// Best tree found: "Searching..." on the message line, then, after the frame that shows
// it, the search and its result as one undoable change.
void RequestBestTreeSearch();
// Called by the frame after its swap: starts a requested search once the window shows the
// message (a one-shot timer, so the loop draws before the search holds it).
void StartRequestedSearch();
// The search and its application, at once: the drag state is dropped; when a tree with a
// better score is found, it replaces the tree as one change (listed, undoable) and the
// message line gives its figures; else the tree stays and the message line says so.
// Returns true when the tree changed.
bool FindBestTree();

// What the picture shows of the tools now (the panel when on, the preview's badges and the
// aimed drop's line while a node is carried, the hint's rings), or null when nothing; valid
// until the next call.
const ParsimonyView* CurrentParsimonyView();

// The release hook's part: the preview and the hint refer to nodes of the tree.
void ForgetParsimonyMarks();
// Back to the start-up state (panel off, nothing marked or requested). For tests.
void ResetParsimonyTools();
