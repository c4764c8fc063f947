// Parsimony figures of a tree: the fewest changes the tree needs (Fitch's count on the
// state sets of the cells, so missing and polymorphic cells cost nothing), each character's
// steps and its minimum on any tree, the lower bound and the consistency index. Read by
// the report, the panel, the move trials and the search. No GL, no output.
#pragma once

#include "clade/clade.h"
#include "matrix/cell_sets.h"

#include <cstdint>

struct ParsimonyFigures {
    int length = 0;                   // the fewest changes this tree needs, all characters
    int lowerBound = 0;               // the sum of the minima: no tree needs fewer
    int steps[kMaxCharacters] = {};   // per character, on this tree
    int minimum[kMaxCharacters] = {}; // per character, on any tree
};

// The states a leaf allows for the character: its taxon's cell (CellStates), found through
// the leaf's source; a leaf without a taxon of the table allows its own stored state.
StateSet LeafStates(const CladeNode* leaf, int character);
// The fewest states that meet every cell of the character (each cell's set holds one of
// them), less one: no tree needs fewer changes. Exact (a small hitting-set search); 0 with
// no taxa.
int CharacterMinimum(int character);
// The figures of the tree under root for the current matrix. A leaf's states are its
// cell's set (LeafStates); the internal nodes' stored states play no part.
// An empty tree (null) has length 0.
ParsimonyFigures ComputeParsimony(const CladeNode* root);
// The length alone: one Fitch pass over every character, without the minima.
int ParsimonyLength(const CladeNode* root);
// lowerBound / length; 1 when the tree needs no change at all (then the bound is 0 too).
double ConsistencyIndex(const ParsimonyFigures& figures);
