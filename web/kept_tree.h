// The tree kept in the browser: after every change the current tree (Newick) goes to the
// browser's local storage under the data file's name and contents, so a page closed by
// mistake loses nothing; opening the same data file again offers it back. Called by the
// page's program (web_main.cpp). No GL state.
#pragma once

// After a data file was loaded (a new history): offers the tree kept for that file when
// there is one other than the tree as loaded.
void NoteDataFileLoaded();
// After every frame: keeps the current tree when it changed since it was last kept. While
// an offer is open over the tree as loaded, the kept tree stays until the tree changes.
void KeepTreeIfChanged();
// The page's answers to the offer: apply the offered tree as one change that can be undone
// (false when there is no offer or the tree does not fit), or forget the offer.
bool BringBackKeptTree();
void ForgetKeptTreeOffer();
