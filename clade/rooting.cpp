// The outgroup, the rooting tests and re-rooting (see rooting.h). Called by the history,
// the move trials, the search and the app's change step. No GL state, no output.
#include "clade/rooting.h"

#include <cassert>
#include <utility>
#include <vector>

TaxonMask gOutgroup = 0;

TaxonMask AllTaxa() {
    const int n = gTaxonCount < 0 ? 0 : gTaxonCount > kMaxTaxa ? kMaxTaxa : gTaxonCount;
    return n == 64 ? ~TaxonMask{0} : TaxonBit(n) - 1;
}

// Post-order, left before right.
TaxonMask TaxaBelow(const CladeNode* node) {
    if (node == nullptr) return 0;
    const int taxon = TaxonIndexOf(node);
    if (taxon >= 0) return TaxonBit(taxon);
    return TaxaBelow(node->left) | TaxaBelow(node->right);
}

bool IsRootedOn(const CladeNode* root, TaxonMask group) {
    if (root == nullptr || root->left == nullptr || root->right == nullptr || group == 0)
        return false;
    return TaxaBelow(root->left) == group || TaxaBelow(root->right) == group;
}

namespace {

// Post-order, left before right: returns the taxa under node and keeps in *found the node
// whose taxa are exactly want (no two nodes of a tree hold the same taxa).
TaxonMask FindTaxa(const CladeNode* node, TaxonMask want, const CladeNode** found) {
    const int taxon = TaxonIndexOf(node);
    TaxonMask below = taxon >= 0 ? TaxonBit(taxon) : 0;
    if (node->left != nullptr) below |= FindTaxa(node->left, want, found);
    if (node->right != nullptr) below |= FindTaxa(node->right, want, found);
    if (below == want && *found == nullptr) *found = node;
    return below;
}

} // namespace

const CladeNode* GroupNode(const CladeNode* root, TaxonMask group) {
    if (root == nullptr || group == 0) return nullptr;
    const CladeNode* found = nullptr;
    const TaxonMask all = FindTaxa(root, group, &found);
    if (group == all || (group & ~all) != 0) return nullptr;
    if (found == nullptr) FindTaxa(root, all & ~group, &found);
    return found;
}

bool IsCladeOf(const CladeNode* root, TaxonMask group) {
    return GroupNode(root, group) != nullptr;
}

bool CanReroot(const CladeNode* root, const CladeNode* node) {
    return root != nullptr && node != nullptr && node != root && root->left != node;
}

CladeNode* Reroot(CladeNode*& root, CladeNode* node, CladeNode* joint) {
    assert(CanReroot(root, node));
    assert(joint != nullptr && joint->left == nullptr && joint->right == nullptr);
    CladeNode* const oldRoot = root;
    // Walking up from node: below is the node just turned round, above its former parent,
    // and slot the link (in holder) that above is to fill.
    CladeNode* below = node;
    CladeNode* above = node->parent;
    CladeNode* holder = joint;
    CladeNode** slot = &joint->right;
    joint->left = node;
    node->parent = joint;
    while (above != oldRoot) {
        CladeNode* next = above->parent;
        CladeNode** freed = above->left == below ? &above->left : &above->right;
        *slot = above;
        above->parent = holder;
        holder = above;
        slot = freed; // above's former parent comes here
        below = above;
        above = next;
    }
    // The old root's two branches become one: its other child takes the last slot.
    CladeNode* other = oldRoot->left == below ? oldRoot->right : oldRoot->left;
    *slot = other;
    other->parent = holder;
    oldRoot->parent = oldRoot->left = oldRoot->right = nullptr;
    joint->parent = nullptr;
    root = joint;
    return oldRoot;
}

bool RerootLiveTree(CladeNode* node) {
    if (!CanReroot(gRoot, node)) return false;
    CladeNode* oldRoot = Reroot(gRoot, node, new CladeNode());
    ReleaseLiveNode(oldRoot);
    RebuildTreeWithoutListing();
    return true;
}

namespace {

// A copy of the part of the subtree that holds taxa of keep, each internal node that
// keeps both sides copied (with an id from *nextId: the other part may keep it too), the
// others replaced by their kept side; null when the subtree holds none. Pre-order, left
// before right.
CladeNode* KeptCopy(const CladeNode* node, TaxonMask keep, int32_t* nextId) {
    const int taxon = TaxonIndexOf(node);
    if (taxon >= 0 || node->left == nullptr) {
        if (taxon < 0 || (keep & TaxonBit(taxon)) == 0) return nullptr;
        CladeNode* leaf = new CladeNode(node->id);
        *leaf = *node;
        leaf->parent = leaf->left = leaf->right = nullptr;
        return leaf;
    }
    CladeNode* left = KeptCopy(node->left, keep, nextId);
    CladeNode* right = KeptCopy(node->right, keep, nextId);
    if (left == nullptr || right == nullptr) return left != nullptr ? left : right;
    CladeNode* copy = new CladeNode(0);
    *copy = *node;
    copy->id = (*nextId)++;
    copy->parent = nullptr;
    copy->left = left;
    copy->right = right;
    left->parent = right->parent = copy;
    return copy;
}

void SwapChildren(CladeNode* node) {
    std::swap(node->left, node->right);
}

} // namespace

CladeNode* RootedCopy(const CladeNode* root, TaxonMask group, int32_t* nextId) {
    const CladeNode* at = GroupNode(root, group);
    if (at == nullptr) {
        const TaxonMask all = TaxaBelow(root);
        assert((group & all) != 0 && (all & ~group) != 0);
        CladeNode* joint = new CladeNode((*nextId)++);
        joint->left = KeptCopy(root, group, nextId);
        joint->right = KeptCopy(root, all & ~group, nextId);
        joint->left->parent = joint->right->parent = joint;
        return joint;
    }
    CladeNode* copy = CloneTree(root);
    // The node of the copy in at's place: the same path of sides from the root.
    std::vector<bool> rightTurns;
    for (const CladeNode* node = at; node->parent != nullptr; node = node->parent)
        rightTurns.push_back(node->parent->right == node);
    CladeNode* node = copy;
    for (auto turn = rightTurns.rbegin(); turn != rightTurns.rend(); ++turn)
        node = *turn ? node->right : node->left;
    if (CanReroot(copy, node)) {
        if (node->parent == copy) {
            SwapChildren(copy); // already rooted there, in the other order
        } else {
            CladeNode* joint = new CladeNode((*nextId)++);
            DeleteNode(Reroot(copy, node, joint));
        }
    }
    // node may hold the other taxa, the group being the root's side: put the group first.
    if (TaxaBelow(copy->left) != group) SwapChildren(copy);
    assert(TaxaBelow(copy->left) == group);
    return copy;
}
