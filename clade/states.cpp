// Ancestral states of the tree's nodes and the change events on its branches. The state
// rule is local and order-dependent: each evaluation reads whatever its neighbours hold
// at that moment. Called by BuildInitialTree, Connect, RebuildTree and the display's
// markers and panels. No GL state.
#include "clade/clade.h"

#include <cassert>

void CladeNode::ComputeStates() {
    if (isTaxon) {
        static_cast<TaxonRecord&>(*this) = *source;
        return;
    }
    assert(left != nullptr && right != nullptr);
    if (parent == nullptr) {
        // The same choice for every character: the root copies one child whole.
        const CladeNode* from = left->isTaxon ? left : right;
        for (int j = 0; j < gCharacterCount; ++j)
            states[j] = from->states[j];
        return;
    }
    assert(parent != nullptr);
    for (int j = 0; j < gCharacterCount; ++j)
        states[j] = parent->states[j] == left->states[j] ? left->states[j] : right->states[j];
}

// Pre-order, left before right: each node sees its parent already recomputed by this
// pass and its internal children as they stood before it.
void CladeNode::UpdateStates() {
    ComputeStates();
    if (left != nullptr) left->UpdateStates();
    if (right != nullptr) right->UpdateStates();
}

int ListChangeEvents(const CladeNode* node, int tnum[kMaxCharacters], int tval[kMaxCharacters]) {
    if (node->parent == nullptr) return 0;
    int count = 0;
    for (int j = 0; j < gCharacterCount; ++j) {
        if (node->states[j] != node->parent->states[j]) {
            tnum[count] = j;
            tval[count] = node->states[j];
            ++count;
        }
    }
    return count;
}

// Pre-order over the subtree, the branch into node itself included. Counts what
// ListChangeEvents lists, without the list: every move trial scores its tree here, and
// with no branch per character (whose outcome the data make unpredictable) the count
// takes well under half the time.
int CountChangeEvents(const CladeNode* node) {
    if (node == nullptr) return 0;
    int count = 0;
    if (node->parent != nullptr) {
        const int32_t* mine = node->states;
        const int32_t* above = node->parent->states;
        for (int j = 0; j < gCharacterCount; ++j)
            count += mine[j] != above[j];
    }
    return count + CountChangeEvents(node->left) + CountChangeEvents(node->right);
}
