// Undo and redo of tree changes. Each change of the tree (a drop, a key command, a tree
// read from a file, a new outgroup) is kept as the whole tree before it with its outgroup
// (gOutgroup), so undo gives back exactly the earlier tree: its shape, node numbers,
// states and positions, and so its listing byte for byte, and the outgroup it had.
// Loading a data file starts a new history. Called by the app's change step around
// every change of the tree. No GL; prints nothing (the change step lists the tree).
#pragma once

#include "clade/clade.h"

#include <cstddef>

// Forgets every step and keeps a copy of the live tree and its outgroup as "as loaded".
void ResetHistory();
// Before a command that may change the tree: keeps a copy of the tree and its outgroup.
void BeginTreeChange();
// After that command: when the tree or the outgroup now differs from the copy, the copy
// becomes an undo step, the redo steps are dropped and the result is true; when nothing
// changed (a refused re-attachment, say) the copy is dropped and the result is false.
bool EndTreeChange();
// Puts the tree before the last change back, with its outgroup (the current tree becomes a
// redo step).
// Returns false when there is nothing to undo.
bool UndoTreeChange();
// Puts the tree after the last undone change back, with its outgroup. Returns false when
// there is nothing to redo.
bool RedoTreeChange();
// Replaces the tree and outgroup by those as loaded, as one change that can be undone.
// Returns false, changing nothing, when the tree and outgroup already are those.
bool RevertToLoadedTree();
std::size_t UndoStepCount();
std::size_t RedoStepCount();
