// Parsimony figures of a tree: the fewest changes the tree needs (Fitch's count on state
// bit sets), each character's steps and its minimum on any tree, the lower bound and the
// consistency index. Read by the report, the panel and the move trials. No GL, no output.
#pragma once

#include "clade/clade.h"

#include <cstdint>

// A character has at most kMaxStates - 1 states (a file holds at most 19 taxa), so a set
// of states fits one bit each in 32 bits.
using StateSet = uint32_t;
static_assert(kMaxStates <= 32, "state sets are 32-bit masks");

struct ParsimonyFigures {
    int length = 0;                   // the fewest changes this tree needs, all characters
    int lowerBound = 0;               // the sum of the minima: no tree needs fewer
    int steps[kMaxCharacters] = {};   // per character, on this tree
    int minimum[kMaxCharacters] = {}; // per character, on any tree
};

// Distinct states of the character among the matrix's taxa, less one (0 with no taxa).
int CharacterMinimum(int character);
// The figures of the tree under root for the current matrix. A leaf's states are read from
// the leaf itself (a copy of its taxon); the internal nodes' stored states play no part.
// An empty tree (null) has length 0.
ParsimonyFigures ComputeParsimony(const CladeNode* root);
// The length alone: one Fitch pass over every character, without the minima.
int ParsimonyLength(const CladeNode* root);
// lowerBound / length; 1 when the tree needs no change at all (then the bound is 0 too).
double ConsistencyIndex(const ParsimonyFigures& figures);
