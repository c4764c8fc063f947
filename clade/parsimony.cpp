// Fitch's count on state bit sets and the per-character minima (see parsimony.h). Called by
// the report, the panel and the move trials, often thousands of times per search, so one
// pass handles every character at once. No GL state, no output.
#include "clade/parsimony.h"

#include <cassert>

namespace {

// Post-order, left before right: each internal node's set is the intersection of its
// children's sets when they share a state, else their union, which costs one step. Fills
// sets[c] for node and adds the steps of its subtree to steps[c].
void FitchPass(const CladeNode* node, int characters, StateSet sets[kMaxCharacters],
               int steps[kMaxCharacters]) {
    if (node->left == nullptr || node->right == nullptr) {
        // A leaf (or the single node of a tree without taxa): its own states.
        for (int c = 0; c < characters; ++c) {
            const int32_t s = node->states[c];
            sets[c] = s >= 0 && s < kMaxStates ? StateSet{1} << s : ~StateSet{0};
        }
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

} // namespace

int CharacterMinimum(int character) {
    assert(character >= 0 && character < kMaxCharacters);
    StateSet seen = 0;
    for (int t = 0; t < gTaxonCount && t < kMaxTaxa; ++t) {
        const int32_t s = gTaxa[t].states[character];
        if (s >= 0 && s < kMaxStates) seen |= StateSet{1} << s;
    }
    int distinct = 0;
    for (; seen != 0; seen &= seen - 1)
        ++distinct;
    return distinct > 0 ? distinct - 1 : 0;
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
