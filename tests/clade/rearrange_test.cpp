// Connect in each of its cases with the exact console text, the refused pairs, and Compact.
#include "clade_support.h"

namespace {

using RearrangeTest = CladeTest;

// The comb 0(t0 1, 2(t1 3, 4(t2 5, t3 6))), ids from 0.
void BuildFourComb() {
    SetMatrix({"t0", "t1", "t2", "t3"}, {{0, 1}, {1, 1}, {1, 0}, {2, 0}});
    BuildAndList();
}

CladeNode* ById(int32_t id) {
    for (CladeNode* node : PreOrder())
        if (node->id == id) return node;
    return nullptr;
}

std::string ConnectById(int32_t moved, int32_t target) {
    CladeNode* s = ById(moved);
    CladeNode* t = ById(target);
    if (s == nullptr || t == nullptr) {
        ADD_FAILURE() << "no node #" << moved << " or #" << target;
        return "";
    }
    return Captured([&] { s->Connect(t); });
}

TEST_F(RearrangeTest, TwoTaxaAfterTheFirstLoad) {
    const std::string file = WriteTempFile("two.csv", "t\nA,B,A,B,UNUSED,\n1,C,x,y\n2,UNUSED\n");
    for (bool aOnB : {true, false}) {
        ResetClade(true);
        ResetMatrix();
        BuildAndList(); // the start-up leaf takes id 0
        ASSERT_TRUE(LoadCharacterMatrix(file.c_str()));
        EXPECT_EQ(BuildAndList(), "Node 1:  ROOT C=2,3\n"
                                  " Node 2:  P=1  End -> A\n"
                                  " Node 3:  P=1  End -> B\n");
        if (aOnB) {
            EXPECT_EQ(ConnectById(2, 3), "---------- Connecting #2 before #3 -----------------\n"
                                         "Node 4:  ROOT C=3,2\n"
                                         " Node 3:  P=4  End -> B\n"
                                         " Node 2:  P=4  End -> A\n");
        } else {
            EXPECT_EQ(ConnectById(3, 2), "---------- Connecting #3 before #2 -----------------\n"
                                         "Node 4:  ROOT C=2,3\n"
                                         " Node 2:  P=4  End -> A\n"
                                         " Node 3:  P=4  End -> B\n");
        }
        EXPECT_EQ(ById(1), nullptr);
        EXPECT_TRUE(TreeIsSound());
    }
}

// Dropping a node on its parent or on its sibling puts it second under a new node.
TEST_F(RearrangeTest, DropOnParentOrSibling) {
    const char* const body = "Node 0:  ROOT C=1,2\n"
                             " Node 1:  P=0  End -> t0\n"
                             " Node 2:  P=0  C=3,7\n"
                             "  Node 3:  P=2  End -> t1\n"
                             "  Node 7:  P=2  C=6,5\n"
                             "   Node 6:  P=7  End -> t3\n"
                             "   Node 5:  P=7  End -> t2\n";
    BuildFourComb();
    EXPECT_EQ(ConnectById(5, 4),
              std::string("---------- Connecting #5 before #4 -----------------\n") + body);
    EXPECT_TRUE(TreeIsSound());

    ResetClade(true);
    BuildFourComb();
    EXPECT_EQ(ConnectById(5, 6),
              std::string("---------- Connecting #5 before #6 -----------------\n") + body);
    EXPECT_TRUE(TreeIsSound());
}

TEST_F(RearrangeTest, DropOnTheRoot) {
    SetMatrix({"t0", "t1", "t2"}, {{0}, {1}, {2}});
    BuildAndList(); // 0(1, 2(3, 4))
    // S's parent is the root: the old root is left with one child and compacted away.
    EXPECT_EQ(ConnectById(1, 0), "---------- Connecting #1 before #0 -----------------\n"
                                 "Node 5:  ROOT C=2,1\n"
                                 " Node 2:  P=5  C=3,4\n"
                                 "  Node 3:  P=2  End -> t1\n"
                                 "  Node 4:  P=2  End -> t2\n"
                                 " Node 1:  P=5  End -> t0\n");
    EXPECT_TRUE(TreeIsSound());

    ResetClade(true);
    BuildAndList();
    ConnectById(3, 0); // deeper: the old root stays, less S
    EXPECT_EQ(Shape(gRoot), "((t0,t2),t1)");
    EXPECT_EQ(gRoot->left->id, 0);
    EXPECT_TRUE(TreeIsSound());

    // Key '1' when the root's left child is internal: its first child moves to the root.
    BuildFourComb();
    Captured([] { FindTaxon("t1")->Connect(FindTaxon("t0")); });
    ASSERT_EQ(Shape(gRoot), "((t0,t1),(t2,t3))");
    Captured([] { gRoot->left->left->Connect(gRoot); });
    EXPECT_EQ(Shape(gRoot), "((t1,(t2,t3)),t0)");
    EXPECT_TRUE(TreeIsSound());
}

// A target below the moved node dissolves it: its child on the target's side takes its
// place and the other child moves next to the target.
TEST_F(RearrangeTest, DropBelowItselfOnEitherSide) {
    BuildFourComb();
    EXPECT_EQ(ConnectById(2, 5), "---------- Connecting #2 before #5 -----------------\n"
                                 "Node 0:  ROOT C=1,4\n"
                                 " Node 1:  P=0  End -> t0\n"
                                 " Node 4:  P=0  C=7,6\n"
                                 "  Node 7:  P=4  C=5,3\n"
                                 "   Node 5:  P=7  End -> t2\n"
                                 "   Node 3:  P=7  End -> t1\n"
                                 "  Node 6:  P=4  End -> t3\n");
    EXPECT_TRUE(TreeIsSound());

    ResetClade(true);
    BuildFourComb();
    ConnectById(3, 4); // 0(1, 7(4(5, 6), 3)): node 7 now has an internal left child
    ASSERT_EQ(Shape(gRoot), "(t0,((t2,t3),t1))");
    EXPECT_EQ(ConnectById(7, 5), "---------- Connecting #7 before #5 -----------------\n"
                                 "Node 0:  ROOT C=1,4\n"
                                 " Node 1:  P=0  End -> t0\n"
                                 " Node 4:  P=0  C=8,6\n"
                                 "  Node 8:  P=4  C=5,3\n"
                                 "   Node 5:  P=8  End -> t2\n"
                                 "   Node 3:  P=8  End -> t1\n"
                                 "  Node 6:  P=4  End -> t3\n");
    EXPECT_TRUE(TreeIsSound());
}

// The root, a node onto itself and a node onto its own child: the line, nothing else.
TEST_F(RearrangeTest, RefusedPairsChangeNothing) {
    BuildFourComb();
    const std::string before = Fingerprint();
    const std::pair<int, int> pairs[] = {{0, 1}, {0, 4}, {0, 0}, {2, 2}, {2, 3}, {2, 4}, {5, 5}};
    for (const auto& p : pairs) {
        const std::string line = "---------- Connecting #" + std::to_string(p.first) + " before #" +
                                 std::to_string(p.second) + " -----------------\n";
        EXPECT_EQ(ConnectById(p.first, p.second), line);
        EXPECT_EQ(Fingerprint(), before);
        EXPECT_EQ(gNextNodeId, 7);
    }
}

TEST_F(RearrangeTest, CompactCollapsesChainsOfSingleChildren) {
    static std::vector<int32_t> released;
    released.clear();
    SetNodeReleaseHook([](const CladeNode* node) { released.push_back(node ? node->id : -1); });
    SetMatrix({"a", "b"}, {{0}, {1}});
    BuildAndList(); // 0(1, 2)
    released.clear();

    // Hang a chain of two single-child nodes above leaf a, and one above the root.
    CladeNode* leafA = gRoot->left;
    CladeNode* upper = new CladeNode(); // 3
    CladeNode* lower = new CladeNode(); // 4
    CladeNode* top = new CladeNode();   // 5
    gRoot->left = upper;
    upper->parent = gRoot;
    upper->right = lower;
    lower->parent = upper;
    lower->left = leafA;
    leafA->parent = lower;
    top->left = gRoot;
    gRoot->parent = top;
    gRoot = top;

    gRoot->Compact();
    EXPECT_EQ(gRoot->id, 0);
    EXPECT_EQ(gRoot->parent, nullptr);
    EXPECT_EQ(gRoot->left, leafA);
    EXPECT_EQ(leafA->parent, gRoot);
    EXPECT_EQ(released, std::vector<int32_t>({4, 3, 5}));
    EXPECT_EQ(Captured(RebuildTree), "Node 0:  ROOT C=1,2\n"
                                     " Node 1:  P=0  End -> a\n"
                                     " Node 2:  P=0  End -> b\n");
    EXPECT_TRUE(TreeIsSound());
}

} // namespace
