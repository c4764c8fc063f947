// Rooting: re-rooting keeps the unrooted tree (its splits) and the length on random trees
// and nodes; a rooted copy puts any group first; the history brings back each tree with
// its outgroup; the hint and the drop preview never break the outgroup.
#include "clade/history.h"
#include "clade/moves.h"
#include "clade/parsimony.h"
#include "clade/rooting.h"
#include "clade_support.h"

#include <set>

namespace {

using RootingTest = CladeTest;

// The unrooted tree: each branch as the side of it that does not hold taxon 0.
std::set<TaxonMask> Splits(const CladeNode* root) {
    std::set<TaxonMask> splits;
    std::vector<const CladeNode*> pending = {root};
    while (!pending.empty()) {
        const CladeNode* node = pending.back();
        pending.pop_back();
        if (node->left != nullptr) pending.insert(pending.end(), {node->left, node->right});
        const TaxonMask taxa = TaxaBelow(node);
        if (node != root) splits.insert((taxa & 1) != 0 ? AllTaxa() & ~taxa : taxa);
    }
    return splits;
}

// A random matrix of n taxa and a random tree over it made by drops.
void RandomTree(std::mt19937& random, int n) {
    SetRandomCells(n, 8, random);
    BuildAndList();
    for (int shake = 0; shake < 3 * n; ++shake) {
        const std::vector<CladeNode*> nodes = PreOrder();
        CladeNode* moved = nodes[random() % nodes.size()];
        CladeNode* target = nodes[random() % nodes.size()];
        if (CanReattach(moved, target)) Captured([&] { moved->Connect(target); });
    }
}

int gReleases = 0;

TEST_F(RootingTest, RerootingKeepsTheUnrootedTreeAndTheLength) {
    SetNodeReleaseHook([](const CladeNode*) { ++gReleases; });
    std::mt19937 random(4711);
    int rerooted = 0;
    for (int round = 0; round < 40; ++round) {
        RandomTree(random, 2 + static_cast<int>(random() % 18));
        for (int k = 0; k < 6; ++k) {
            const std::vector<CladeNode*> nodes = PreOrder();
            CladeNode* node = nodes[random() % nodes.size()];
            const std::set<TaxonMask> splits = Splits(gRoot);
            const int length = ParsimonyLength(gRoot);
            const TaxonMask group = TaxaBelow(node);
            const int32_t nextId = gNextNodeId;
            const bool changes = CanReroot(gRoot, node);
            ASSERT_EQ(changes, node != gRoot && node != gRoot->left);
            ASSERT_EQ(IsCladeOf(gRoot, group), node != gRoot);
            gReleases = 0;
            ASSERT_EQ(Captured([&] { ASSERT_EQ(RerootLiveTree(node), changes); }), "");
            ASSERT_TRUE(TreeIsSound());
            ASSERT_EQ(Splits(gRoot), splits);
            ASSERT_EQ(ParsimonyLength(gRoot), length);
            if (!changes) continue;
            ASSERT_EQ(gRoot->left, node);
            ASSERT_TRUE(IsRootedOn(gRoot, group));
            ASSERT_EQ(gNextNodeId, nextId + 1); // the new root, as a drop's joint
            ASSERT_EQ(gReleases, 1);            // the old root
            ++rerooted;
        }
    }
    EXPECT_GT(rerooted, 150);
}

TEST_F(RootingTest, RootedCopyPutsAnyGroupFirst) {
    std::mt19937 random(1234);
    for (int round = 0; round < 100; ++round) {
        const int n = 2 + static_cast<int>(random() % 12);
        RandomTree(random, n);
        const TaxonMask group = 1 + random() % (AllTaxa() - 1); // some, not all
        const bool clade = IsCladeOf(gRoot, group);
        CladeNode* const before = CloneTree(gRoot);
        int32_t nextId = gNextNodeId;
        CladeNode* copy = RootedCopy(gRoot, group, &nextId);
        gNextNodeId = nextId;
        UpdateTree(copy, DeleteNode);
        std::string fault;
        ASSERT_TRUE(CheckTree(copy, &fault)) << fault;
        ASSERT_TRUE(SameTree(before, gRoot)); // the tree copied is untouched
        ASSERT_EQ(TaxaBelow(copy->left), group);
        if (clade) {
            ASSERT_EQ(Splits(copy), Splits(gRoot));
            ASSERT_EQ(ParsimonyLength(copy), ParsimonyLength(gRoot));
        } else {
            // The group's splits among its own taxa are those the tree gives them.
            std::set<TaxonMask> inGroup;
            for (TaxonMask split : Splits(gRoot)) {
                const TaxonMask side = split & group;
                const TaxonMask other = ~split & group;
                if (side != 0 && other != 0)
                    inGroup.insert((side & (group & -group)) ? other : side);
            }
            std::set<TaxonMask> copied;
            for (TaxonMask split : Splits(copy->left)) {
                const TaxonMask side = split & group;
                if (side != 0 && side != group)
                    copied.insert((side & (group & -group)) ? group & ~side : side);
            }
            ASSERT_EQ(copied, inGroup);
        }
        DeleteTree(copy);
        DeleteTree(before);
    }
}

// Re-rootings and outgroup changes recorded as changes: undo and redo bring back every
// listing with its outgroup, and a change of the outgroup alone is a change.
TEST_F(RootingTest, HistoryKeepsEachTreeWithItsOutgroup) {
    std::mt19937 random(777);
    RandomTree(random, 9);
    ResetHistory();
    ASSERT_EQ(gOutgroup, TaxonBit(0)); // the first taxon, from the start tree
    auto listing = [] { return Captured([] { gRoot->Dump(0); }); };
    std::vector<std::pair<std::string, TaxonMask>> states = {{listing(), gOutgroup}};
    for (int step = 0; step < 30; ++step) {
        const std::vector<CladeNode*> nodes = PreOrder();
        CladeNode* node = nodes[1 + random() % (nodes.size() - 1)];
        BeginTreeChange();
        gOutgroup = TaxaBelow(node);
        if (step % 3 != 0) RerootLiveTree(node); // every third step changes the outgroup only
        const bool changed = states.back() != std::make_pair(listing(), gOutgroup);
        ASSERT_EQ(EndTreeChange(), changed);
        if (changed) states.emplace_back(listing(), gOutgroup);
    }
    ASSERT_GT(states.size(), 15u);
    for (size_t i = states.size() - 1; i-- > 0;) {
        ASSERT_TRUE(UndoTreeChange());
        ASSERT_EQ(std::make_pair(listing(), gOutgroup), states[i]);
    }
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(RedoTreeChange());
        ASSERT_EQ(std::make_pair(listing(), gOutgroup), states[i]);
    }
    ASSERT_TRUE(RevertToLoadedTree());
    ASSERT_EQ(std::make_pair(listing(), gOutgroup), states[0]);
}

TEST_F(RootingTest, HintAndPreviewKeepTheOutgroup) {
    std::mt19937 random(31337);
    int broken = 0;
    for (int round = 0; round < 30; ++round) {
        RandomTree(random, 4 + static_cast<int>(random() % 10));
        const std::vector<CladeNode*> nodes = PreOrder();
        const TaxonMask group = TaxaBelow(nodes[1 + random() % (nodes.size() - 1)]);
        if (!IsRootedOn(gRoot, group))
            RerootLiveTree(const_cast<CladeNode*>(GroupNode(gRoot, group)));
        ASSERT_TRUE(IsRootedOn(gRoot, group));

        const MoveChoice hint = BestSingleMove(gRoot, group);
        if (hint.found) {
            TrialArena arena(gRoot);
            arena.Try(hint.move, gNextNodeId);
            ASSERT_TRUE(IsRootedOn(arena.TrialRoot(), group));
        }
        // One random drop of each node, made for real on a copy of the tree.
        for (size_t m = 1; m < nodes.size(); ++m) {
            const std::vector<CladeNode*> fresh = PreOrder();
            const std::vector<DropFigures> drops = PreviewDrops(gRoot, fresh[m], group);
            const DropFigures& drop = drops[random() % drops.size()];
            CladeNode* const before = CloneTree(gRoot);
            Captured([&] { fresh[m]->Connect(const_cast<CladeNode*>(drop.target)); });
            ASSERT_EQ(drop.breaksOutgroup, !IsRootedOn(gRoot, group));
            broken += drop.breaksOutgroup;
            DeleteTree(ReplaceTree(before));
        }
    }
    EXPECT_GT(broken, 10);
}

} // namespace
