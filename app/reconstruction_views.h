// The editor's views of a most parsimonious reconstruction: the change markers by the
// fewest changes instead of the editor's rule ('m'), and the trace of one character ('t',
// the arrows, a click on a character's line). Holds the one reconstruction of the live
// tree, computed again after each tree change (never per frame). Called by the command
// table, the input code, the picture's view and the windowless export. Nothing here draws.
#pragma once

#include "display/reconstruction_view.h"

// ---- Markers by the fewest changes ----------------------------------------------------

// True while the markers, the event total ("Fewest changes: L") and the character lists
// follow the reconstruction (Fitch's sets resolved by ACCTRAN) rather than the editor's
// own rule: the figure the screen shows is then the tree's length. Off at start-up; a load
// keeps it.
bool FewestChangesShown();
// The 'm' command: switches between the two and says which on the message line.
void ToggleFewestChanges();

// ---- The trace of one character -------------------------------------------------------

// The character traced, or -1. A trace lasts over tree changes (it follows the tree) and
// ends with a new data file, since its characters are others.
int TracedCharacter();
// Traces character c (0 <= c < gCharacterCount), in place of any other, and says so on the
// message line; any other c ends the trace. Returns true when c is traced.
bool TraceCharacter(int c);
// The 't' command: traces the character traced last in this data file (the first one at
// first), or ends the trace that is shown. Nothing without characters.
void ToggleTrace();
// Escape and the 't' that ends: no trace (nothing when there is none).
void EndTrace();
// The arrows: the next or the previous character, wrapping from the last to the first and
// back, so every character is one or more steps away. Nothing while nothing is traced.
void TraceNextCharacter();
void TracePreviousCharacter();
// A click on a character's line in a list or the parsimony panel: traces it, or ends the
// trace when it is the character traced.
void ToggleTraceOf(int c);
// The character named exactly name (byte for byte), or -1.
int CharacterNamed(const char* name);

// What the picture shows of the reconstruction now, or null when neither view is on;
// valid until the next call. Computes the reconstruction when the tree changed since.
const ReconstructionView* CurrentReconstructionView();

// Back to the start-up state (editor's rule, no trace, nothing computed). For tests.
void ResetReconstructionViews();
