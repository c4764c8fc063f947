// Most parsimonious reconstructions of a tree: for every node and character, the set of
// states that some most parsimonious reconstruction gives the node (its MPR set), and one
// such reconstruction resolved by ACCTRAN with its changes per branch. For the markers by
// the fewest changes and the trace of one character, recomputed after every tree change.
// Reads the cells' state sets; the editor's own ancestral states play no part. No GL, no
// output.
#pragma once

#include "clade/clade.h"
#include "matrix/cell_sets.h"

#include <cstdint>

// The reconstruction of one tree, computed by Compute (every character) or
// ComputeCharacter (one, for a trace). It refers to the tree's nodes by pointer: it is
// valid until the tree changes, and is then computed again (about 5 us at 19 x 19). The
// object holds fixed tables (tens of KB): keep one per view, not one per call.
// Costs are unit costs between any two states; a missing or polymorphic cell allows each
// of its states at no cost.
class Reconstruction {
  public:
    // Every character of the tree under root; null gives an empty reconstruction.
    void Compute(const CladeNode* root);
    // Character c alone (0 <= c < gCharacterCount); the others read as not computed (no
    // changes, empty sets).
    void ComputeCharacter(const CladeNode* root, int character);

    // The nodes in pre-order, left before right: index 0 is the root.
    int NodeCount() const { return nodeCount_; }
    const CladeNode* Node(int index) const { return nodes_[index]; }
    // The index of node, or -1 when it is no node of the tree (a linear search: at most
    // kMaxTreeNodes comparisons).
    int IndexOf(const CladeNode* node) const;
    bool Computed(int character) const;

    // The states that some most parsimonious reconstruction gives the node (never empty for
    // a computed character; for a leaf, a subset of its cell's set). Exact: a unit-cost
    // pass down and one up (Fitch's sets down, the sets of the rest of the tree up).
    StateSet MprSet(int index, int character) const { return mpr_[index][character]; }
    // More than one state is possible there: a trace draws the branch into it as ambiguous.
    bool Ambiguous(int index, int character) const {
        return StateCount(mpr_[index][character]) > 1;
    }
    // The node's state in the ACCTRAN reconstruction, always one of MprSet: each change
    // sits as near the root as ties allow (a node keeps its parent's state only when its
    // own subtree can start from it at no extra cost; otherwise it changes on its own
    // branch to the lowest state its subtree can start from). The root takes the lowest
    // state of its set that its first child (the outgroup's side) can start from, so the
    // outgroup shows the root's state whenever a shortest reconstruction allows it.
    int32_t State(int index, int character) const { return state_[index][character]; }

    // Fitch's steps of the character on this tree; the sum over the computed characters.
    int Steps(int character) const { return steps_[character]; }
    int Length() const;

    // The ACCTRAN changes on the branch into node (none for the root or a node not of the
    // tree), in the shape of ListChangeEvents: tnum the characters, in increasing order,
    // tval their new states; returns how many. Only computed characters change.
    int ListChanges(const CladeNode* node, int tnum[kMaxCharacters],
                    int tval[kMaxCharacters]) const;
    // Every change of the tree: always Length().
    int CountChanges() const;

  private:
    void Collect(const CladeNode* root);
    void Solve(int character);

    int nodeCount_ = 0;
    const CladeNode* nodes_[kMaxTreeNodes] = {};
    int taxon_[kMaxTreeNodes] = {}; // TaxonIndexOf each node
    int parent_[kMaxTreeNodes] = {};
    int left_[kMaxTreeNodes] = {}; // -1 for a leaf
    int right_[kMaxTreeNodes] = {};
    bool computed_[kMaxCharacters] = {};
    int steps_[kMaxCharacters] = {};
    StateSet down_[kMaxTreeNodes][kMaxCharacters] = {}; // Fitch's set of the subtree
    StateSet up_[kMaxTreeNodes][kMaxCharacters] = {};   // the same for the rest of the tree
    StateSet mpr_[kMaxTreeNodes][kMaxCharacters] = {};
    int32_t state_[kMaxTreeNodes][kMaxCharacters] = {};
};
