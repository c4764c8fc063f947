// Fitch's count on the cells' state sets and the per-character minima (see parsimony.h).
// Called by the report, the panel and the move trials, often thousands of times per
// search, so one pass handles every character at once. No GL state, no output.
#include "clade/parsimony.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace {

// Post-order, left before right: each internal node's set is the intersection of its
// children's sets when they share a state, else their union, which costs one step. Fills
// sets[c] for node and adds the steps of its subtree to steps[c].
void FitchPass(const CladeNode* node, int characters, StateSet sets[kMaxCharacters],
               int steps[kMaxCharacters]) {
    if (node->left == nullptr || node->right == nullptr) {
        // A leaf (or the single node of a tree without taxa): what its cells allow.
        const int taxon = TaxonIndexOf(node);
        for (int c = 0; c < characters; ++c)
            sets[c] = taxon >= 0 ? CellStates(taxon, c) : LeafStates(node, c);
        return;
    }
    StateSet left[kMaxCharacters];
    StateSet right[kMaxCharacters];
    FitchPass(node->left, characters, left, steps);
    FitchPass(node->right, characters, right, steps);
    for (int c = 0; c < characters; ++c) {
        const StateSet shared = left[c] & right[c];
        sets[c] = shared != 0 ? shared : left[c] | right[c];
        steps[c] += shared == 0;
    }
}

int CharacterCount() {
    return gCharacterCount < 0                ? 0
           : gCharacterCount > kMaxCharacters ? kMaxCharacters
                                              : gCharacterCount;
}

// The size of the smallest set of states that meets every set of sets[from..] not yet met
// by chosen, or best when no such set is smaller. Branches on the states of the first set
// not met, which is the smallest (sets are sorted by size), so a forced state costs one
// branch.
int SmallestHittingSet(const std::vector<StateSet>& sets, std::size_t from, StateSet chosen,
                       int best) {
    while (from < sets.size() && (sets[from] & chosen) != 0)
        ++from;
    const int size = StateCount(chosen);
    if (from == sets.size()) return size;
    if (size + 1 >= best) return best; // one more state is needed, and that ties at best
    for (StateSet left = sets[from]; left != 0; left &= left - 1)
        best = SmallestHittingSet(sets, from + 1, chosen | (left & -left), best);
    return best;
}

} // namespace

StateSet LeafStates(const CladeNode* leaf, int character) {
    const int taxon = TaxonIndexOf(leaf);
    if (taxon >= 0) return CellStates(taxon, character);
    const int32_t s = leaf->states[character];
    return s >= 0 && s < kMaxStates ? StateBit(s) : ~StateSet{0};
}

int CharacterMinimum(int character) {
    assert(character >= 0 && character < kMaxCharacters);
    std::vector<StateSet> sets;
    for (int t = 0; t < gTaxonCount && t < kMaxTaxa; ++t)
        sets.push_back(CellStates(t, character));
    if (sets.empty()) return 0;
    // Smallest first; a set that holds another one is met whenever that one is.
    std::sort(sets.begin(), sets.end(), [](StateSet a, StateSet b) {
        return StateCount(a) != StateCount(b) ? StateCount(a) < StateCount(b) : a < b;
    });
    sets.erase(std::unique(sets.begin(), sets.end()), sets.end());
    std::vector<StateSet> needed;
    for (StateSet set : sets)
        if (std::none_of(needed.begin(), needed.end(),
                         [set](StateSet kept) { return (kept & set) == kept; }))
            needed.push_back(set);
    return SmallestHittingSet(needed, 0, 0, kMaxStates + 1) - 1;
}

ParsimonyFigures ComputeParsimony(const CladeNode* root) {
    ParsimonyFigures figures;
    const int characters = CharacterCount();
    if (root != nullptr) {
        StateSet sets[kMaxCharacters];
        FitchPass(root, characters, sets, figures.steps);
    }
    for (int c = 0; c < characters; ++c) {
        figures.length += figures.steps[c];
        figures.minimum[c] = CharacterMinimum(c);
        figures.lowerBound += figures.minimum[c];
    }
    return figures;
}

int ParsimonyLength(const CladeNode* root) {
    if (root == nullptr) return 0;
    const int characters = CharacterCount();
    StateSet sets[kMaxCharacters];
    int steps[kMaxCharacters] = {};
    FitchPass(root, characters, sets, steps);
    int length = 0;
    for (int c = 0; c < characters; ++c)
        length += steps[c];
    return length;
}

double ConsistencyIndex(const ParsimonyFigures& figures) {
    if (figures.length == 0) return 1.0;
    return static_cast<double>(figures.lowerBound) / figures.length;
}
