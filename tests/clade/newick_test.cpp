// Newick text: written trees read back to the same shape and listing, awkward names
// included; and a table of refused trees, each leaving the tree, the matrix and the node
// numbering as they were.
#include "clade/newick.h"
#include "clade/rooting.h"
#include "clade_support.h"

#include <map>
#include <random>
#include <regex>
#include <set>

namespace {

using NewickTest = CladeTest;

// Reads text and applies it as the app does (new nodes, rebuild); returns the listing.
std::string ApplyText(const std::string& text) {
    NewickTree tree;
    Refusal why;
    EXPECT_TRUE(ReadNewick(text, "t.nwk", &tree, &why)) << DescribeRefusal(why);
    return Captured([&] {
        ApplyNewickTree(tree);
        RebuildTree();
    });
}

// A listing with every node number replaced by the node's place in the listing, so that
// two listings of one tree compare equal whatever numbers its nodes took.
std::string ByPlace(const std::string& listing) {
    std::map<std::string, int> place;
    const std::regex node("Node (\\d+):");
    for (std::sregex_iterator m(listing.begin(), listing.end(), node), end; m != end; ++m)
        place.emplace((*m)[1].str(), static_cast<int>(place.size()));
    std::string out;
    const std::regex number("\\d+");
    std::sregex_iterator m(listing.begin(), listing.end(), number), end;
    size_t last = 0;
    for (; m != end; ++m) {
        out += listing.substr(last, static_cast<size_t>(m->position()) - last);
        out += "#" + std::to_string(place.at(m->str()));
        last = static_cast<size_t>(m->position() + m->length());
    }
    return out + listing.substr(last);
}

TEST_F(NewickTest, WrittenTreesReadBackToTheSameShapeAndListing) {
    // Blanks, quotes, underscores, delimiters and a Latin-1 byte in the names.
    SetMatrix({"Frog", "Green lizard", "O'Brien's shark", "Sea_urchin",
               "M\xE9"
               "duse",
               "a(b):c;d"},
              {{0, 1}, {1, 1}, {0, 0}, {1, 0}, {2, 1}, {0, 2}});
    std::mt19937 rng(7);
    BuildAndList();
    for (int round = 0; round < 30; ++round) {
        const std::vector<CladeNode*> nodes = PreOrder();
        CladeNode* s = nodes[std::uniform_int_distribution<size_t>(0, nodes.size() - 1)(rng)];
        CladeNode* t = nodes[std::uniform_int_distribution<size_t>(0, nodes.size() - 1)(rng)];
        Captured([&] { s->Connect(t); });

        const std::string written = WriteNewick(gRoot);
        const std::string shape = Shape(gRoot);
        const std::string before = Captured([] { gRoot->Dump(0); });
        const int32_t ids = gNextNodeId;
        const std::string listing = ApplyText(written);
        ASSERT_EQ(Shape(gRoot), shape) << written;
        ASSERT_EQ(WriteNewick(gRoot), written);
        ASSERT_TRUE(TreeIsSound());
        // The same listing, but for the new nodes' numbers.
        ASSERT_EQ(gNextNodeId, ids + static_cast<int32_t>(nodes.size()));
        ASSERT_EQ(ByPlace(listing), ByPlace(before)) << written;
    }
    EXPECT_EQ(WriteNewick(gRoot).find("'O''Brien''s shark'") != std::string::npos, true);
    EXPECT_EQ(WriteNewick(gRoot).find("'Sea_urchin'") != std::string::npos, true);
}

// What a tree shows of its states, pre-order: every node's states and the change events
// on the branch into it (the markers).
std::string Shown() {
    std::string out;
    for (const CladeNode* node : PreOrder()) {
        for (int c = 0; c < gCharacterCount; ++c)
            out += std::to_string(node->states[c]) + ",";
        int tnum[kMaxCharacters];
        int tval[kMaxCharacters];
        const int count = ListChangeEvents(node, tnum, tval);
        for (int k = 0; k < count; ++k)
            out += " " + std::to_string(tnum[k]) + ">" + std::to_string(tval[k]);
        out += "\n";
    }
    return out;
}

// A tree saved with its states reopens showing the same states, markers and total, after
// any sequence of moves; without the notes, or for another matrix, it reads as plain.
TEST_F(NewickTest, ATreeSavedWithItsStatesReopensWithItsFigures) {
    std::mt19937 rng(2024);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int matrix = 0; matrix < 8; ++matrix) {
        const int n = pick(3, 19);
        const int characters = pick(1, 8);
        std::vector<std::string> names;
        std::vector<std::vector<int>> states(static_cast<size_t>(n));
        for (int t = 0; t < n; ++t) {
            names.push_back("t" + std::to_string(t));
            for (int c = 0; c < characters; ++c)
                states[static_cast<size_t>(t)].push_back(pick(0, std::min(t, 3)));
        }
        SetMatrix(names, states);
        BuildAndList();
        for (int move = 0; move < 20; ++move) {
            const std::vector<CladeNode*> nodes = PreOrder();
            CladeNode* s = nodes[static_cast<size_t>(pick(0, static_cast<int>(nodes.size()) - 1))];
            CladeNode* t = nodes[static_cast<size_t>(pick(0, static_cast<int>(nodes.size()) - 1))];
            Captured([&] { s->Connect(t); });
            const std::string saved = WriteNewick(gRoot, true);
            const std::string shown = Shown();
            const int events = CountChangeEvents(gRoot);

            NewickTree tree;
            ASSERT_TRUE(ReadNewick(saved, "t.nwk", &tree, nullptr)) << saved;
            ASSERT_TRUE(tree.keepsStates) << saved;
            ApplyNewickTree(tree);
            RebuildTreeKeepingStates();
            ASSERT_EQ(Shown(), shown) << saved;
            ASSERT_EQ(CountChangeEvents(gRoot), events);
            ASSERT_EQ(WriteNewick(gRoot, true), saved);
        }
        NewickTree plain;
        ASSERT_TRUE(ReadNewick(WriteNewick(gRoot), "t.nwk", &plain, nullptr));
        EXPECT_FALSE(plain.keepsStates);
        // The outgroup travels with the states.
        gOutgroup = TaxonBit(0) | TaxonBit(n - 1);
        NewickTree withOutgroup;
        ASSERT_TRUE(ReadNewick(WriteNewick(gRoot, true), "t.nwk", &withOutgroup, nullptr));
        EXPECT_EQ(withOutgroup.outgroup, gOutgroup);
        EXPECT_EQ(plain.outgroup, 0u);
    }
    // The same names with other states: the notes belong to another matrix.
    const std::string saved = WriteNewick(gRoot, true);
    std::vector<std::string> names;
    std::vector<std::vector<int>> other;
    for (int t = 0; t < gTaxonCount; ++t) {
        names.push_back(gTaxa[t].name);
        other.push_back(std::vector<int>(static_cast<size_t>(gCharacterCount), t % 2));
    }
    SetMatrix(names, other);
    NewickTree foreign;
    ASSERT_TRUE(ReadNewick(saved, "t.nwk", &foreign, nullptr));
    EXPECT_FALSE(foreign.keepsStates);
}

// Names of any bytes a reader may hand over (all but NUL, up to 31, empty as NEXUS
// allows), drawn mostly from the bytes Newick gives a meaning to, on trees reshaped at
// random: every tree that may be written reads back leaf for leaf; one over two taxa of
// one name is refused before it is written.
TEST_F(NewickTest, EveryTreeWrittenReadsBackAsItself) {
    std::mt19937 rng(16);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::string awkward = "\r\n\t '\"(),:;[]_\xEF\xBB\xBF\xC3\xA9\x7F";
    auto name = [&] {
        std::string n;
        for (int i = pick(0, 31); i > 0; --i)
            n += pick(0, 2) ? awkward[pick(0, static_cast<int>(awkward.size()) - 1)]
                            : static_cast<char>(pick(1, 255));
        return n;
    };
    int written = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> names(static_cast<std::size_t>(pick(0, 19)));
        for (std::string& n : names)
            n = pick(0, 30) ? name() : names.empty() ? "" : names[0]; // now and then twice
        SetMatrix(names, std::vector<std::vector<int>>(names.size(), {0}));
        BuildAndList();
        for (int move = pick(0, 5); move > 0; --move) {
            const std::vector<CladeNode*> nodes = PreOrder();
            CladeNode* s =
                nodes[static_cast<std::size_t>(pick(0, static_cast<int>(nodes.size()) - 1))];
            CladeNode* t =
                nodes[static_cast<std::size_t>(pick(0, static_cast<int>(nodes.size()) - 1))];
            Captured([&] { s->Connect(t); });
        }
        const bool distinct =
            !names.empty() &&
            std::set<std::string>(names.begin(), names.end()).size() == names.size();
        Refusal why;
        ASSERT_EQ(NewickReadsBack(&why), distinct) << why.text;
        if (!distinct) {
            EXPECT_NE(why.text.find(names.empty() ? "no taxa" : "appears twice"), std::string::npos)
                << why.text;
            continue;
        }
        const std::string text = WriteNewick(gRoot);
        const std::string shape = Shape(gRoot);
        NewickTree tree;
        ASSERT_TRUE(ReadNewick(text, "t.nwk", &tree, &why)) << DescribeRefusal(why);
        Captured([&] {
            ApplyNewickTree(tree);
            RebuildTree();
        });
        ASSERT_EQ(Shape(gRoot), shape);
        ASSERT_EQ(WriteNewick(gRoot), text);
        ++written;
    }
    EXPECT_GT(written, 150);
}

TEST_F(NewickTest, WhatReadersOfOtherFilesWriteIsAccepted) {
    SetMatrix({"A", "B", "C", "D"}, {{0}, {1}, {1}, {0}});
    BuildAndList();
    const struct {
        const char* text;
        const char* shape;
    } cases[] = {
        {"((A,B),(C,D));", "((A,B),(C,D))"},
        {" ( (A:0.1,B:2e-3)90:1.5 , [a comment] (C,D)x ) root ; \n", "((A,B),(C,D))"},
        {"(A,B,(C,D));", "(A,(B,(C,D)))"}, // a basal trichotomy, rooted at its first part
        {"\xEF\xBB\xBF((('A'),B),((C),D));", "((A,B),(C,D))"},
    };
    for (const auto& c : cases) {
        ApplyText(c.text);
        EXPECT_EQ(Shape(gRoot), c.shape) << c.text;
    }
}

TEST_F(NewickTest, RefusedTreesChangeNothing) {
    SetMatrix({"A", "B", "C", "Sea urchin"}, {{0}, {1}, {1}, {0}});
    BuildAndList();
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"((A,B),(C,Sea_urchin))", "t.nwk:1:23: the tree does not end with ';'"},
        {"((A,B),(C,X));", "t.nwk:1:11: unknown taxon 'X'"},
        {"((A,B),(C,A));", "t.nwk:1:11: taxon 'A' appears twice"},
        {"((A,B),C);", "t.nwk:1:11: taxon 'Sea urchin' is missing"},
        {"((A,B,C),'Sea urchin');", "t.nwk:1:2: a node with 3 children"},
        {"(A,B,C,'Sea urchin');", "t.nwk:1:1: a node with 4 children"},
        {"((A,B),\n(C,'Sea urchin);", "t.nwk:2:4: a quoted name is never closed"},
        {"((A,B) [note, (C,D));", "t.nwk:1:8: a comment '[' is never closed"},
        {"((A,B),(C,'Sea urchin')); (A,B);", "t.nwk:1:27: more than one tree"},
        {"((A,,B),(C,'Sea urchin'));", "t.nwk:1:5: expected a taxon name, found ','"},
        {"", "t.nwk:1:1: no tree in the file"},
    };
    const std::string before = Fingerprint();
    const int32_t ids = gNextNodeId;
    for (const auto& c : cases) {
        NewickTree tree;
        Refusal why;
        EXPECT_FALSE(ReadNewick(c.text, "t.nwk", &tree, &why)) << c.text;
        EXPECT_EQ(DescribeRefusal(why).rfind(c.problem, 0), 0u)
            << c.text << " -> " << DescribeRefusal(why);
        EXPECT_TRUE(tree.nodes.empty());
    }
    EXPECT_EQ(Fingerprint(), before);
    EXPECT_EQ(gNextNodeId, ids);

    SetMatrix({}, {});
    NewickTree tree;
    Refusal why;
    EXPECT_FALSE(ReadNewick("(A,B);", "t.nwk", &tree, &why));
    EXPECT_EQ(DescribeRefusal(why), "t.nwk:1:1: no data file is loaded to apply the tree to");
}

} // namespace
