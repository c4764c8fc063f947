// Undo and redo of tree changes. Each change of the tree (a drop, a key command, a tree
// read from a file) is kept as the whole tree before it, so undo gives back exactly the
// earlier tree: its shape, node numbers, states and positions, and so its listing byte for
// byte. Loading a data file starts a new history. Called by the app's change step around
// every change of the tree. No GL; prints nothing (the change step lists the tree).
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
// Puts the tree before the last change back (the current tree becomes a redo step).
// Returns false when there is nothing to undo.
bool UndoTreeChange();
// Puts the tree after the last undone change back. Returns false when there is nothing to
// redo.
bool RedoTreeChange();
// Replaces the tree by a copy of the tree as loaded, as one change that can be undone.
// Returns false, changing nothing, when the tree already is that tree.
bool RevertToLoadedTree();
std::size_t UndoStepCount();
std::size_t RedoStepCount();
