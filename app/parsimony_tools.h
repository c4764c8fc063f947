// The editor's parsimony tools: the panel switch, the drop preview of the picked node, the
// hint and the search for the best tree; the marks they leave are kept in the interaction
// state. Called by the input code (after the pick pass), the command table and the
// picture's view. Nothing here draws.
#pragma once

#include "app/interaction.h"
#include "display/parsimony_layout.h"

#include <vector>

// The panel of parsimony figures: off at start-up, switched by the 'p' command.
bool ParsimonyPanelShown();
void ToggleParsimonyPanel();

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
void ShowHint();
// The marked move, or null when no hint is shown.
const HintMarks* CurrentHint();

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

// Back to the start-up state (panel off, nothing marked or requested). For tests.
void ResetParsimonyTools();
