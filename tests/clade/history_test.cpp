// Undo, redo and revert over random re-attachments: every earlier listing comes back byte
// for byte in both directions, a new change drops the redo steps, and commands that change
// nothing leave no step, up to the largest matrix a sheet holds. Also the invariant check
// itself: it must name broken trees.
#include "clade/history.h"
#include "clade_support.h"

#include <random>

namespace {

using HistoryTest = CladeTest;

std::string Listing() {
    return Captured([] { gRoot->Dump(0); });
}

// Random matrices of up to mostTaxa taxa and mostCharacters characters, the first of
// each row at that size: many small ones, and a few up to the largest a sheet holds.
struct MatrixSizes {
    int matrices;
    int mostTaxa;
    int mostCharacters;
};
constexpr MatrixSizes kHistorySizes[] = {
    {12, 19, 6},
    {4, kMaxTaxa - 1, kMaxCharacters - 1},
};

TEST_F(HistoryTest, UndoAndRedoGiveBackEveryListing) {
    std::mt19937 rng(90210);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<std::pair<int, int>> shapes; // taxa, characters
    for (const MatrixSizes& sizes : kHistorySizes) {
        shapes.emplace_back(sizes.mostTaxa, sizes.mostCharacters);
        for (int matrix = 1; matrix < sizes.matrices; ++matrix)
            shapes.emplace_back(pick(2, sizes.mostTaxa), pick(1, sizes.mostCharacters));
    }
    for (const auto& [n, characters] : shapes) {
        SCOPED_TRACE(std::to_string(n) + " taxa, " + std::to_string(characters) + " characters");
        std::vector<std::string> names;
        std::vector<std::vector<int>> states(n);
        for (int t = 0; t < n; ++t) {
            names.push_back("t" + std::to_string(t));
            for (int c = 0; c < characters; ++c)
                states[t].push_back(pick(0, t));
        }
        SetMatrix(names, states);
        BuildAndList();
        ResetHistory();

        std::vector<std::string> listings = {Listing()};
        for (int step = 0; step < 40; ++step) {
            const std::vector<CladeNode*> nodes = PreOrder();
            CladeNode* s = nodes[pick(0, static_cast<int>(nodes.size()) - 1)];
            CladeNode* t = nodes[pick(0, static_cast<int>(nodes.size()) - 1)];
            const bool allowed = CanReattach(s, t); // s may be released by the Connect
            BeginTreeChange();
            Captured([&] { s->Connect(t); });
            ASSERT_EQ(EndTreeChange(), allowed);
            if (allowed) listings.push_back(Listing());
        }
        BeginTreeChange();
        Captured([] { gRoot->Compact(); }); // nothing to compact after a rebuild
        ASSERT_FALSE(EndTreeChange());
        ASSERT_EQ(UndoStepCount(), listings.size() - 1);

        // The history itself prints nothing: the app's change step lists.
        for (size_t i = listings.size() - 1; i-- > 0;) {
            ASSERT_EQ(Captured([] { ASSERT_TRUE(UndoTreeChange()); }), "");
            ASSERT_EQ(Listing(), listings[i]);
            ASSERT_TRUE(TreeIsSound());
        }
        EXPECT_FALSE(UndoTreeChange());
        for (size_t i = 1; i < listings.size(); ++i) {
            ASSERT_TRUE(RedoTreeChange());
            ASSERT_EQ(Listing(), listings[i]);
        }
        EXPECT_FALSE(RedoTreeChange());

        // Back to the loaded tree is a change of its own, undone like any other.
        ASSERT_TRUE(RevertToLoadedTree());
        ASSERT_EQ(Listing(), listings.front());
        EXPECT_FALSE(RevertToLoadedTree());
        ASSERT_TRUE(UndoTreeChange());
        ASSERT_EQ(Listing(), listings.back());

        // A new change after an undo drops what could have been redone.
        UndoTreeChange();
        ASSERT_GT(RedoStepCount(), 0u);
        BeginTreeChange();
        Captured([] { gRoot->right->Connect(gRoot); });
        ASSERT_TRUE(EndTreeChange());
        EXPECT_EQ(RedoStepCount(), 0u);
        EXPECT_TRUE(TreeIsSound());
    }
}

TEST_F(HistoryTest, CheckTreeNamesBrokenTrees) {
    SetMatrix({"a", "b", "c", "d"}, {{0}, {1}, {1}, {0}});
    BuildAndList();
    ASSERT_TRUE(CheckTree(gRoot));
    struct Breakage {
        const char* what;
        void (*apply)();
        void (*undo)();
    };
    const Breakage breakages[] = {
        {"a child naming another parent", [] { gRoot->left->parent = gRoot->right; },
         [] { gRoot->left->parent = gRoot; }},
        {"a taxon shown twice", [] { gRoot->left->source = gRoot->right->left->source; },
         [] { gRoot->left->source = &gTaxa[0]; }},
        {"a wrong level", [] { ++gRoot->right->level; }, [] { --gRoot->right->level; }},
        {"a node off its place", [] { gRoot->right->y += 0.5f; }, [] { gRoot->right->y -= 0.5f; }},
        {"an impossible state", [] { gRoot->right->states[0] = 7; },
         [] { gRoot->right->states[0] = 0; }},
        {"an id not yet given", [] { gRoot->left->id += 100; }, [] { gRoot->left->id -= 100; }},
    };
    for (const Breakage& b : breakages) {
        const int32_t state = gRoot->right->states[0];
        b.apply();
        std::string fault;
        EXPECT_FALSE(CheckTree(gRoot, &fault)) << b.what;
        EXPECT_FALSE(fault.empty()) << b.what;
        b.undo();
        gRoot->right->states[0] = state;
        ASSERT_TRUE(CheckTree(gRoot, &fault)) << b.what << ": " << fault;
    }
}

} // namespace
