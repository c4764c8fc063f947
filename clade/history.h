// Undo and redo of tree changes. Each change of the tree (a drop, a key command, a tree
// read from a file) is kept as the whole tree before it, so undo gives back exactly the
// earlier tree: its shape, node numbers, states and positions, and so its listing byte for
// byte. Loading a data file starts a new history. Called by the app around every command
// that may change the tree. No GL; prints only the listing after undo, redo and revert.
#pragma once

#include "clade/clade.h"

#include <cstddef>

// Forgets every step and keeps a copy of the live tree as the tree "as loaded".
void ResetHistory();
// Before a command that may change the tree: keeps a copy of the tree as it is.
void BeginTreeChange();
// After that command: when the tree now differs from the copy, the copy becomes an undo
// step, the redo steps are dropped and the result is true; when nothing changed (a refused
// re-attachment, say) the copy is dropped and the result is false.
bool EndTreeChange();
// Puts the tree before the last change back (the current tree becomes a redo step) and
// prints its listing (unless list is false). Returns false, printing nothing, when there
// is nothing to undo.
bool UndoTreeChange(bool list = true);
// Puts the tree after the last undone change back and prints its listing (unless list is
// false). Returns false, printing nothing, when there is nothing to redo.
bool RedoTreeChange(bool list = true);
// Replaces the tree by a copy of the tree as loaded, as one change that can be undone, and
// prints its listing. Returns false, changing nothing, when the tree already is that tree.
bool RevertToLoadedTree();
std::size_t UndoStepCount();
std::size_t RedoStepCount();
