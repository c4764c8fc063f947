// The node record, the tree root, node numbering and every operation that creates or
// releases nodes: BuildInitialTree, Connect and Compact. Called by the app (start-up,
// loads, drops, keys) and by RebuildTree. No GL state.
#include "clade/clade.h"

#include <cassert>
#include <cstdio>

CladeNode* gRoot = nullptr;
int32_t gNextNodeId = 0;

namespace {

NodeReleaseHook gReleaseHook = nullptr;

// Deletes one node alone, after telling the app so that it can drop its pointers.
void ReleaseNode(CladeNode* node) {
    if (gReleaseHook != nullptr) gReleaseHook(node);
    delete node;
}

// Deletes a whole subtree. Post-order (children first, left before right): each node is
// deleted only after nothing below it still needs its links.
void DeleteSubtree(CladeNode* node) {
    if (node == nullptr) return;
    DeleteSubtree(node->left);
    DeleteSubtree(node->right);
    delete node;
}

// Replaces the whole tree by nothing; the hook hears of it once, with nullptr.
void ReleaseTree() {
    if (gReleaseHook != nullptr) gReleaseHook(nullptr);
    DeleteSubtree(gRoot);
    gRoot = nullptr;
}

// Turns node into the leaf of gTaxa entry taxon.
void MakeTaxonLeaf(CladeNode* node, int taxon) {
    node->source = &gTaxa[taxon];
    static_cast<TaxonRecord&>(*node) = gTaxa[taxon];
    node->isTaxon = true;
}

} // namespace

CladeNode::CladeNode()
    : TaxonRecord(), level(0), id(gNextNodeId++), x(-99.0f), y(0.0f), source(nullptr),
      parent(nullptr), left(nullptr), right(nullptr), isTaxon(false), isDragged(false) {}

void SetNodeReleaseHook(NodeReleaseHook hook) {
    gReleaseHook = hook;
}

void ResetClade(bool resetIds) {
    ReleaseTree();
    if (resetIds) gNextNodeId = 0;
}

void BuildInitialTree() {
    ReleaseTree();

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

void CladeNode::Connect(CladeNode* target) {
    assert(target != nullptr);
    std::printf("---------- Connecting #%d before #%d -----------------\n", id, target->id);
    std::fflush(stdout);

    // The root has nowhere to go, and a node cannot be put next to itself or its own
    // child: either would break the tree, so such calls end with their line.
    if (parent == nullptr || target == this || target == left || target == right) return;

    bool inside = false;
    for (CladeNode* node = target->parent; node != nullptr && !inside; node = node->parent)
        inside = node == this;

    CladeNode* moved = this;
    bool dissolved = false;
    if (inside) {
        // The target lies below this node: this node gives way. Its child that holds the
        // target takes its place, and its other child is what moves.
        bool rightSide = false;
        for (CladeNode* node = target->parent; node != nullptr; node = node->parent) {
            if (node == left) break;
            if (node == right) {
                rightSide = true;
                break;
            }
        }
        CladeNode* stays = rightSide ? right : left;
        moved = rightSide ? left : right;
        if (parent->left == this)
            parent->left = stays;
        else
            parent->right = stays;
        stays->parent = parent;
        dissolved = true;
    } else if (parent->left == this) {
        parent->left = nullptr; // the old parent keeps one child until Compact
    } else if (parent->right == this) {
        parent->right = nullptr;
    }

    CladeNode* joint = new CladeNode();
    joint->parent = target->parent;
    joint->left = target;
    joint->right = moved;
    if (target == gRoot)
        gRoot = joint;
    else if (target->parent->left == target)
        target->parent->left = joint;
    else
        target->parent->right = joint;
    moved->parent = joint;
    target->parent = joint;
    joint->ComputeStates();

    if (dissolved) {
        // Nothing links to this node any more; it is released before the rebuild, and
        // this member function touches no field of it afterwards.
        parent = left = right = nullptr;
        ReleaseNode(this);
    }
    RebuildTree();
}

// Pre-order, left before right. A node with two children keeps them; a node with one
// is replaced by it (the chain below is compacted first) and released.
void CladeNode::Compact() {
    if (left != nullptr && right != nullptr) {
        left->Compact();
        right->Compact(); // read after the left call, which may have replaced it
        return;
    }
    if (left == nullptr && right == nullptr) return;

    CladeNode* only = left != nullptr ? left : right;
    if (this == gRoot) {
        gRoot = only;
        only->parent = nullptr;
    } else {
        if (parent->left == this)
            parent->left = only;
        else
            parent->right = only;
        only->parent = parent;
    }
    only->Compact();
    ReleaseNode(this); // last use of this node
}
