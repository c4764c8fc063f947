// What each cell of the matrix allows, for the parsimony figures: its own state, the
// states of a polymorphic cell, or, for a missing cell, any real state of its character.
// The readers stage the sets in MatrixTables::cellSets before PublishMatrix; the clade
// library reads them through CellStates. No GL, no X, no output.
#pragma once

#include "matrix/matrix.h"

// Staged values of MatrixTables::cellSets[t][c], between ClearMatrixTables and
// PublishMatrix. A reader leaves a plain cell at kPlainCell, writes kMissingCell for a
// missing one and the set of state indices for a polymorphic one, then calls
// ResolveCellSets (the CSV reader calls DeriveCellSetsFromNames, which does both).
constexpr StateSet kPlainCell = 0;
constexpr StateSet kMissingCell = ~StateSet{0};

constexpr StateSet StateBit(int state) {
    return StateSet{1} << state;
}

// The CSV rules, applied to staged tables whose cells are all read (state names numbered
// as usual; the editor's rule keeps reading them as names):
// - a cell that is exactly "?" or "-" is missing;
// - a cell "a/b" (or "a/b/c", ...) whose every part is the name of a state that a cell of
//   the same character holds on its own (a name without '/' that is not "?" or "-") is
//   polymorphic: the set of those states. Any other cell holding '/' is one state, its
//   name as written;
// - every other cell is plain.
// Then resolves the sets as ResolveCellSets does.
void DeriveCellSetsFromNames(MatrixTables* tables);

// Turns the staged marks into the sets that get published: kPlainCell becomes the cell's
// own state; kMissingCell becomes the character's real states (every state of a plain
// cell or of a polymorphic set), or state 0 alone when the character has no real state
// (then it costs nothing on any tree). A polymorphic set is kept as staged.
void ResolveCellSets(MatrixTables* tables);

// The states the cell of taxon t and character c allows in the live tables: its entry in
// gCellSets, or, when that is 0 (a table filled by hand), its own state; a cell without a
// state (kNoState) allows every state.
inline StateSet CellStates(int taxon, int character) {
    const StateSet set = gCellSets[taxon][character];
    if (set != 0) return set;
    const int32_t s = gTaxa[taxon].states[character];
    return s >= 0 && s < kMaxStates ? StateBit(s) : ~StateSet{0};
}

// How many states the set holds.
inline int StateCount(StateSet set) {
    return __builtin_popcountll(set);
}
// The lowest state of a non-empty set.
inline int LowestState(StateSet set) {
    return __builtin_ctzll(set);
}
