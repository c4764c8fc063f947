// Parsimony figures: the Fitch length against a brute-force minimum on every tree of up to
// six taxa, and the per-character minima and lower bound on a small table.
#include "clade/parsimony.h"
#include "clade_support.h"

#include <random>

namespace {

using ParsimonyTest = CladeTest;

// A tree as each node's parent (-1 for the root), nodes in the order they were made:
// node 2k is taxon k, node 2k - 1 the joint that brought it in.
using Parents = std::vector<int>;

// Every labelled rooted binary tree of n taxa: taxon k goes on each branch of every tree
// of the first k taxa, the root's stem included.
std::vector<Parents> AllTrees(int n) {
    std::vector<Parents> trees = {{-1}};
    for (int k = 1; k < n; ++k) {
        std::vector<Parents> grown;
        for (const Parents& tree : trees) {
            for (size_t v = 0; v < tree.size(); ++v) {
                Parents next = tree;
                next.push_back(tree[v]); // the joint takes v's place
                next.push_back(2 * k - 1);
                next[v] = 2 * k - 1;
                grown.push_back(next);
            }
        }
        trees = grown;
    }
    return trees;
}

CladeNode* Build(const Parents& tree) {
    std::vector<CladeNode*> nodes;
    for (size_t i = 0; i < tree.size(); ++i)
        nodes.push_back(new CladeNode(static_cast<int32_t>(i)));
    CladeNode* root = nullptr;
    for (size_t i = 0; i < tree.size(); ++i) {
        if (i % 2 == 0) {
            static_cast<TaxonRecord&>(*nodes[i]) = gTaxa[i / 2];
            nodes[i]->source = &gTaxa[i / 2];
            nodes[i]->isTaxon = true;
        }
        if (tree[i] < 0) {
            root = nodes[i];
            continue;
        }
        nodes[i]->parent = nodes[tree[i]];
        (nodes[tree[i]]->left == nullptr ? nodes[tree[i]]->left : nodes[tree[i]]->right) = nodes[i];
    }
    return root;
}

// The fewest changes of one character on the tree, trying every state at every internal
// node: a branch costs one when its ends differ.
int BruteForceSteps(const Parents& tree, int character, int states) {
    int assignments = 1;
    for (size_t i = 1; i < tree.size(); i += 2)
        assignments *= states;
    std::vector<int> at(tree.size());
    int best = 1 << 30;
    for (int code = 0; code < assignments; ++code) {
        int rest = code;
        for (size_t i = 0; i < tree.size(); ++i) {
            at[i] = i % 2 == 0 ? gTaxa[i / 2].states[character] : rest % states;
            if (i % 2 == 1) rest /= states;
        }
        int cost = 0;
        for (size_t i = 0; i < tree.size(); ++i)
            cost += tree[i] >= 0 && at[i] != at[tree[i]];
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
        for (const Parents& tree : AllTrees(n)) {
            CladeNode* root = Build(tree);
            const ParsimonyFigures figures = ComputeParsimony(root);
            int total = 0;
            for (int c = 0; c < characters; ++c) {
                const int steps = BruteForceSteps(tree, c, 1 + c % 4);
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
