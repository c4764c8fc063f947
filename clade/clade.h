// The cladogram: CladeNode records linked into a binary tree under gRoot, the initial
// comb tree, ancestral states, change events, re-attachment, compaction, the console
// listing and the layout. Reads the matrix tables; no GL, no X.
#pragma once

#include "matrix/matrix.h"

struct CladeNode : TaxonRecord {
    int32_t level; // layout column (ComputeLevels)
    int32_t id;    // serial number, unique over the whole run
    float x;       // tree units (ComputePositions)
    float y;
    TaxonRecord* source; // a taxon leaf's record in gTaxa; unused for internal nodes
    CladeNode* parent;
    CladeNode* left;  // first child, drawn above
    CladeNode* right; // second child, drawn below
    bool isTaxon;
    bool isDragged; // picked by the pointer; written only by the input code

    CladeNode(); // TaxonRecord defaults, links null, level 0, x -99, y 0, id gNextNodeId++

    // Ancestral-state rule for this node alone (a taxon copies its source record).
    void ComputeStates();
    // Full state pass: this node, then left subtree, then right subtree (pre-order).
    void UpdateStates();
    // Moves this node (with its subtree) next to target under a new internal node, then
    // rebuilds the tree. Prints the "Connecting" line first, whatever happens. Does
    // nothing more when this is the root, or target is this node or one of its children.
    void Connect(CladeNode* target);
    // Removes internal nodes with a single child, releasing them.
    void Compact();
    // Prints this subtree to stdout, one line per node, pre-order.
    void Dump(int32_t depth);
    void ComputeLevels();
    void ComputePositions();
};

extern CladeNode* gRoot;
extern int32_t gNextNodeId;

// Replaces gRoot by a comb tree over gTaxa[0 .. gTaxonCount-1] with first states.
// The nodes of the previous tree are released.
void BuildInitialTree();
// Compact, levels, positions, full state pass, listing (flushed) -- after every change.
void RebuildTree();

// Change events on the branch into node (none for the root): the characters whose state
// differs from the parent's, in increasing order. Fills tnum (character) and tval (new
// state) and returns how many there are (0 to kMaxCharacters).
int ListChangeEvents(const CladeNode* node, int tnum[kMaxCharacters], int tval[kMaxCharacters]);
// Sum of ListChangeEvents over every branch of the subtree, the branch into node included
// (none for the root, so CountChangeEvents(gRoot) is the tree's total).
int CountChangeEvents(const CladeNode* node);

// Called just before nodes are released: with the node about to be deleted, or with
// nullptr when a whole tree is being replaced. The app clears its pointers here.
using NodeReleaseHook = void (*)(const CladeNode* released);
void SetNodeReleaseHook(NodeReleaseHook hook);

// Releases the tree and sets gRoot to null; resetIds also sets gNextNodeId to 0. For tests.
void ResetClade(bool resetIds);
