// The editor's parsimony tools: the panel switch, the drop preview of the picked node, the
// hint, the rooting on the outgroup, the search for the best trees and the steps through
// the equally good trees it kept; the marks they leave are kept in the interaction state.
// Called by the input code (after the pick pass), the command table and the picture's
// view. Nothing here draws.
#pragma once

#include "app/interaction.h"
#include "display/parsimony_layout.h"

#include <vector>

// The panel of parsimony figures: off at start-up, switched by the 'p' command.
bool ParsimonyPanelShown();
void ToggleParsimonyPanel();

// After the pick pass: the preview of gDragNode while gDragging, else none. Every drop is
// previewed, those that would break the outgroup included (marked breaksOutgroup).
void UpdateDropPreview();
// The preview of the node being carried, or null when no node is carried.
const DropPreview* CurrentDropPreview();
// The figures of dropping the carried node on target, or null when target is not one.
const DropFigures* PreviewedDrop(const CladeNode* target);
// "Drop here: 12 events (-2), 11 steps (-2)".
std::string DropHereText(const TreeScore& current, const TreeScore& drop);

// The hint: the single re-attachment that lowers Total Events the most (ties to the
// shorter tree, then the first in pre-order) and keeps the tree rooted on the outgroup
// when it is, marked until the next action; the message line gives its figures, or says
// that no single move helps.
void ShowHint();
// The marked move, or null when no hint is shown.
const HintMarks* CurrentHint();

// Root on the picked group: the picked leaf or group becomes the root's first child and
// the outgroup, as one change (listed, undoable; the length stays). The message line
// names the new outgroup, says that the tree already is rooted on it, or, with nothing
// picked, that a group must be picked first.
void RootOnPickedGroup();

// Best tree found: "Searching..." on the message line, then, after the frame that shows
// it, the search and its result as one undoable change.
void RequestBestTreeSearch();
// Called by the frame after its swap: starts a requested search once the window shows the
// message (a one-shot timer, so the loop draws before the search holds it).
void StartRequestedSearch();
// The search and its application, at once: the drag state is dropped, and the search for
// the trees rooted on the outgroup with the fewest of the figure the screen shows (Total
// Events, or the length when FewestChangesShown) runs. Its equally good trees are kept
// for NextKeptTree and PreviousKeptTree. When the best one is better than the tree as it
// stands by that figure, or as good while the tree is not rooted on the outgroup, it
// replaces the tree as one change (listed, undoable) and the message line says "Best tree
// found: 12 events, 3 trees this short" (steps in the fewest-changes view); else the tree
// stays and the message line says "No better tree found: 12 events, 10 steps".
// Returns true when the tree changed.
bool FindBestTree();

// `]` and `[`: the next (previous) of the trees the last search kept, after (before) the
// one in place, or the first (last) when none of them is in place, round the list; it
// replaces the tree as one change (listed, undoable), and the message line says "Tree 2
// of 3: 12 events, 10 steps". A single kept tree already in place changes nothing. When no
// search ran on this matrix, or the outgroup has changed since, the tree stays and the
// message line says so.
void NextKeptTree();
void PreviousKeptTree();

// What the picture shows of the tools now (the panel when on, the preview's badges and the
// aimed drop's line while a node is carried, the hint's rings), or null when nothing; valid
// until the next call.
const ParsimonyView* CurrentParsimonyView();

// Back to the start-up state (panel off, nothing marked, requested or kept). For tests.
void ResetParsimonyTools();
