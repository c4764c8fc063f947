// Move trials against the real thing: on random matrices and random trees, every previewed
// drop gives the figures the real drop gives, and previewing prints, numbers, releases and
// changes nothing. (The hint's figures are checked where the hint is announced, in app/.)
#include "clade/moves.h"
#include "clade_support.h"

#include <map>
#include <ostream>
#include <random>

void PrintTo(const TreeScore& score, std::ostream* out) {
    *out << score.events << " events, " << score.length << " steps";
}

namespace {

using MovesTest = CladeTest;

int gReleases = 0;

TEST_F(MovesTest, PreviewGivesTheFiguresOfTheRealDrop) {
    SetNodeReleaseHook([](const CladeNode*) { ++gReleases; });
    std::mt19937 rng(2411);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int dropsChecked = 0;
    for (int matrix = 0; matrix < 30; ++matrix) {
        const int n = pick(3, 19);
        const int characters = pick(1, 19);
        std::vector<std::string> names;
        std::vector<std::vector<int>> states(n);
        for (int t = 0; t < n; ++t) {
            names.push_back("taxon" + std::to_string(t));
            for (int c = 0; c < characters; ++c)
                states[t].push_back(pick(0, std::min(t, 5)));
        }
        SetMatrix(names, states);
        BuildAndList();
        for (int shake = 0; shake < 12; ++shake) { // a random tree
            const std::vector<CladeNode*> nodes = PreOrder();
            CladeNode* moved = nodes[pick(1, static_cast<int>(nodes.size()) - 1)];
            CladeNode* target = nodes[pick(0, static_cast<int>(nodes.size()) - 1)];
            if (CanReattach(moved, target)) Captured([&] { moved->Connect(target); });
        }

        const std::vector<CladeNode*> nodes = PreOrder();
        std::map<const CladeNode*, int> index;
        for (size_t i = 0; i < nodes.size(); ++i)
            index[nodes[i]] = static_cast<int>(i);
        CladeNode* const before = CloneTree(gRoot);
        const int32_t nextId = gNextNodeId;
        const int m = pick(1, static_cast<int>(nodes.size()) - 1);
        gReleases = 0;
        std::vector<DropFigures> drops;
        ASSERT_EQ(Captured([&] { drops = PreviewDrops(gRoot, nodes[m]); }), "");
        ASSERT_EQ(gNextNodeId, nextId);
        ASSERT_EQ(gReleases, 0);
        ASSERT_TRUE(SameTree(before, gRoot)); // states and positions: the picture
        ASSERT_EQ(drops.size(), nodes.size() - (nodes[m]->isTaxon ? 1 : 3));

        // Each previewed drop made for real, on a fresh copy of the tree.
        for (const DropFigures& drop : drops) {
            const int t = index.at(drop.target);
            DeleteTree(ReplaceTree(CloneTree(before)));
            const std::vector<CladeNode*> fresh = PreOrder();
            Captured([&] { fresh[m]->Connect(fresh[t]); });
            ASSERT_TRUE(TreeIsSound());
            ASSERT_EQ(ScoreTree(gRoot), drop.score) << n << " taxa, move " << m << " to " << t;
            ++dropsChecked;
        }

        DeleteTree(before);
    }
    EXPECT_GT(dropsChecked, 300);
}

} // namespace
