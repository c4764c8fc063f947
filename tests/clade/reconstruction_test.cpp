// The reconstruction against brute force on every tree of up to six taxa (MPR sets, steps,
// ACCTRAN changes that count exactly the length), and a table of where ACCTRAN puts the
// changes, missing and polymorphic cells included.
#include "clade/newick.h"
#include "clade/parsimony.h"
#include "clade/reconstruction.h"
#include "clade_support.h"

#include <algorithm>

namespace {

using ReconstructionTest = CladeTest;

TEST_F(ReconstructionTest, MprSetsAndAcctranAgreeWithBruteForceOnEveryTreeUpToSixTaxa) {
    std::mt19937 random(2203);
    auto reconstruction = std::make_unique<Reconstruction>();
    auto single = std::make_unique<Reconstruction>();
    for (int n = 2; n <= 6; ++n) {
        const int characters = 7;
        SetRandomCells(n, characters, random);
        for (const Parents& tree : AllRootedTrees(n)) {
            const std::vector<CladeNode*> nodes = BuildParents(tree);
            CladeNode* root = nodes[std::find(tree.begin(), tree.end(), -1) - tree.begin()];
            reconstruction->Compute(root);
            int length = 0;
            for (int c = 0; c < characters; ++c) {
                const BruteForce truth = SolveByBruteForce(tree, c, StatesOf(c));
                single->ComputeCharacter(root, c);
                ASSERT_EQ(reconstruction->Steps(c), truth.steps);
                ASSERT_EQ(single->Length(), truth.steps);
                ASSERT_EQ(single->CountChanges(), truth.steps); // ACCTRAN is most parsimonious
                for (size_t i = 0; i < nodes.size(); ++i) {
                    const int at = reconstruction->IndexOf(nodes[i]);
                    ASSERT_EQ(reconstruction->MprSet(at, c), truth.mpr[i])
                        << n << " taxa, character " << c << ", node " << i;
                    ASSERT_EQ(single->MprSet(at, c), truth.mpr[i]);
                    ASSERT_NE(truth.mpr[i] & StateBit(reconstruction->State(at, c)), 0u);
                }
                length += truth.steps;
            }
            ASSERT_EQ(reconstruction->Length(), ParsimonyLength(root));
            ASSERT_EQ(reconstruction->CountChanges(), length);
            int listed = 0;
            int tnum[kMaxCharacters];
            int tval[kMaxCharacters];
            for (const CladeNode* node : nodes) {
                const int count = reconstruction->ListChanges(node, tnum, tval);
                for (int k = 0; k < count; ++k) {
                    const int at = reconstruction->IndexOf(node);
                    ASSERT_TRUE(k == 0 || tnum[k - 1] < tnum[k]);
                    ASSERT_EQ(tval[k], reconstruction->State(at, tnum[k]));
                    ASSERT_NE(tval[k],
                              reconstruction->State(
                                  at == 0 ? 0 : reconstruction->IndexOf(node->parent), tnum[k]));
                }
                listed += count;
            }
            ASSERT_EQ(listed, length);
            DeleteTree(root);
        }
    }
}

// Taxa O, A, B, C with one character; cells as state sets (bit s: state s).
TEST_F(ReconstructionTest, AcctranPutsChangesAsNearTheRootAsTiesAllow) {
    struct Case {
        const char* tree;
        std::vector<StateSet> cells; // O, A, B, C
        const char* changes;         // branch>new state, in pre-order
        StateSet rootSet;
    };
    const Case cases[] = {
        // A gain below the root and a reversal, rather than two parallel gains.
        {"(O,((A,B),C));", {1, 2, 1, 2}, "((A,B),C)>1 B>0", 0b11},
        // The root's tie goes to its first child's side (the outgroup's, on a tree rooted
        // on it): the change is on the second.
        {"(O,((A,B),C));", {1, 2, 2, 2}, "((A,B),C)>1", 0b11},
        {"((A,B),(O,C));", {2, 1, 1, 2}, "(O,C)>1", 0b11},
        // A missing cell (every state) takes its parent's state and costs nothing.
        {"(O,((A,B),C));", {1, 3, 2, 2}, "((A,B),C)>1", 0b11},
        {"(O,((A,B),C));", {1, 2, 3, 1}, "(A,B)>1", 0b01},
        // A polymorphic cell {0, 1} next to a 1 and a 2.
        {"(O,((A,B),C));", {1, 3, 2, 4}, "((A,B),C)>1 C>2", 0b111},
    };
    for (const Case& c : cases) {
        SetMatrix({"O", "A", "B", "C"}, {{0}, {0}, {0}, {0}});
        for (int t = 0; t < 4; ++t) {
            gCellSets[t][0] = c.cells[t];
            gTaxa[t].states[0] = LowestState(c.cells[t]);
            gStateCounts[0] = 3;
        }
        NewickTree tree;
        ASSERT_TRUE(ReadNewick(c.tree, "case", &tree, nullptr));
        ApplyNewickTree(tree);
        Captured(RebuildTree);
        Reconstruction reconstruction;
        reconstruction.Compute(gRoot);
        std::string changes;
        int tnum[kMaxCharacters];
        int tval[kMaxCharacters];
        for (const CladeNode* node : PreOrder())
            if (reconstruction.ListChanges(node, tnum, tval) > 0)
                changes +=
                    (changes.empty() ? "" : " ") + Shape(node) + ">" + std::to_string(tval[0]);
        EXPECT_EQ(changes, c.changes) << c.tree;
        EXPECT_EQ(reconstruction.MprSet(0, 0), c.rootSet) << c.tree;
        EXPECT_EQ(reconstruction.CountChanges(), ParsimonyLength(gRoot));
    }
}

} // namespace
