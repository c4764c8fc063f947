// The search: on random 8-taxon matrices (missing and polymorphic cells included, outgroups
// of one or more taxa, start trees rooted anywhere) it reaches the exhaustive minimum
// length and keeps every shortest tree; every tree it gives is rooted on the outgroup,
// distinct, and shows its announced figures once applied; at 19 taxa likewise.
#include "clade/newick.h"
#include "clade/parsimony.h"
#include "clade/search.h"
#include "clade_support.h"

#include <algorithm>
#include <set>

namespace {

using SearchTest = CladeTest;

// A random tree over the loaded taxa, made by drops from the start comb.
void ShakeTree(std::mt19937& random) {
    BuildAndList();
    for (int shake = 0; shake < 3 * gTaxonCount; ++shake) {
        const std::vector<CladeNode*> nodes = PreOrder();
        CladeNode* moved = nodes[random() % nodes.size()];
        CladeNode* target = nodes[random() % nodes.size()];
        if (CanReattach(moved, target)) Captured([&] { moved->Connect(target); });
    }
}

// The taxa under each internal node of a NewickTree but the root, sorted (its clades),
// then those of the root's first child.
std::vector<TaxonMask> Clades(const NewickTree& tree) {
    std::vector<TaxonMask> taxa(tree.nodes.size(), 0);
    for (size_t i = tree.nodes.size(); i-- > 0;) { // children come after their parent
        const NewickTree::Node& node = tree.nodes[i];
        taxa[i] = node.taxon >= 0 ? TaxonBit(node.taxon) : taxa[node.left] | taxa[node.right];
    }
    std::vector<TaxonMask> clades;
    for (size_t i = 1; i < tree.nodes.size(); ++i)
        if (tree.nodes[i].taxon < 0) clades.push_back(taxa[i]);
    std::sort(clades.begin(), clades.end());
    clades.push_back(tree.nodes[0].left >= 0 ? taxa[tree.nodes[0].left] : 0);
    return clades;
}

// Every tree of the outcome: rooted on the outgroup (its side first), distinct, at the
// same primary figure, in order, and showing its score once applied for real.
void CheckOutcome(const TreeSearchOutcome& outcome, SearchGoal goal) {
    ASSERT_FALSE(outcome.trees.empty());
    std::set<std::vector<TaxonMask>> seen;
    for (const FoundTree& found : outcome.trees) {
        const std::vector<TaxonMask> clades = Clades(found.tree);
        ASSERT_EQ(clades.back(), outcome.outgroup); // the root's first child
        ASSERT_TRUE(seen.insert(clades).second);
        ASSERT_EQ(PrimaryFigure(found.score, goal), PrimaryFigure(outcome.trees[0].score, goal));
        ASSERT_FALSE(Better(found.score, outcome.trees[0].score, goal));
        ASSERT_EQ(ScoreAppliedTree(found.tree), found.score);
    }
    CladeNode* const before = CloneTree(gRoot);
    for (const FoundTree& found : outcome.trees) {
        ApplyNewickTree(found.tree);
        RebuildTreeWithoutListing();
        ASSERT_EQ(ScoreTree(gRoot), found.score);
    }
    DeleteTree(ReplaceTree(before));
}

// The shortest length over every tree rooted on the outgroup, and how many have it: each
// unrooted tree of 8 taxa is a rooted tree of the first 7 joined to the last at the root;
// those in which the outgroup is a clade are the trees rooted on it.
std::pair<int, int> ExhaustiveShortest(TaxonMask outgroup) {
    int best = 1 << 30;
    int count = 0;
    for (Parents tree : AllRootedTrees(7)) {
        const size_t oldRoot = std::find(tree.begin(), tree.end(), -1) - tree.begin();
        tree[oldRoot] = 13;
        tree.push_back(-1); // node 13 joins node 14, taxon 7
        tree.push_back(13);
        const std::vector<CladeNode*> nodes = BuildParents(tree);
        if (IsCladeOf(nodes[13], outgroup)) {
            const int length = ParsimonyLength(nodes[13]);
            count = length < best ? 1 : count + (length == best);
            best = std::min(best, length);
        }
        DeleteTree(nodes[13]);
    }
    return {best, count};
}

TEST_F(SearchTest, ReachesTheExhaustiveMinimumOnRandomEightTaxonMatrices) {
    std::mt19937 random(8008);
    for (int round = 0; round < 8; ++round) {
        SetRandomCells(8, 10, random);
        ShakeTree(random);
        // One taxon, or a group of taxa that the start tree may well split.
        const TaxonMask outgroup = round % 2 == 0 ? TaxonBit(round % 8) : 1 + random() % 127;
        const auto [shortest, count] = ExhaustiveShortest(outgroup);

        SearchSettings settings{SearchGoal::kShortest, outgroup, 17u + round};
        const TreeSearchOutcome outcome = SearchBestTrees(gRoot, settings);
        EXPECT_TRUE(outcome.exactLength);
        EXPECT_EQ(outcome.start, ScoreTree(gRoot));
        EXPECT_EQ(outcome.startRooted, IsRootedOn(gRoot, outgroup));
        EXPECT_EQ(outcome.trees[0].score.length, shortest) << "round " << round;
        EXPECT_EQ(static_cast<int>(outcome.trees.size()), std::min(count, kMaxKeptTrees));
        EXPECT_EQ(outcome.moreTrees, count > kMaxKeptTrees);
        CheckOutcome(outcome, settings.goal);

        // Fewest events: never more than the tree searched from, rooted and applied.
        settings.goal = SearchGoal::kFewestEvents;
        const TreeSearchOutcome events = SearchBestTrees(gRoot, settings);
        CheckOutcome(events, settings.goal);
        int32_t nextId = gNextNodeId;
        CladeNode* rooted = RootedCopy(gRoot, outgroup, &nextId);
        NewickTree start;
        ASSERT_TRUE(ReadNewick(WriteNewick(rooted), "start", &start, nullptr));
        DeleteTree(rooted);
        EXPECT_LE(events.trees[0].score.events, ScoreAppliedTree(start).events);
        EXPECT_GE(events.trees[0].score.length, shortest);
    }
}

TEST_F(SearchTest, KeepsTheOutgroupAtNineteenTaxa) {
    std::mt19937 random(1919);
    for (int round = 0; round < 2; ++round) {
        SetRandomCells(19, 19, random);
        ShakeTree(random);
        const TaxonMask outgroup = round == 0 ? 0 : TaxonBit(3) | TaxonBit(11) | TaxonBit(17);
        for (SearchGoal goal : {SearchGoal::kShortest, SearchGoal::kFewestEvents}) {
            const TreeSearchOutcome outcome = SearchBestTrees(gRoot, {goal, outgroup, 5});
            EXPECT_EQ(outcome.outgroup, outgroup == 0 ? TaxonBit(0) : outgroup);
            EXPECT_FALSE(outcome.exactLength);
            CheckOutcome(outcome, goal);
            if (goal == SearchGoal::kShortest) {
                EXPECT_LE(outcome.trees[0].score.length, ParsimonyLength(gRoot));
            }
        }
    }
}

} // namespace
