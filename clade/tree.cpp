// The node record, the tree root, node numbering and every operation that creates or
// releases nodes: BuildInitialTree, Connect and Compact. Called by the app (start-up,
// loads, drops, keys) and by RebuildTree. No GL state.
#include "clade/clade.h"

#include "clade/rooting.h"

#include <cassert>
#include <cstdio>

CladeNode* gRoot = nullptr;
int32_t gNextNodeId = 0;

namespace {

NodeReleaseHook gReleaseHook = nullptr;

// Replaces the whole tree by nothing; the hook hears of it once, with nullptr.
void ReleaseTree() {
    DeleteTree(ReplaceTree(nullptr));
}

} // namespace

void MakeTaxonLeaf(CladeNode* node, int taxon) {
    node->source = &gTaxa[taxon];
    static_cast<TaxonRecord&>(*node) = gTaxa[taxon];
    node->isTaxon = true;
}

int TaxonIndexOf(const CladeNode* node) {
    if (!node->isTaxon || node->source < gTaxa || node->source >= gTaxa + kMaxTaxa) return -1;
    return static_cast<int>(node->source - gTaxa);
}

CladeNode::CladeNode() : CladeNode(gNextNodeId) {
    ++gNextNodeId;
}

CladeNode::CladeNode(int32_t givenId)
    : TaxonRecord(), level(0), id(givenId), x(-99.0f), y(0.0f), source(nullptr), parent(nullptr),
      left(nullptr), right(nullptr), isTaxon(false), isDragged(false) {}

void ReleaseLiveNode(CladeNode* node) {
    if (gReleaseHook != nullptr) gReleaseHook(node);
    delete node;
}

CladeNode* ReplaceTree(CladeNode* newRoot) {
    if (gReleaseHook != nullptr) gReleaseHook(nullptr);
    CladeNode* old = gRoot;
    gRoot = newRoot;
    return old;
}

void SetNodeReleaseHook(NodeReleaseHook hook) {
    gReleaseHook = hook;
}

void ResetClade(bool resetIds) {
    ReleaseTree();
    gOutgroup = 0;
    if (resetIds) gNextNodeId = 0;
}

void BuildInitialTree() {
    ReleaseTree();
    // The comb hangs the first taxon next to the root, and the root takes its states.
    gOutgroup = gTaxonCount > 0 ? TaxonBit(0) : 0;

    // A comb: each internal node holds the next taxon as its left child and the rest of
    // the comb as its right; the last internal node created becomes the last taxon.
    gRoot = new CladeNode();
    CladeNode* current = gRoot;
    int i = 1;
    for (; i < gTaxonCount; ++i) {
        CladeNode* leaf = new CladeNode();
        leaf->parent = current;
        current->left = leaf;
        MakeTaxonLeaf(leaf, i - 1);

        CladeNode* next = new CladeNode();
        next->parent = current;
        current->right = next;
        current = next;
    }
    MakeTaxonLeaf(current, i - 1);

    // First states, bottom-up: every internal node still holds kNoState, so each one
    // mostly inherits its right child's freshly computed states.
    for (CladeNode* node = current->parent; node != nullptr; node = node->parent)
        node->ComputeStates();
}

bool ConnectWithoutListing(CladeNode* moved, CladeNode* target) {
    assert(moved != nullptr && target != nullptr);
    std::printf("---------- Connecting #%d before #%d -----------------\n", moved->id, target->id);
    std::fflush(stdout);

    // The root has nowhere to go, and a node cannot be put next to itself or its own
    // child: either would break the tree, so such calls end with their line.
    if (!CanReattach(moved, target)) return false;

    CladeNode* gaveWay = Reattach(gRoot, moved, target, new CladeNode());
    // A node that gave way is the moved one: nothing links to it any more, and nothing
    // here touches it after the release.
    if (gaveWay != nullptr) ReleaseLiveNode(gaveWay);
    RebuildTreeWithoutListing();
    return true;
}

void CladeNode::Connect(CladeNode* target) {
    // This node may be released on the way; the listing touches no field of it.
    if (ConnectWithoutListing(this, target)) ListLiveTree();
}

void CladeNode::Compact() {
    CompactTree(gRoot, this, ReleaseLiveNode);
}
