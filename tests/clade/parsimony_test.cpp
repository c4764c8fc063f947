// Parsimony figures: the Fitch length against a brute-force minimum on every tree of up to
// six taxa, and the per-character minima and lower bound on a small table.
#include "clade/parsimony.h"
#include "clade_support.h"

#include <random>

namespace {

using ParsimonyTest = CladeTest;

// A rooted binary tree over taxa 0 .. n-1: node k < n is taxon k; node n + i is internal
// node i with children kids[i].
struct Shape {
    int taxa;
    std::vector<std::pair<int, int>> kids;
    int root;
};

// Every labelled rooted binary tree of n taxa: taxon k is added on each branch of every
// tree of the first k taxa, the root's stem included.
std::vector<Shape> AllTrees(int n) {
    std::vector<Shape> trees = {{n, {}, 0}};
    for (int k = 1; k < n; ++k) {
        std::vector<Shape> grown;
        for (const Shape& tree : trees) {
            const int internal = static_cast<int>(tree.kids.size());
            for (int at = 0; at < k + internal; ++at) {
                const int node = at < k ? at : n + at - k;
                Shape next = tree;
                for (auto& kid : next.kids) {
                    if (kid.first == node) kid.first = n + internal;
                    if (kid.second == node) kid.second = n + internal;
                }
                if (next.root == node) next.root = n + internal;
                next.kids.push_back({node, k});
                grown.push_back(next);
            }
        }
        trees = grown;
    }
    return trees;
}

CladeNode* Build(const Shape& shape, int node) {
    CladeNode* made = new CladeNode(node);
    if (node < shape.taxa) {
        static_cast<TaxonRecord&>(*made) = gTaxa[node];
        made->source = &gTaxa[node];
        made->isTaxon = true;
        return made;
    }
    made->left = Build(shape, shape.kids[node - shape.taxa].first);
    made->right = Build(shape, shape.kids[node - shape.taxa].second);
    made->left->parent = made->right->parent = made;
    return made;
}

// The fewest changes of one character on the tree, trying every state at every internal
// node: a branch costs one when its ends differ.
int BruteForceSteps(const Shape& shape, int character, int states) {
    const int internal = static_cast<int>(shape.kids.size());
    std::vector<int> at(shape.taxa + internal);
    for (int t = 0; t < shape.taxa; ++t)
        at[t] = gTaxa[t].states[character];
    int best = 1 << 30;
    for (int code = 0; code < (1 << (2 * internal)); ++code) { // two bits per node
        bool valid = true;
        for (int i = 0; i < internal; ++i) {
            at[shape.taxa + i] = (code >> (2 * i)) & 3;
            valid = valid && at[shape.taxa + i] < states;
        }
        if (!valid) continue;
        int cost = 0;
        for (int i = 0; i < internal; ++i)
            cost += (at[shape.taxa + i] != at[shape.kids[i].first]) +
                    (at[shape.taxa + i] != at[shape.kids[i].second]);
        best = std::min(best, cost);
    }
    return best;
}

TEST_F(ParsimonyTest, FitchLengthIsTheBruteForceMinimumOnEveryTreeUpToSixTaxa) {
    std::mt19937 random(1107);
    int checked = 0;
    for (int n = 2; n <= 6; ++n) {
        const int characters = 6;
        std::vector<std::string> names;
        std::vector<std::vector<int>> rows(n);
        for (int t = 0; t < n; ++t) {
            names.push_back("T" + std::to_string(t));
            for (int c = 0; c < characters; ++c)
                rows[t].push_back(static_cast<int>(random() % (1 + c % 4))); // 1 to 4 states
        }
        SetMatrix(names, rows);
        for (const Shape& shape : AllTrees(n)) {
            CladeNode* root = Build(shape, shape.root);
            const ParsimonyFigures figures = ComputeParsimony(root);
            int total = 0;
            for (int c = 0; c < characters; ++c) {
                const int steps = BruteForceSteps(shape, c, 1 + c % 4);
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
        for (size_t k = 0; k < c.minima.size(); ++k) {
            EXPECT_EQ(CharacterMinimum(static_cast<int>(k)), c.minima[k]);
            EXPECT_EQ(figures.minimum[k], c.minima[k]);
        }
        EXPECT_EQ(figures.lowerBound, c.lowerBound);
        EXPECT_EQ(figures.length, c.length);
        EXPECT_NEAR(ConsistencyIndex(figures), c.consistency, 0.005);
    }
}

} // namespace
