// The MPR sets and the ACCTRAN reconstruction of a tree (see reconstruction.h). Called by
// the display's markers and trace after each tree change, and by the tests. No GL state,
// no output.
//
// Why the sets are exact: with unit costs, the cheapest cost of a subtree given its top
// state is its minimum plus 0 (on Fitch's set), 1 or 2, and seen from the branch above
// it is the minimum plus 0 on Fitch's set and 1 elsewhere. The same holds for the rest of
// the tree seen from a node (the "up" set: Fitch's rule applied to the parent's up set and
// the sibling's set). So the cost of the whole tree with a node in state s is a constant
// plus the number of those sets around the node that lack s, and the MPR set is the
// states that the most of them hold.
#include "clade/reconstruction.h"

#include "clade/parsimony.h"

#include <cassert>

namespace {

StateSet Fitch(StateSet a, StateSet b) {
    const StateSet shared = a & b;
    return shared != 0 ? shared : a | b;
}

// The states that the most of the three sets hold.
StateSet MostHeld(StateSet a, StateSet b, StateSet c) {
    const StateSet all = a & b & c;
    if (all != 0) return all;
    const StateSet two = (a & b) | (a & c) | (b & c);
    return two != 0 ? two : a | b | c;
}

int CharacterCount() {
    return gCharacterCount < 0                ? 0
           : gCharacterCount > kMaxCharacters ? kMaxCharacters
                                              : gCharacterCount;
}

} // namespace

void Reconstruction::Collect(const CladeNode* root) {
    nodeCount_ = 0;
    for (bool& computed : computed_)
        computed = false;
    for (int& steps : steps_)
        steps = 0;
    if (root == nullptr) return;
    // Pre-order, left before right, with an explicit stack of (node, parent index).
    struct Pending {
        const CladeNode* node;
        int parent;
    };
    Pending stack[kMaxTreeNodes];
    int depth = 0;
    stack[depth++] = {root, -1};
    while (depth > 0) {
        const Pending top = stack[--depth];
        assert(nodeCount_ < kMaxTreeNodes);
        const int i = nodeCount_++;
        nodes_[i] = top.node;
        taxon_[i] = TaxonIndexOf(top.node);
        parent_[i] = top.parent;
        left_[i] = right_[i] = -1;
        if (top.parent >= 0) (left_[top.parent] < 0 ? left_ : right_)[top.parent] = i;
        if (top.node->left != nullptr && top.node->right != nullptr) {
            stack[depth++] = {top.node->right, i};
            stack[depth++] = {top.node->left, i}; // popped first
        }
    }
}

void Reconstruction::Solve(int c) {
    computed_[c] = true;
    int steps = 0;
    // Down: children come after their parent in pre-order, so backwards is children first.
    for (int i = nodeCount_ - 1; i >= 0; --i) {
        if (left_[i] < 0) {
            down_[i][c] = taxon_[i] >= 0 ? CellStates(taxon_[i], c) : LeafStates(nodes_[i], c);
            continue;
        }
        const StateSet a = down_[left_[i]][c];
        const StateSet b = down_[right_[i]][c];
        steps += (a & b) == 0;
        down_[i][c] = Fitch(a, b);
    }
    steps_[c] = steps;

    // Up, the MPR sets and ACCTRAN: parents before children, in pre-order.
    mpr_[0][c] = down_[0][c];
    up_[0][c] = 0;
    const StateSet rootChoice = left_[0] >= 0 ? down_[0][c] & down_[left_[0]][c] : down_[0][c];
    state_[0][c] = LowestState(rootChoice != 0 ? rootChoice : down_[0][c]);
    for (int i = 1; i < nodeCount_; ++i) {
        const int p = parent_[i];
        const int sibling = left_[p] == i ? right_[p] : left_[p];
        const StateSet up =
            parent_[p] < 0 ? down_[sibling][c] : Fitch(up_[p][c], down_[sibling][c]);
        up_[i][c] = up;
        if (left_[i] < 0) {
            const StateSet cell = down_[i][c];
            mpr_[i][c] = (cell & up) != 0 ? cell & up : cell;
        } else {
            mpr_[i][c] = MostHeld(down_[left_[i]][c], down_[right_[i]][c], up);
        }
        const int32_t from = state_[p][c];
        state_[i][c] = (down_[i][c] & StateBit(from)) != 0 ? from : LowestState(down_[i][c]);
        assert((mpr_[i][c] & StateBit(state_[i][c])) != 0);
    }
}

void Reconstruction::Compute(const CladeNode* root) {
    Collect(root);
    if (nodeCount_ == 0) return;
    for (int c = 0; c < CharacterCount(); ++c)
        Solve(c);
}

void Reconstruction::ComputeCharacter(const CladeNode* root, int character) {
    assert(character >= 0 && character < CharacterCount());
    Collect(root);
    if (nodeCount_ > 0) Solve(character);
}

int Reconstruction::IndexOf(const CladeNode* node) const {
    for (int i = 0; i < nodeCount_; ++i)
        if (nodes_[i] == node) return i;
    return -1;
}

bool Reconstruction::Computed(int character) const {
    return character >= 0 && character < kMaxCharacters && computed_[character];
}

int Reconstruction::Length() const {
    int length = 0;
    for (int c = 0; c < kMaxCharacters; ++c)
        length += steps_[c];
    return length;
}

int Reconstruction::ListChanges(const CladeNode* node, int tnum[kMaxCharacters],
                                int tval[kMaxCharacters]) const {
    const int i = IndexOf(node);
    if (i <= 0) return 0;
    int count = 0;
    for (int c = 0; c < kMaxCharacters; ++c) {
        if (computed_[c] && state_[i][c] != state_[parent_[i]][c]) {
            tnum[count] = c;
            tval[count] = state_[i][c];
            ++count;
        }
    }
    return count;
}

int Reconstruction::CountChanges() const {
    int count = 0;
    for (int i = 1; i < nodeCount_; ++i)
        for (int c = 0; c < kMaxCharacters; ++c)
            count += computed_[c] && state_[i][c] != state_[parent_[i]][c];
    return count;
}
