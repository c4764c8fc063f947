// The layout passes (levels, then positions in tree units), the console listing and
// RebuildTree, the one update sequence after every change of the tree. Called by the
// app after loads and keys, and by Connect. No GL state; writes the listing to stdout.
#include "clade/clade.h"

#include <cassert>
#include <cstdio>

// Pre-order, left before right. Each taxon leaf adds one to every ancestor below the
// root while that ancestor is still a counter (reset on the way down, converted to a
// level on the way back up), so a node with k leaves below it ends at n - k + 1.
void CladeNode::ComputeLevels() {
    level = 0;
    if (isTaxon) {
        for (CladeNode* node = parent; node != nullptr && node->parent != nullptr;
             node = node->parent)
            ++node->level;
    }
    if (left != nullptr) {
        assert(left->parent == this);
        left->ComputeLevels();
    }
    if (right != nullptr) {
        assert(right->parent == this);
        right->ComputeLevels();
    }
    level = level == 0 ? gTaxonCount : gTaxonCount - level + 1;
}

// Pre-order, parents before children: each node reads its parent's final position.
// A left child lies above its parent, a right child below, by half the x distance.
void CladeNode::ComputePositions() {
    if (parent == nullptr) {
        x = 0.0f;
        y = 0.0f;
    } else {
        assert(parent != nullptr);
        const float side = this == parent->left ? -1.0f : 1.0f;
        x = static_cast<float>(level - 1);
        y = parent->y + (x - parent->x) * 0.5f * side;
    }
    if (left != nullptr) left->ComputePositions();
    if (right != nullptr) right->ComputePositions();
}

// Pre-order, left before right; expects every internal node to hold both children, which
// Compact guarantees. One printf per line: the listing is most of a rebuild's cost.
void CladeNode::Dump(int32_t depth) {
    if (isTaxon) {
        if (parent == nullptr)
            std::printf("%*sNode %d:  ROOT End -> %s\n", depth, "", id, source->name);
        else
            std::printf("%*sNode %d:  P=%d  End -> %s\n", depth, "", id, parent->id, source->name);
    } else {
        assert(left != nullptr && right != nullptr);
        const int leftId = left != nullptr ? left->id : -1;
        const int rightId = right != nullptr ? right->id : -1;
        if (parent == nullptr)
            std::printf("%*sNode %d:  ROOT C=%d,%d\n", depth, "", id, leftId, rightId);
        else
            std::printf("%*sNode %d:  P=%d  C=%d,%d\n", depth, "", id, parent->id, leftId, rightId);
    }
    if (left != nullptr) left->Dump(depth + 1);
    if (right != nullptr) right->Dump(depth + 1);
}

namespace {

void Rebuild(bool list, bool states = true) {
    if (gRoot == nullptr) return;
    if (states)
        UpdateTree(gRoot, ReleaseLiveNode);
    else
        LayOutTree(gRoot, ReleaseLiveNode);
#ifndef NDEBUG
    std::string fault;
    if (!CheckTree(gRoot, &fault)) {
        std::fprintf(stderr, "broken tree after a rebuild: %s\n", fault.c_str());
        assert(false);
    }
#endif
    if (list) ListLiveTree();
}

} // namespace

void RebuildTree() {
    Rebuild(true);
}

void ListLiveTree() {
    if (gRoot != nullptr) gRoot->Dump(0);
    std::fflush(stdout);
}

void RebuildTreeWithoutListing() {
    Rebuild(false);
}

void RebuildTreeKeepingStates() {
    Rebuild(false, false);
}
