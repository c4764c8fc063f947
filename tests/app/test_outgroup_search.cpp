// Window-free tests of the outgroup in the editor: `o` on every group, the drops that break
// the outgroup, the hint with it, Ctrl+B with `]` and `[`, and --search.
#include "app/commands.h"
#include "app/headless.h"
#include "app/input.h"
#include "app/loading.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "app/tree_change.h"
#include "clade/history.h"
#include "clade/newick.h"
#include "clade/parsimony.h"
#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
const std::string kVertebrates = std::string(QM_EXAMPLES_DIR) + "/vertebrates.csv";

// The console output of a key (Ctrl+letter as its control code) on the node picked.
std::string Key(int key, CladeNode* picked = nullptr, bool ctrl = false) {
    gDragNode = picked;
    gDragging = picked != nullptr;
    CaptureStdout();
    HandleKey(KeyPress{key, false, ctrl, false, false});
    return GetCapturedStdout();
}
std::string Listing() {
    CaptureStdout();
    ListLiveTree();
    return GetCapturedStdout();
}
void PreOrder(CladeNode* node, std::vector<CladeNode*>* nodes) {
    if (node == nullptr) return;
    nodes->push_back(node);
    PreOrder(node->left, nodes);
    PreOrder(node->right, nodes);
}
CladeNode* Nth(std::size_t index) {
    std::vector<CladeNode*> nodes;
    PreOrder(gRoot, &nodes);
    return index < nodes.size() ? nodes[index] : nullptr;
}

TEST(Outgroup, RootingSteppingAndBreakingDropsThroughTheChangeStep) {
    ResetEditorState();
    CaptureStdout();
    OpenDataFile(kVertebrates.c_str());
    GetCapturedStdout();
    EXPECT_EQ(Key('o'), "");
    EXPECT_EQ(CurrentMessage(), "Nothing picked: pick a leaf or a group, then root the tree on it");
    // `o` on every group: one listed change, undone by Ctrl+Z with its outgroup; the length
    // stays. The first taxon's leaf already roots the tree and is the outgroup.
    for (int i = 1; Nth(i) != nullptr; ++i) {
        const std::string before = Listing();
        const TaxonMask group = TaxaBelow(Nth(i));
        const std::string out = Key('o', Nth(i));
        EXPECT_EQ(out, i == 1 ? "" : Listing());
        EXPECT_TRUE(gOutgroup == group && TaxaBelow(gRoot->left) == group);
        EXPECT_EQ(ComputeParsimony(gRoot).length, 13);
        if (i > 1) {
            EXPECT_EQ(Key('z' - 'a' + 1, nullptr, true), before);
        }
        EXPECT_EQ(gOutgroup, TaxonBit(0));
    }
    // Every drop: a drop that breaks the outgroup is made and told once; the hint never
    // breaks it, and Ctrl+B roots the tree on it again.
    int broken = 0;
    for (int m = 1; Nth(m) != nullptr; ++m) {
        for (int t = 0; Nth(t) != nullptr; ++t) {
            if (!CanReattach(Nth(m), Nth(t))) continue;
            ClearMessage();
            CaptureStdout();
            ChangeTree({TreeChange::Kind::Drop, Nth(m), Nth(t)});
            const bool rooted = IsRootedOn(gRoot, gOutgroup);
            broken += !rooted;
            EXPECT_EQ(CurrentMessage() == "The outgroup no longer roots the tree", !rooted);
            ShowHint();
            if (const HintMarks* hint = CurrentHint())
                const_cast<CladeNode*>(hint->moved)->Connect(const_cast<CladeNode*>(hint->target));
            EXPECT_TRUE(!rooted || IsRootedOn(gRoot, gOutgroup));
            ClearMessage();
            if (!rooted) ChangeTree({TreeChange::Kind::Drop, gRoot->left, gRoot->right});
            EXPECT_EQ(CurrentMessage(), "");
            FindBestTree();
            GetCapturedStdout();
            EXPECT_TRUE(IsRootedOn(gRoot, gOutgroup));
            while (UndoTreeChange()) {
            }
        }
    }
    EXPECT_GT(broken, 10);

    // Ctrl+B: one change per character, three ways to join the amniotes (README); `]` and
    // `[` step round them, each a listed, undoable change.
    CaptureStdout();
    FindBestTree();
    GetCapturedStdout();
    EXPECT_EQ(CurrentMessage(), "Best tree found: 7 events, 3 trees this short");
    std::vector<std::string> shown = {WriteNewick(gRoot)};
    for (const char key : std::string("]]][")) {
        const std::size_t steps = UndoStepCount();
        const std::string out = Key(key);
        EXPECT_TRUE(out == Listing() && UndoStepCount() == steps + 1);
        EXPECT_TRUE(IsRootedOn(gRoot, TaxonBit(0)) && ScoreTree(gRoot).events == 7);
        shown.push_back(WriteNewick(gRoot));
    }
    EXPECT_EQ(CurrentMessage(), "Tree 3 of 3: 7 events, 7 steps");
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()).size(), 3u);
    EXPECT_TRUE(shown[3] == shown[0] && shown[4] == shown[2]); // round the list
    Key('o', Nth(2));                                          // another outgroup
    EXPECT_EQ(Key('['), "");
    ResetEditorState();
}

std::string Windowless(std::vector<std::string> args, int status) {
    std::vector<char*> argv = {const_cast<char*>("quillmoor")};
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    EXPECT_EQ(RunHeadlessMode(static_cast<int>(argv.size()), argv.data(), out, stderr), status);
    std::fclose(out);
    const std::string printed(text, size);
    std::free(text);
    return printed;
}

TEST(Outgroup, SearchPrintsTheShortestTreesRootedOnTheOutgroup) {
    const std::string all = Windowless({"--search", "--all", kVertebrates}, 0);
    EXPECT_EQ(all, "(Lamprey,(Shark,(Perch,(Frog,(Lizard,(Mouse,Pigeon))))));\n"
                   "(Lamprey,(Shark,(Perch,(Frog,((Mouse,Lizard),Pigeon)))));\n"
                   "(Lamprey,(Shark,(Perch,(Frog,(Mouse,(Pigeon,Lizard))))));\n");
    EXPECT_EQ(Windowless({"--search", kVertebrates}, 0), all.substr(0, all.find('\n') + 1));
    const std::string frog = Windowless({"--search", kVertebrates, "--outgroup", "Frog"}, 0);
    EXPECT_EQ(frog, "(Frog,((Lizard,(Mouse,Pigeon)),(Perch,(Shark,Lamprey))));\n");
    const std::string file = WriteDataFile("key.nwk", frog);
    EXPECT_NE(Windowless({"--report", kVertebrates, file}, 0).find("\nLength: 7\n"),
              std::string::npos);
    EXPECT_EQ(Windowless({"--search", kVertebrates, "--outgroup", "Shrk"}, 1), "");
    EXPECT_EQ(Windowless({"--search", kVertebrates, "--outgroup"}, 1), "");
    ResetEditorState();
}

} // namespace
