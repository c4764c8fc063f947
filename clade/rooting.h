// The outgroup and where a tree is rooted: sets of taxa as bit masks, the live tree's
// outgroup (kept by the undo history with each tree), the tests of a tree's rooting and
// the quiet re-rooting of a tree on a node. Called by the history, the move trials, the
// search and the app's change step. No GL, no output.
#pragma once

#include "clade/clade.h"

#include <cstdint>

// A set of taxa: bit t stands for gTaxa entry t.
using TaxonMask = uint64_t;
static_assert(kMaxTaxa <= 64, "taxon sets are 64-bit masks");

constexpr TaxonMask TaxonBit(int taxon) {
    return TaxonMask{1} << taxon;
}
// Every taxon of the loaded matrix.
TaxonMask AllTaxa();

// The outgroup of the live tree: the taxa it is rooted on. BuildInitialTree sets it to the
// first taxon (the comb puts that taxon first and the root takes its states); the history
// keeps it with every tree, so undo and redo bring back the outgroup a tree had. 0 when no
// taxon is loaded. Whoever changes it does so inside a recorded change (BeginTreeChange ..
// EndTreeChange), so that the change can be undone.
extern TaxonMask gOutgroup;

// The taxa of the leaves under node (node included); 0 for null.
TaxonMask TaxaBelow(const CladeNode* node);

// True when one of the root's two children holds exactly the taxa of group. False for an
// empty group, a root without children, or null.
bool IsRootedOn(const CladeNode* root, TaxonMask group);

// The node whose taxa are exactly group, or, failing that, the node whose taxa are
// exactly the other taxa of the tree (then the group holds the root's side); null when
// the group is no clade of the unrooted tree (a group of all the taxa included). Pre-order,
// left before right: the first such node.
const CladeNode* GroupNode(const CladeNode* root, TaxonMask group);
// True when group is one side of a branch of the unrooted tree: the tree can be rooted on
// it without changing the unrooted tree. An empty group or all taxa is no clade.
bool IsCladeOf(const CladeNode* root, TaxonMask group);

// True when re-rooting on node changes the tree: node is neither the root nor already
// the root's first child.
bool CanReroot(const CladeNode* root, const CladeNode* node);
// Re-roots the tree on node: joint (a fresh childless node) becomes the root, with node's
// subtree as its first child and the rest of the tree as its second. The unrooted tree is
// unchanged: the branches on the path from node up to the old root turn round (each node
// on it keeps its other child where it was and takes its former parent in place of the
// child it came from), and the old root, whose two branches join into one, leaves the
// tree: its links are cleared and it is returned for the caller to dispose of. Levels,
// positions and states are not updated (UpdateTree does). Needs CanReroot(root, node).
CladeNode* Reroot(CladeNode*& root, CladeNode* node, CladeNode* joint);
// Reroot on the live tree, quietly: the joint takes the next node id (as Connect's does),
// the old root is released through ReleaseLiveNode, and the tree is rebuilt without the
// listing. Returns false, changing nothing, when !CanReroot(gRoot, node). The outgroup is
// left alone: a command that roots on a group sets gOutgroup = TaxaBelow(node) as well.
bool RerootLiveTree(CladeNode* node);

// A copy of the tree rooted on group, the group as the root's first child: the same
// unrooted tree when the group is a clade of it (IsCladeOf); otherwise the group, with
// the shape the tree gives its taxa, as the first child and the other taxa, with theirs,
// as the second. Leaves keep their ids, and so do internal nodes when the group is a
// clade; the other internal nodes take ids from *nextId on (advanced). No id is taken from
// gNextNodeId. Levels, positions and
// states are not updated: the caller runs UpdateTree on the copy. Needs a group that holds
// some but not all of the tree's taxa.
CladeNode* RootedCopy(const CladeNode* root, TaxonMask group, int32_t* nextId);
