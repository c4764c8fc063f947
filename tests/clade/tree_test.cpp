// The initial comb tree, node numbering across loads, and the release of replaced nodes.
#include "clade_support.h"

#include <cstring>

namespace {

using TreeTest = CladeTest;

TEST_F(TreeTest, FreshNodeAndStartUpLeaf) {
    {
        CladeNode node;
        EXPECT_EQ(node.id, 0);
        EXPECT_EQ(node.level, 0);
        EXPECT_EQ(node.x, -99.0f);
        EXPECT_EQ(node.y, 0.0f);
        EXPECT_STREQ(node.name, "Unused");
        EXPECT_FALSE(node.flag);
        for (int32_t s : node.states)
            EXPECT_EQ(s, kNoState);
        EXPECT_EQ(node.parent, nullptr);
        EXPECT_EQ(node.left, nullptr);
        EXPECT_EQ(node.right, nullptr);
        EXPECT_FALSE(node.isTaxon);
        EXPECT_FALSE(node.isDragged);
        EXPECT_EQ(gNextNodeId, 1);
    }
    ResetClade(true);

    // Start-up: no taxa, one leaf copied from the default record, listed as the root.
    EXPECT_EQ(BuildAndList(), "Node 0:  ROOT End -> Unused\n");
    ASSERT_NE(gRoot, nullptr);
    EXPECT_TRUE(gRoot->isTaxon);
    EXPECT_EQ(gRoot->source, &gTaxa[0]);
    EXPECT_EQ(gRoot->left, nullptr);
    EXPECT_EQ(gRoot->right, nullptr);
    EXPECT_TRUE(TreeIsSound());
    EXPECT_EQ(CountChangeEvents(gRoot), 0);
}

TEST_F(TreeTest, CombShapeAndIds) {
    SetMatrix({"T0", "T1", "T2"}, {{0}, {1}, {2}});
    BuildInitialTree();
    // 0(1, 2(3, 4)): root, taxon 0, internal node, taxon 1, taxon 2.
    ASSERT_EQ(Shape(gRoot), "(T0,(T1,T2))");
    EXPECT_EQ(gRoot->id, 0);
    EXPECT_EQ(gRoot->left->id, 1);
    EXPECT_EQ(gRoot->right->id, 2);
    EXPECT_EQ(gRoot->right->left->id, 3);
    EXPECT_EQ(gRoot->right->right->id, 4);
    EXPECT_EQ(gRoot->right->right->source, &gTaxa[2]);

    const int expectedShapes[] = {1, 1, 3, 37, 39};
    const int taxa[] = {0, 1, 2, 19, 20};
    for (int i = 0; i < 5; ++i) {
        std::vector<std::string> names;
        std::vector<std::vector<int>> states;
        for (int t = 0; t < taxa[i]; ++t) {
            names.push_back("t" + std::to_string(t));
            states.push_back({t % 3});
        }
        SetMatrix(names, states);
        const int32_t first = gNextNodeId;
        BuildAndList();
        EXPECT_EQ(PreOrder().size(), static_cast<size_t>(expectedShapes[i])) << taxa[i];
        EXPECT_EQ(gRoot->id, first);
        EXPECT_EQ(gNextNodeId, first + expectedShapes[i]);
        EXPECT_TRUE(TreeIsSound()) << taxa[i];
        // The deepest internal node holds the last two taxa.
        if (taxa[i] >= 2) {
            const CladeNode* last = FindTaxon(names.back().c_str());
            ASSERT_NE(last, nullptr);
            EXPECT_EQ(last->parent->left->source, &gTaxa[taxa[i] - 2]);
            EXPECT_EQ(last->id, first + 2 * (taxa[i] - 1));
        }
    }
}

TEST_F(TreeTest, InitialPassGivesLastTaxonBelowAndFirstAtTheRoot) {
    SetMatrix({"a", "b", "c", "d"}, {{0, 1}, {1, 0}, {2, 2}, {3, 1}});
    BuildInitialTree();
    const CladeNode* i1 = gRoot->right;
    const CladeNode* i2 = i1->right;
    EXPECT_EQ(gRoot->states[0], 0);
    EXPECT_EQ(gRoot->states[1], 1);
    EXPECT_EQ(i1->states[0], 3);
    EXPECT_EQ(i1->states[1], 1);
    EXPECT_EQ(i2->states[0], 3);
    EXPECT_EQ(i2->states[1], 1);
    EXPECT_EQ(i2->states[2], kNoState); // past the characters
}

// Ids continue across loads; a file with no taxa shows the empty slot 0, nothing of the
// file before it.
TEST_F(TreeTest, IdsContinueAcrossLoads) {
    EXPECT_EQ(BuildAndList(), "Node 0:  ROOT End -> Unused\n");
    const std::string file = WriteTempFile("three.csv", "title\n"
                                                        "A,B,T1,T2,T3,UNUSED,UNUSED\n"
                                                        "1,C1,x,y,x\n"
                                                        "2,C2,p,p,q\n"
                                                        "3,UNUSED\n");
    ASSERT_TRUE(LoadCharacterMatrix(file.c_str()));
    EXPECT_EQ(BuildAndList(), "Node 1:  ROOT C=2,3\n"
                              " Node 2:  P=1  End -> T1\n"
                              " Node 3:  P=1  C=4,5\n"
                              "  Node 4:  P=3  End -> T2\n"
                              "  Node 5:  P=3  End -> T3\n");
    EXPECT_TRUE(TreeIsSound());
    EXPECT_EQ(CountChangeEvents(gRoot), 2); // y on T2, q on T3

    ASSERT_TRUE(LoadCharacterMatrix(file.c_str()));
    BuildAndList();
    EXPECT_EQ(gRoot->id, 6);

    // A broken file changes neither the tree nor the numbering.
    const std::string broken = WriteTempFile("broken.csv", "t\nA,B,T1,UNUSED\n1,C\n");
    const std::string before = Fingerprint();
    Captured([&] { EXPECT_FALSE(LoadCharacterMatrix(broken.c_str())); });
    EXPECT_EQ(Fingerprint(), before);
    EXPECT_EQ(gNextNodeId, 11);

    const std::string empty = WriteTempFile("empty.csv", "t\nA,B,UNUSED\n1,C\n2,UNUSED\n");
    ASSERT_TRUE(LoadCharacterMatrix(empty.c_str()));
    EXPECT_EQ(BuildAndList(), "Node 11:  ROOT End -> Unused\n");
}

TEST_F(TreeTest, ReplacedAndRemovedNodesAreReportedBeforeRelease) {
    static std::vector<int32_t> released; // ids, read while the nodes still exist
    released.clear();
    SetNodeReleaseHook([](const CladeNode* node) { released.push_back(node ? node->id : -1); });

    SetMatrix({"a", "b", "c", "d"}, {{0}, {1}, {2}, {3}});
    BuildAndList(); // 0(1, 2(3, 4(5, 6)))
    EXPECT_EQ(released, std::vector<int32_t>({-1}));

    released.clear();
    CladeNode* c = FindTaxon("c");
    Captured([&] { c->Connect(FindTaxon("d")); }); // detached: parent 4 is compacted away
    EXPECT_EQ(released, std::vector<int32_t>({4}));
    EXPECT_EQ(Shape(gRoot), "(a,(b,(d,c)))");

    released.clear();
    CladeNode* i2 = gRoot->right;
    ASSERT_EQ(i2->id, 2);
    Captured([&] { i2->Connect(FindTaxon("d")); }); // target below: node 2 is dissolved
    EXPECT_EQ(released, std::vector<int32_t>({2}));
    EXPECT_TRUE(TreeIsSound());

    released.clear();
    BuildAndList();
    EXPECT_EQ(released, std::vector<int32_t>({-1}));
}

} // namespace
