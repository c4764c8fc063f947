// The tree operations that print nothing and take no node numbers: re-attachment,
// compaction, the rebuild without its listing, copies, comparison and the invariant check.
// Used by Connect and RebuildTree on the live tree, and by undo, previews and searches on
// copies. No GL state, no output.
#include "clade/clade.h"

#include <cassert>
#include <cstring>
#include <set>

void DeleteNode(CladeNode* node) {
    delete node;
}

bool CanReattach(const CladeNode* moved, const CladeNode* target) {
    return moved != nullptr && target != nullptr && moved->parent != nullptr && target != moved &&
           target != moved->left && target != moved->right;
}

CladeNode* Reattach(CladeNode*& root, CladeNode* moved, CladeNode* target, CladeNode* joint) {
    assert(CanReattach(moved, target));
    assert(joint != nullptr && joint->left == nullptr && joint->right == nullptr);
    CladeNode* const mover = moved;

    bool inside = false;
    for (CladeNode* node = target->parent; node != nullptr && !inside; node = node->parent)
        inside = node == mover;

    CladeNode* gaveWay = nullptr;
    if (inside) {
        // The target lies below the moved node: that node gives way. Its child that holds
        // the target takes its place, and its other child is what moves. Only the target's
        // ancestors are compared, never the target itself.
        bool rightSide = false;
        for (CladeNode* node = target->parent; node != nullptr; node = node->parent) {
            if (node == mover->left) break;
            if (node == mover->right) {
                rightSide = true;
                break;
            }
        }
        CladeNode* stays = rightSide ? mover->right : mover->left;
        moved = rightSide ? mover->left : mover->right;
        CladeNode* above = mover->parent;
        if (above->left == mover)
            above->left = stays;
        else
            above->right = stays;
        stays->parent = above;
        mover->parent = mover->left = mover->right = nullptr;
        gaveWay = mover;
    } else if (moved->parent->left == moved) {
        moved->parent->left = nullptr; // the old parent keeps one child until compaction
    } else if (moved->parent->right == moved) {
        moved->parent->right = nullptr;
    }

    // The joint takes the target's place; the side is read after the detachment above.
    joint->parent = target->parent;
    joint->left = target;
    joint->right = moved;
    if (target == root)
        root = joint;
    else if (target->parent->left == target)
        target->parent->left = joint;
    else
        target->parent->right = joint;
    moved->parent = joint;
    target->parent = joint;
    joint->ComputeStates();
    return gaveWay;
}

// Pre-order, left before right. A node with two children keeps them; a node with one is
// replaced by it (the chain below is compacted first) and disposed of.
void CompactTree(CladeNode*& root, CladeNode* node, NodeDisposer dispose) {
    if (node->left != nullptr && node->right != nullptr) {
        CompactTree(root, node->left, dispose);
        CompactTree(root, node->right, dispose); // read after the left call, which may replace it
        return;
    }
    if (node->left == nullptr && node->right == nullptr) return;

    CladeNode* only = node->left != nullptr ? node->left : node->right;
    if (node == root) {
        root = only;
        only->parent = nullptr;
    } else {
        if (node->parent->left == node)
            node->parent->left = only;
        else
            node->parent->right = only;
        only->parent = node->parent;
    }
    CompactTree(root, only, dispose);
    dispose(node); // last use of this node
}

void LayOutTree(CladeNode*& root, NodeDisposer dispose) {
    if (root == nullptr) return;
    // Each step reads the root afresh: compaction may replace it.
    CompactTree(root, root, dispose);
    root->ComputeLevels();
    root->ComputePositions();
}

void UpdateTree(CladeNode*& root, NodeDisposer dispose) {
    LayOutTree(root, dispose);
    if (root != nullptr) root->UpdateStates();
}

// Pre-order, left before right: each copy is linked to its parent's copy.
CladeNode* CloneTree(const CladeNode* root) {
    if (root == nullptr) return nullptr;
    CladeNode* copy = new CladeNode(root->id);
    *copy = *root;
    copy->parent = nullptr;
    copy->left = CloneTree(root->left);
    copy->right = CloneTree(root->right);
    if (copy->left != nullptr) copy->left->parent = copy;
    if (copy->right != nullptr) copy->right->parent = copy;
    return copy;
}

// Post-order (children first, left before right): a node goes only after its subtree.
void DeleteTree(CladeNode* root) {
    if (root == nullptr) return;
    DeleteTree(root->left);
    DeleteTree(root->right);
    delete root;
}

// Pre-order, left before right, stopping at the first difference.
bool SameTree(const CladeNode* a, const CladeNode* b) {
    if (a == nullptr || b == nullptr) return a == b;
    const bool same = a->id == b->id && a->isTaxon == b->isTaxon && a->source == b->source &&
                      a->level == b->level && a->x == b->x && a->y == b->y &&
                      std::memcmp(a->states, b->states, sizeof a->states) == 0 &&
                      std::strcmp(a->name, b->name) == 0;
    return same && SameTree(a->left, b->left) && SameTree(a->right, b->right);
}

namespace {

struct TreeCheck {
    const CladeNode* root;
    int taxonCount;
    std::set<const TaxonRecord*> sources;
    std::set<int32_t> ids;
    int leavesSeen = 0; // in pre-order: the leaf column from the top
    std::string fault;

    bool Fail(const std::string& why) {
        if (fault.empty()) fault = why;
        return false;
    }

    // Pre-order, left before right. Returns the leaves below node (a leaf counts itself),
    // or -1 on the first fault.
    int Visit(const CladeNode* node) {
        const std::string name = "node " + std::to_string(node->id);
        if (node->id < 0 || node->id >= gNextNodeId || !ids.insert(node->id).second)
            return Fail("bad or repeated id " + std::to_string(node->id)), -1;
        if (!Placed(node)) return Fail(name + " is not where the layout puts it"), -1;
        if (node->isTaxon) {
            if (node->left != nullptr || node->right != nullptr)
                return Fail(name + " is a taxon leaf with a child"), -1;
            const int usable = taxonCount > 0 ? taxonCount : 1;
            if (node->source < gTaxa || node->source >= gTaxa + usable)
                return Fail(name + " is a leaf without a taxon of the matrix"), -1;
            if (!sources.insert(node->source).second)
                return Fail(name + " shows a taxon shown before"), -1;
            if (node->flag != node->source->flag ||
                std::memcmp(node->states, node->source->states, sizeof node->states) != 0 ||
                std::strcmp(node->name, node->source->name) != 0)
                return Fail(name + " differs from its taxon's record"), -1;
            const float column = static_cast<float>(leavesSeen++) - (taxonCount - 1) / 2.0f;
            if (taxonCount > 1 && (node->level != taxonCount || node->y != column))
                return Fail(name + " is out of the leaf column"), -1;
            return 1;
        }
        if (node->left == nullptr || node->right == nullptr)
            return Fail(name + " is an internal node without two children"), -1;
        if (node->left->parent != node || node->right->parent != node)
            return Fail("a child of " + name + " names another parent"), -1;
        for (int c = 0; c < kMaxCharacters; ++c) {
            const int32_t s = node->states[c];
            const bool inRange = c < gCharacterCount
                                     ? s >= 0 && s < kMaxStates && s < gStateCounts[c]
                                     : s == kNoState;
            if (!inRange) return Fail(name + " holds an impossible state"), -1;
        }
        const int left = Visit(node->left);
        if (left < 0) return -1;
        const int right = Visit(node->right);
        if (right < 0) return -1;
        const int below = left + right;
        const int level = node == root ? taxonCount : taxonCount - below + 1;
        if (node->level != level) return Fail(name + " has the wrong level"), -1;
        return below;
    }

    // The root at the origin; any other node one column left of its level, half its
    // horizontal distance above (first child) or below (second child) its parent.
    static bool Placed(const CladeNode* node) {
        if (node->parent == nullptr) return node->x == 0.0f && node->y == 0.0f;
        const float side = node == node->parent->left ? -1.0f : 1.0f;
        return node->x == static_cast<float>(node->level - 1) &&
               node->y == node->parent->y + (node->x - node->parent->x) * 0.5f * side;
    }
};

} // namespace

bool CheckTree(const CladeNode* root, std::string* fault) {
    TreeCheck check{root, gTaxonCount, {}, {}, 0, {}};
    if (root == nullptr || root->parent != nullptr) {
        check.Fail("no root, or a root with a parent");
    } else {
        const int leaves = check.Visit(root);
        const int expected = gTaxonCount > 0 ? gTaxonCount : 1;
        if (leaves >= 0 && leaves != expected)
            check.Fail(std::to_string(leaves) + " leaves for " + std::to_string(expected) +
                       " taxa");
    }
    if (fault != nullptr) *fault = check.fault;
    return check.fault.empty();
}
