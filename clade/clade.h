// The cladogram: CladeNode records linked into a binary tree under gRoot, the initial
// comb tree, ancestral states, change events, re-attachment, compaction, the console
// listing and the layout. Reads the matrix tables; no GL, no X.
#pragma once

#include "matrix/matrix.h"

#include <string>

// The most nodes a tree over the table's taxa has.
constexpr int kMaxTreeNodes = 2 * kMaxTaxa - 1;

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
    // The same defaults with the given id; gNextNodeId is left alone (copies, previews).
    explicit CladeNode(int32_t givenId);

    // Ancestral-state rule for this node alone (a taxon copies its source record). The node
    // without a parent is the root of its tree, whichever tree that is.
    void ComputeStates();
    // Full state pass: this node, then left subtree, then right subtree (pre-order).
    void UpdateStates();
    // Moves this node (with its subtree) next to target under a new internal node, then
    // rebuilds the tree. Prints the "Connecting" line first, whatever happens. Does
    // nothing more when this is the root, or target is this node or one of its children.
    void Connect(CladeNode* target);
    // Removes internal nodes with a single child of the live tree (gRoot), releasing them.
    void Compact();
    // Prints this subtree to stdout, one line per node, pre-order.
    void Dump(int32_t depth);
    void ComputeLevels();
    void ComputePositions();
};

extern CladeNode* gRoot;
extern int32_t gNextNodeId;

// Turns node into the leaf of gTaxa entry taxon: its source, a copy of the record, isTaxon.
void MakeTaxonLeaf(CladeNode* node, int taxon);
// The gTaxa index of a taxon leaf (where its source points), or -1 for any other node.
int TaxonIndexOf(const CladeNode* node);

// Replaces gRoot by a comb tree over gTaxa[0 .. gTaxonCount-1] with first states, and
// makes the first taxon the outgroup (gOutgroup, clade/rooting.h; none without taxa).
// The nodes of the previous tree are released.
void BuildInitialTree();
// Compact, levels, positions, full state pass, listing (flushed) -- after every change.
void RebuildTree();
// The same rebuild without the listing, for output that holds other figures (a report).
void RebuildTreeWithoutListing();
// The rebuild without the listing and without the state pass: for a tree whose nodes
// already hold the states it was saved with, which a pass would change (the rule reads
// the states the tree held before).
void RebuildTreeKeepingStates();
// The listing of the live tree on stdout (nothing when there is none), flushed.
void ListLiveTree();
// Connect without the listing: the "Connecting" line, then, when the move is allowed, the
// re-attachment and the rebuild. Returns true when the tree changed.
bool ConnectWithoutListing(CladeNode* moved, CladeNode* target);

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

// Releases the tree, sets gRoot to null and clears the outgroup; resetIds also sets
// gNextNodeId to 0. For tests.
void ResetClade(bool resetIds);

// Puts newRoot (a whole tree, or null) in place of the live tree and returns the old root,
// which the caller now owns; the release hook hears of it once, with nullptr, since every
// node of the old tree leaves the screen. Prints nothing.
CladeNode* ReplaceTree(CladeNode* newRoot);

// ---- Tree operations that print nothing and take no node numbers ---------------------
// They work on any tree given by its root (the one node without a parent), so that undo,
// previews and searches can run them on private copies; Connect and RebuildTree are these
// operations applied to the live tree, plus the listing and the numbering.

// Releases a node that has left a tree. The live tree's disposer tells the release hook.
using NodeDisposer = void (*)(CladeNode* node);
// Deletes the node alone; for private copies, whose nodes nobody else points at.
void DeleteNode(CladeNode* node);
// The live tree's disposer: tells the release hook about the node, then deletes it.
void ReleaseLiveNode(CladeNode* node);

// True when moved may be put next to target: moved is not a root, and target is neither
// moved nor one of moved's children (either would break the tree).
bool CanReattach(const CladeNode* moved, const CladeNode* target);
// Moves moved (with its subtree) next to target under joint, a fresh childless node that
// takes target's place with target as its first child and the moved subtree as its
// second; then computes joint's states. When target lies below moved, moved gives way: its
// child holding target takes its place and its other child is what moves; moved is then
// out of the tree, its links cleared, and returned for the caller to dispose of. Otherwise
// returns nullptr, and moved's old parent is left with one child until CompactTree.
// Needs CanReattach(moved, target).
CladeNode* Reattach(CladeNode*& root, CladeNode* moved, CladeNode* target, CladeNode* joint);
// Removes the internal nodes with a single child from node's subtree (node included),
// replacing each by its child and disposing of it; a chain collapses completely.
void CompactTree(CladeNode*& root, CladeNode* node, NodeDisposer dispose);
// Compact, levels, positions and the full state pass: a rebuild without the listing.
void UpdateTree(CladeNode*& root, NodeDisposer dispose);
// Compact, levels and positions: UpdateTree without the state pass.
void LayOutTree(CladeNode*& root, NodeDisposer dispose);

// A copy of the tree under root, one heap node per node: the same ids, taxon data, states,
// positions and levels, links pointing into the copy. Takes no id; null for null.
CladeNode* CloneTree(const CladeNode* root);
// Deletes every node of the tree (children first); tells nobody. For copies.
void DeleteTree(CladeNode* root);
// True when the two trees have the same shape, and node by node the same ids, taxa,
// states, levels and positions (pick flags are not compared).
bool SameTree(const CladeNode* a, const CladeNode* b);

// Checks a tree between operations: links both ways, a root without parent, two children
// for every internal node, every leaf a taxon of the matrix shown once, gTaxonCount
// leaves (one leaf for an empty matrix), unique ids below gNextNodeId, levels and
// positions as the layout gives them, states in range. Returns true, or false with the
// first fault found in *fault (when given).
bool CheckTree(const CladeNode* root, std::string* fault = nullptr);
