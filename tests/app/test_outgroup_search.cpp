// Window-free tests of the outgroup in the editor and of the equally good trees: rooting on
// a picked group through its key, a student's drop that breaks the outgroup, Ctrl+B and
// the steps through the trees it kept, and `--search` as a teacher's answer key.
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
#include "clade/rooting.h"
#include "display/geometry.h"
#include "tests/app/app_test_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const std::string kVertebrates = std::string(QM_EXAMPLES_DIR) + "/vertebrates.csv";

class OutgroupSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEditorState();
        ResetParsimonyTools();
        Load(kVertebrates);
    }
    void TearDown() override {
        ResetParsimonyTools();
        ResetEditorState();
    }
    static void Load(const std::string& path) {
        CaptureStdout();
        ASSERT_TRUE(OpenDataFile(path.c_str()));
        GetCapturedStdout();
    }
};

// A left click on the node, through the input code, in a window of 100 pixels a tree unit.
void Pick(const CladeNode* node) {
    const TreeView view = TreeViewOf(gTaxonCount);
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, (node->x - view.left) * 100,
                (node->y - view.top) * 100, static_cast<int>(view.Width() * 100),
                static_cast<int>(view.Height() * 100));
}

constexpr int Ctrl(char letter) {
    return letter - 'a' + 1;
}

// The console output of a key, plain or with Ctrl.
std::string Key(int key, bool ctrl = false) {
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

// A few drops at random, through the change step.
void Shuffle(std::mt19937& random, int drops) {
    for (int d = 0; d < drops; ++d) {
        std::vector<CladeNode*> nodes;
        PreOrder(gRoot, &nodes);
        CladeNode* moved = nodes[1 + random() % (nodes.size() - 1)];
        CladeNode* target = nodes[random() % nodes.size()];
        if (!CanReattach(moved, target)) continue;
        CaptureStdout();
        ChangeTree({TreeChange::Kind::Drop, moved, target});
        GetCapturedStdout();
    }
}

TEST_F(OutgroupSearchTest, RootingOnThePickedGroupIsOneListedUndoableChange) {
    EXPECT_EQ(Key('o'), "");
    EXPECT_EQ(CurrentMessage(), "Nothing picked: pick a leaf or a group, then root the tree on it");

    std::mt19937 random(17);
    int rerooted = 0;
    for (int round = 0; round < 6; ++round) {
        Shuffle(random, round);
        std::vector<CladeNode*> nodes;
        PreOrder(gRoot, &nodes);
        for (std::size_t i = 1; i < nodes.size(); ++i) {
            // The node of the same pre-order place in the tree as it stands.
            std::vector<CladeNode*> now;
            PreOrder(gRoot, &now);
            CladeNode* const picked = now[i];
            SCOPED_TRACE("round " + std::to_string(round) + ", node #" +
                         std::to_string(picked->id));
            const std::string before = Listing();
            const TaxonMask group = TaxaBelow(picked);
            const TaxonMask outgroupBefore = gOutgroup;
            const int length = ComputeParsimony(gRoot).length;
            const std::size_t steps = UndoStepCount();
            const bool unchanged = gRoot->left == picked && gOutgroup == group;

            Pick(picked);
            ASSERT_TRUE(gDragging && gDragNode == picked);
            const std::string out = Key('o');
            EXPECT_FALSE(gDragging);
            EXPECT_EQ(gOutgroup, group);
            EXPECT_EQ(TaxaBelow(gRoot->left), group);
            EXPECT_EQ(ComputeParsimony(gRoot).length, length);
            if (unchanged) {
                EXPECT_EQ(out, "");
                EXPECT_EQ(UndoStepCount(), steps);
                EXPECT_EQ(CurrentMessage().rfind("The tree is already rooted on ", 0), 0u);
                continue;
            }
            ++rerooted;
            EXPECT_EQ(out, Listing()); // listed once, as it now stands
            EXPECT_EQ(UndoStepCount(), steps + 1);
            EXPECT_EQ(CurrentMessage().rfind("Rooted on ", 0), 0u) << CurrentMessage();
            if (picked->isTaxon) {
                EXPECT_EQ(CurrentMessage(),
                          std::string("Rooted on ") + picked->name + ", now the outgroup");
            }

            // Ctrl+Z gives back the tree and its outgroup, listed as before.
            EXPECT_EQ(Key(Ctrl('z'), true), before);
            EXPECT_EQ(gOutgroup, outgroupBefore);
        }
    }
    EXPECT_GE(rerooted, 30);
}

TEST_F(OutgroupSearchTest, OnlyTheDropThatBreaksTheOutgroupSaysSo) {
    const char* const kBroken = "The outgroup no longer roots the tree";
    // Every drop the start tree allows, each undone again.
    std::vector<CladeNode*> nodes;
    PreOrder(gRoot, &nodes);
    const int count = static_cast<int>(nodes.size());
    int broken = 0;
    int kept = 0;
    for (int m = 1; m < count; ++m) {
        for (int t = 0; t < count; ++t) {
            std::vector<CladeNode*> now;
            PreOrder(gRoot, &now);
            if (!CanReattach(now[m], now[t])) continue;
            ClearMessage();
            CaptureStdout();
            ASSERT_TRUE(ChangeTree({TreeChange::Kind::Drop, now[m], now[t]}));
            GetCapturedStdout();
            const bool rooted = IsRootedOn(gRoot, gOutgroup);
            EXPECT_EQ(CurrentMessage() == kBroken, !rooted) << m << " onto " << t;
            (rooted ? kept : broken) += 1;

            if (!rooted) {
                // The next drop of a tree already rooted elsewhere is not told again, and
                // Ctrl+B roots it on the outgroup once more.
                ClearMessage();
                CaptureStdout();
                ChangeTree({TreeChange::Kind::Drop, gRoot->left, gRoot->right});
                EXPECT_NE(CurrentMessage(), kBroken);
                FindBestTree();
                GetCapturedStdout();
                EXPECT_TRUE(IsRootedOn(gRoot, gOutgroup)) << m;
                CaptureStdout();
                while (UndoTreeChange()) {
                }
                GetCapturedStdout();
            } else {
                UndoTreeChange();
            }
        }
    }
    EXPECT_GT(broken, 5);
    EXPECT_GT(kept, 5);
}

TEST_F(OutgroupSearchTest, HintAndBadgesKnowTheOutgroup) {
    std::mt19937 random(29);
    for (int round = 0; round < 12; ++round) {
        ResetParsimonyTools();
        Load(round % 2 == 0 ? kVertebrates : WriteCombFile(5 + round));
        Shuffle(random, round);
        if (!IsRootedOn(gRoot, gOutgroup)) continue;
        // The hint's move, made for real, keeps the outgroup.
        ShowHint();
        if (const HintMarks* hint = CurrentHint()) {
            CaptureStdout();
            ChangeTree({TreeChange::Kind::Drop, const_cast<CladeNode*>(hint->moved),
                        const_cast<CladeNode*>(hint->target)});
            GetCapturedStdout();
            EXPECT_TRUE(IsRootedOn(gRoot, gOutgroup)) << round;
        }
        // Picking the outgroup's side previews drops that would break it, marked so.
        Pick(gRoot->left);
        const DropPreview* preview = CurrentDropPreview();
        ASSERT_NE(preview, nullptr);
        int marked = 0;
        for (const DropFigures& drop : preview->drops)
            marked += drop.breaksOutgroup;
        EXPECT_GT(marked, 0) << round;
        ForgetDragState();
    }
}

// Ctrl+B, then `]` and `[` through the trees it kept: each step one listed, undoable
// change to another tree as good, rooted on the outgroup, round the list.
TEST_F(OutgroupSearchTest, KeptTreesAreSteppedThroughOneChangeEach) {
    EXPECT_EQ(Key(']'), "");
    EXPECT_EQ(CurrentMessage(), "No equally good trees kept: Ctrl+B searches for them");

    for (const char* rootOn : {"Lamprey", "Shark"}) {
        SCOPED_TRACE(rootOn);
        if (std::string(rootOn) != "Lamprey") {
            Load(kVertebrates);
            std::vector<CladeNode*> nodes;
            PreOrder(gRoot, &nodes);
            for (CladeNode* node : nodes)
                if (node->isTaxon && std::string(node->name) == rootOn) Pick(node);
            Key('o');
            EXPECT_EQ(Key(']'), "");
            EXPECT_EQ(CurrentMessage(),
                      "The kept trees have another outgroup: Ctrl+B searches again");
        }
        const TaxonMask outgroup = gOutgroup;
        EXPECT_EQ(Key(Ctrl('b'), true), ""); // the search waits for the frame that says so
        EXPECT_EQ(CurrentMessage(), "Searching...");
        CaptureStdout();
        FindBestTree();
        const std::string found = GetCapturedStdout();
        int events = -1;
        int kept = -1;
        ASSERT_EQ(std::sscanf(CurrentMessage().c_str(), "Best tree found: %d events, %d tree",
                              &events, &kept),
                  2)
            << CurrentMessage();
        EXPECT_EQ(found, Listing());
        EXPECT_EQ(ScoreTree(gRoot).events, events);
        EXPECT_TRUE(IsRootedOn(gRoot, outgroup));
        ASSERT_GE(kept, 1);

        // The trees as Newick: the same tree applied again gets new node numbers.
        std::vector<std::string> shown = {WriteNewick(gRoot)};
        for (int k = 1; k <= kept; ++k) {
            const std::size_t steps = UndoStepCount();
            const std::string out = Key(']');
            const std::string which =
                "Tree " + std::to_string(k % kept + 1) + " of " + std::to_string(kept) + ": ";
            EXPECT_EQ(CurrentMessage().rfind(which, 0), 0u) << CurrentMessage();
            EXPECT_EQ(UndoStepCount(), steps + (kept > 1 ? 1 : 0));
            EXPECT_EQ(out, kept > 1 ? Listing() : "");
            EXPECT_EQ(ScoreTree(gRoot).events, events);
            EXPECT_TRUE(IsRootedOn(gRoot, outgroup));
            shown.push_back(WriteNewick(gRoot));
        }
        // All different, then the first again.
        EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()).size(),
                  static_cast<std::size_t>(kept));
        EXPECT_EQ(shown.back(), shown.front());
        // `[` goes back one, to the last; Ctrl+Z takes that step back.
        const std::string before = Listing();
        Key('[');
        EXPECT_EQ(CurrentMessage().rfind("Tree " + std::to_string(kept) + " of ", 0), 0u);
        EXPECT_EQ(WriteNewick(gRoot), shown[kept - 1]);
        if (kept > 1) {
            EXPECT_EQ(Key(Ctrl('z'), true), before);
        }
    }
}

struct Answer {
    int status;
    std::string out;
    std::string err;
};

Answer RunWindowless(std::vector<std::string> args) {
    args.insert(args.begin(), "quillmoor");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    char* text[2] = {nullptr, nullptr};
    size_t size[2] = {0, 0};
    std::FILE* out = open_memstream(&text[0], &size[0]);
    std::FILE* err = open_memstream(&text[1], &size[1]);
    const int status = RunHeadlessMode(static_cast<int>(args.size()), argv.data(), out, err);
    std::fclose(out);
    std::fclose(err);
    Answer answer{status, std::string(text[0], size[0]), std::string(text[1], size[1])};
    std::free(text[0]);
    std::free(text[1]);
    return answer;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Every tree printed is rooted on the outgroup, plain Newick, of the shortest length (7:
// one change per character), and reads back through --report.
TEST_F(OutgroupSearchTest, SearchPrintsTheAnswerKeyRootedOnTheOutgroup) {
    struct Case {
        std::vector<std::string> args;
        const char* outgroup;
        int trees; // the three ways to join Pigeon, Mouse and Lizard, for --all
    };
    const Case cases[] = {
        {{"--search", kVertebrates}, "Lamprey", 1},
        {{"--search", "--all", kVertebrates}, "Lamprey", 3},
        {{"--search", kVertebrates, "--outgroup", "Shark", "--all"}, "Shark", 3},
        {{"--search", kVertebrates, "--outgroup", "Perch"}, "Perch", 1},
    };
    const std::string first = RunWindowless({"--search", kVertebrates}).out;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        ResetEditorState();
        const Answer answer = RunWindowless(c.args);
        EXPECT_EQ(answer.status, 0);
        EXPECT_EQ(answer.err, "");
        const std::vector<std::string> trees = Lines(answer.out);
        EXPECT_EQ(static_cast<int>(trees.size()), c.trees);
        EXPECT_EQ(std::set<std::string>(trees.begin(), trees.end()).size(), trees.size());
        if (c.outgroup == std::string("Lamprey")) {
            EXPECT_EQ(trees.front() + "\n", first);
        }
        for (const std::string& tree : trees) {
            EXPECT_EQ(tree.rfind(std::string("(") + c.outgroup + ",", 0), 0u) << tree;
            EXPECT_EQ(tree.find('['), std::string::npos) << tree;
            const std::string file = WriteDataFile("answer.nwk", tree + "\n");
            EXPECT_NE(RunWindowless({"--report", kVertebrates, file}).out.find("\nLength: 7\n"),
                      std::string::npos)
                << tree;
        }
    }

    const std::vector<std::string> refused[] = {
        {"--search", kVertebrates, "--outgroup", "Shrk"},
        {"--search", kVertebrates, "--outgroup"},
        {"--search", "--all"},
        {"--search", kVertebrates, "--outgroup", "Shark", "extra.csv"},
    };
    for (const std::vector<std::string>& args : refused) {
        SCOPED_TRACE(args.back());
        const Answer answer = RunWindowless(args);
        EXPECT_EQ(answer.status, 1);
        EXPECT_EQ(answer.out, "");
        EXPECT_EQ(Lines(answer.err).size(), 1u) << answer.err;
    }
    EXPECT_EQ(RunWindowless({"--search", kVertebrates, "--outgroup", "Shrk"}).err,
              "quillmoor: --outgroup: no taxon is named \"Shrk\"\n");
}

} // namespace
