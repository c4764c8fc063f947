// Parsimony figures: the Fitch length and the minima against brute force on every tree of
// up to six taxa, with missing and polymorphic cells, and the per-character minima and
// lower bound on a small table.
#include "clade/parsimony.h"
#include "clade_support.h"

#include <algorithm>
#include <random>

namespace {

using ParsimonyTest = CladeTest;

// The fewest states of the character that meet every cell, by trying every subset.
int BruteForceStateCount(int character) {
    int best = kMaxStates;
    for (StateSet chosen = 1; chosen < StateBit(StatesOf(character)); ++chosen) {
        bool meets = true;
        for (int t = 0; t < gTaxonCount; ++t)
            meets = meets && (CellStates(t, character) & chosen) != 0;
        if (meets) best = std::min(best, StateCount(chosen));
    }
    return best;
}

TEST_F(ParsimonyTest, FitchLengthIsTheBruteForceMinimumOnEveryTreeUpToSixTaxa) {
    std::mt19937 random(1107);
    int checked = 0;
    for (int n = 2; n <= 6; ++n) {
        const int characters = 7;
        SetRandomCells(n, characters, random); // missing and polymorphic cells too
        for (int c = 0; c < characters; ++c)
            ASSERT_EQ(CharacterMinimum(c), BruteForceStateCount(c) - 1) << n << " taxa, " << c;
        for (const Parents& tree : AllRootedTrees(n)) {
            const std::vector<CladeNode*> nodes = BuildParents(tree);
            CladeNode* root = nodes[std::find(tree.begin(), tree.end(), -1) - tree.begin()];
            const ParsimonyFigures figures = ComputeParsimony(root);
            int total = 0;
            for (int c = 0; c < characters; ++c) {
                const int steps = SolveByBruteForce(tree, c, StatesOf(c)).steps;
                ASSERT_EQ(figures.steps[c], steps) << n << " taxa, character " << c;
                total += steps;
            }
            ASSERT_EQ(figures.length, total);
            ASSERT_EQ(ParsimonyLength(root), total);
            DeleteTree(root);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 1 + 3 + 15 + 105 + 945); // (2n - 3)!! trees of n taxa
}

// On the start comb (T0,(T1,(T2,T3))) for four taxa.
TEST_F(ParsimonyTest, MinimaLowerBoundAndConsistencyIndex) {
    struct Case {
        std::vector<std::vector<int>> rows; // rows[t][c]
        std::vector<int> minima;
        int lowerBound;
        int length;
        double consistency;
    };
    const Case cases[] = {
        {{{0, 0, 0}}, {0, 0, 0}, 0, 0, 1.0},                                   // one taxon
        {{{0, 1, 2}, {0, 1, 2}, {0, 1, 2}}, {0, 0, 0}, 0, 0, 1.0},             // constant
        {{{0, 0, 0}, {1, 0, 1}, {1, 1, 2}, {0, 1, 3}}, {1, 1, 3}, 5, 6, 0.83}, // 2, 2, 4 states
        {{{0, 0}, {0, 3}, {0, 3}, {0, 7}}, {0, 2}, 2, 2, 1.0}, // state numbers need not run
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (size_t t = 0; t < c.rows.size(); ++t)
            names.push_back("T" + std::to_string(t));
        SetMatrix(names, c.rows);
        BuildAndList();
        const ParsimonyFigures figures = ComputeParsimony(gRoot);
        for (size_t k = 0; k < c.minima.size(); ++k)
            EXPECT_EQ(figures.minimum[k], c.minima[k]);
        EXPECT_EQ(figures.lowerBound, c.lowerBound);
        EXPECT_EQ(figures.length, c.length);
        EXPECT_NEAR(ConsistencyIndex(figures), c.consistency, 0.005);
    }
}

} // namespace
