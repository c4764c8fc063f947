// Levels and positions in tree units for the worked trees, and the idle commands.
#include "clade_support.h"

namespace {

using LayoutTest = CladeTest;

struct Place {
    const CladeNode* node;
    int level;
    float x;
    float y;
};

void ExpectPlaces(const std::vector<Place>& places) {
    for (const Place& p : places) {
        ASSERT_NE(p.node, nullptr);
        EXPECT_EQ(p.node->level, p.level) << "node " << p.node->id;
        EXPECT_EQ(p.node->x, p.x) << "node " << p.node->id;
        EXPECT_EQ(p.node->y, p.y) << "node " << p.node->id;
    }
}

std::vector<std::string> Names(int n) {
    std::vector<std::string> names;
    for (int t = 0; t < n; ++t)
        names.push_back("t" + std::to_string(t));
    return names;
}

void BuildComb(int n) {
    SetMatrix(Names(n), std::vector<std::vector<int>>(n, std::vector<int>{0}));
    BuildAndList();
}

TEST_F(LayoutTest, SmallCombs) {
    BuildAndList(); // no taxa
    ExpectPlaces({{gRoot, 0, 0.0f, 0.0f}});
    BuildComb(1);
    ExpectPlaces({{gRoot, 1, 0.0f, 0.0f}});
    BuildComb(2);
    ExpectPlaces({{gRoot, 2, 0, 0}, {FindTaxon("t0"), 2, 1, -0.5f}, {FindTaxon("t1"), 2, 1, 0.5f}});
    BuildComb(3);
    ExpectPlaces({{gRoot, 3, 0, 0},
                  {FindTaxon("t0"), 3, 2, -1},
                  {gRoot->right, 2, 1, 0.5f},
                  {FindTaxon("t1"), 3, 2, 0},
                  {FindTaxon("t2"), 3, 2, 1}});
    BuildComb(4);
    ExpectPlaces({{gRoot, 4, 0, 0},
                  {FindTaxon("t0"), 4, 3, -1.5f},
                  {gRoot->right, 2, 1, 0.5f},
                  {FindTaxon("t1"), 4, 3, -0.5f},
                  {gRoot->right->right, 3, 2, 1},
                  {FindTaxon("t2"), 4, 3, 0.5f},
                  {FindTaxon("t3"), 4, 3, 1.5f}});
}

TEST_F(LayoutTest, BalancedFourAndTheIdleCommands) {
    BuildComb(4);
    Captured([] { FindTaxon("t1")->Connect(FindTaxon("t0")); });
    ASSERT_EQ(Shape(gRoot), "((t0,t1),(t2,t3))");
    ExpectPlaces({{gRoot->left, 3, 2, -1},
                  {gRoot->right, 3, 2, 1},
                  {FindTaxon("t0"), 4, 3, -1.5f},
                  {FindTaxon("t1"), 4, 3, -0.5f},
                  {FindTaxon("t2"), 4, 3, 0.5f},
                  {FindTaxon("t3"), 4, 3, 1.5f}});

    // Repositioning and compacting a rebuilt tree change nothing.
    const std::string before = Fingerprint();
    gRoot->ComputePositions();
    EXPECT_EQ(Fingerprint(), before);
    EXPECT_EQ(Captured([] { gRoot->Compact(); }), "");
    EXPECT_EQ(Fingerprint(), before);
}

} // namespace
