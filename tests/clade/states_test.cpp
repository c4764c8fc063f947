// The ancestral-state rule in its pass order, and the change events it leaves on branches.
#include "clade_support.h"

namespace {

using StatesTest = CladeTest;

// Number of events on the branch into node.
int EventsOn(const CladeNode* node) {
    int tnum[kMaxCharacters];
    int tval[kMaxCharacters];
    return ListChangeEvents(node, tnum, tval);
}

TEST_F(StatesTest, TreesOfOneLeafHaveNoEvents) {
    BuildAndList();
    EXPECT_EQ(CountChangeEvents(gRoot), 0);
    SetMatrix({"solo"}, {{1, 0, 2}});
    BuildAndList();
    EXPECT_EQ(CountChangeEvents(gRoot), 0);
    EXPECT_EQ(gRoot->states[2], 2); // the leaf is its taxon
}

TEST_F(StatesTest, TwoTaxaBeforeAndAfterEitherDrop) {
    SetMatrix({"A", "B"}, {{0, 0, 1, 2}, {0, 1, 1, 0}});
    BuildAndList();
    CladeNode* a = FindTaxon("A");
    CladeNode* b = FindTaxon("B");
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(gRoot->states[c], a->states[c]);
    EXPECT_EQ(EventsOn(a), 0);
    EXPECT_EQ(EventsOn(b), 2);
    int tnum[kMaxCharacters];
    int tval[kMaxCharacters];
    ASSERT_EQ(ListChangeEvents(b, tnum, tval), 2);
    EXPECT_EQ(tnum[0], 1); // in character order, with the new state
    EXPECT_EQ(tval[0], 1);
    EXPECT_EQ(tnum[1], 3);
    EXPECT_EQ(tval[1], 0);
    EXPECT_EQ(ListChangeEvents(gRoot, tnum, tval), 0);

    Captured([&] { a->Connect(b); }); // root(B, A): the root now copies B
    EXPECT_EQ(Shape(gRoot), "(B,A)");
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(gRoot->states[c], b->states[c]);
    EXPECT_EQ(EventsOn(a), 2);
    EXPECT_EQ(CountChangeEvents(gRoot), 2);

    Captured([&] { a->Connect(b); }); // the same drop again: the same picture
    EXPECT_EQ(Shape(gRoot), "(B,A)");
    Captured([&] { b->Connect(a); }); // B on A gives the first picture back
    EXPECT_EQ(Shape(gRoot), "(A,B)");
    EXPECT_EQ(EventsOn(b), 2);
    EXPECT_TRUE(TreeIsSound());
}

TEST_F(StatesTest, ThreeTaxonComb) {
    struct Case {
        int states[3];
        int internal;        // state of the one internal node
        const char* eventOn; // the one branch with an event: a taxon, or "I"
    };
    const Case cases[] = {{{0, 0, 1}, 0, "t2"}, {{0, 1, 1}, 1, "I"}, {{1, 0, 1}, 1, "t1"}};
    for (const Case& c : cases) {
        SetMatrix({"t0", "t1", "t2"}, {{c.states[0]}, {c.states[1]}, {c.states[2]}});
        BuildAndList();
        const CladeNode* internal = gRoot->right;
        EXPECT_EQ(internal->states[0], c.internal);
        EXPECT_EQ(CountChangeEvents(gRoot), 1);
        const CladeNode* carrier = std::string(c.eventOn) == "I" ? internal : FindTaxon(c.eventOn);
        EXPECT_EQ(EventsOn(carrier), 1) << c.eventOn;
    }
}

TEST_F(StatesTest, FourTaxonCombReadsStaleChildren) {
    // 0,1,2,3: I1 takes the 3 that I2 held from the initial pass, though it matches
    // neither its parent nor its left child.
    SetMatrix({"t0", "t1", "t2", "t3"}, {{0}, {1}, {2}, {3}});
    BuildAndList();
    const CladeNode* i1 = gRoot->right;
    const CladeNode* i2 = i1->right;
    EXPECT_EQ(gRoot->states[0], 0);
    EXPECT_EQ(i1->states[0], 3);
    EXPECT_EQ(i2->states[0], 3);
    EXPECT_EQ(EventsOn(i1), 1);
    EXPECT_EQ(EventsOn(FindTaxon("t1")), 1);
    EXPECT_EQ(EventsOn(FindTaxon("t2")), 1);
    EXPECT_EQ(CountChangeEvents(gRoot), 3);

    SetMatrix({"t0", "t1", "t2", "t3"}, {{0}, {0}, {1}, {1}});
    BuildAndList();
    EXPECT_EQ(gRoot->right->states[0], 0);
    EXPECT_EQ(gRoot->right->right->states[0], 1);
    EXPECT_EQ(EventsOn(gRoot->right->right), 1);
    EXPECT_EQ(CountChangeEvents(gRoot), 1);
}

TEST_F(StatesTest, StatesAfterDrops) {
    SetMatrix({"t0", "t1", "t2"}, {{0}, {1}, {2}});
    BuildAndList();
    EXPECT_EQ(CountChangeEvents(gRoot), 2);
    Captured([] { FindTaxon("t0")->Connect(FindTaxon("t2")); });
    ASSERT_EQ(Shape(gRoot), "(t1,(t2,t0))");
    const CladeNode* n = gRoot->right;
    EXPECT_EQ(gRoot->states[0], 1);
    EXPECT_EQ(n->states[0], 0);
    EXPECT_EQ(EventsOn(n), 1);
    EXPECT_EQ(EventsOn(FindTaxon("t2")), 1);
    EXPECT_EQ(CountChangeEvents(gRoot), 2);

    // The root's left child is internal: the root copies its right child.
    SetMatrix({"t0", "t1", "t2"}, {{1}, {0}, {1}});
    BuildAndList();
    Captured([] { FindTaxon("t2")->Connect(FindTaxon("t0")); });
    ASSERT_EQ(Shape(gRoot), "((t0,t2),t1)");
    EXPECT_EQ(gRoot->states[0], 0);
    EXPECT_EQ(gRoot->left->states[0], 1);
    EXPECT_EQ(EventsOn(gRoot->left), 1);
    EXPECT_EQ(CountChangeEvents(gRoot), 1);
}

TEST_F(StatesTest, RootCopiesAnInternalRightChild) {
    SetMatrix({"t0", "t1", "t2", "t3"}, {{0}, {1}, {2}, {3}});
    BuildAndList();
    Captured([] { FindTaxon("t1")->Connect(FindTaxon("t0")); });
    ASSERT_EQ(Shape(gRoot), "((t0,t1),(t2,t3))");
    // Within the pass the root reads the right child's 3 before that child is redone.
    EXPECT_EQ(gRoot->states[0], 3);
    EXPECT_EQ(gRoot->left->states[0], 1);
    EXPECT_EQ(gRoot->right->states[0], 3);
    EXPECT_EQ(CountChangeEvents(gRoot), 3);
}

TEST_F(StatesTest, CharactersPastTheCountNeverChange) {
    SetMatrix({"a", "b", "c"}, {{0, 0}, {1, 0}, {1, 1}});
    gTaxa[0].states[5] = 4; // junk past gCharacterCount must stay invisible
    gTaxa[1].states[5] = 7;
    BuildAndList();
    EXPECT_EQ(CountChangeEvents(gRoot), 2);
    EXPECT_EQ(gRoot->right->states[5], kNoState);
    int tnum[kMaxCharacters];
    int tval[kMaxCharacters];
    for (const CladeNode* node : PreOrder()) {
        const int count = ListChangeEvents(node, tnum, tval);
        for (int i = 0; i < count; ++i)
            EXPECT_LT(tnum[i], gCharacterCount);
    }
}

} // namespace
