// Window-free tests of the parsimony commands: the --report answer key for the vertebrates
// example, the hint's announced figures against its move made for real, and the search,
// which never gives more events than its start and which one undo takes back.
#include "app/headless.h"
#include "app/input.h"
#include "app/loading.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "clade/history.h"
#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const std::string kVertebrates = std::string(QM_EXAMPLES_DIR) + "/vertebrates.csv";

class ParsimonyToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEditorState();
        ResetParsimonyTools();
    }
    void TearDown() override { ResetEditorState(); }
};

struct Answer {
    int status;
    std::string out;
};

Answer Report(std::vector<std::string> args) {
    args.insert(args.begin(), "quillmoor");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    const int status = RunHeadlessMode(static_cast<int>(args.size()), argv.data(), out, stderr);
    std::fclose(out);
    Answer answer{status, std::string(text, size)};
    std::free(text);
    return answer;
}

// The figures the README names, counted by hand on the start comb.
TEST_F(ParsimonyToolsTest, ReportIsTheAnswerKeyOfTheStartTree) {
    EXPECT_EQ(Report({"--report", kVertebrates}).out, "Jaws: 1 step (minimum 1)\n"
                                                      "Bony skeleton: 2 steps (minimum 1)\n"
                                                      "Lung or swim bladder: 2 steps (minimum 1)\n"
                                                      "Four limbs: 3 steps (minimum 1)\n"
                                                      "Amniotic egg: 3 steps (minimum 1)\n"
                                                      "Feathers: 1 step (minimum 1)\n"
                                                      "Hair: 1 step (minimum 1)\n"
                                                      "Length: 13\n"
                                                      "Lower bound: 7\n"
                                                      "Consistency index: 0.54\n");
    EXPECT_EQ(Report({kVertebrates}).status, -1);                        // the editor starts
    EXPECT_EQ(Report({"--report"}).status, 1);                           // no data file
    EXPECT_EQ(Report({"--report", kVertebrates, "none.nwk"}).status, 1); // a missing tree
    const Answer refused = Report({"--report", "/nonexistent/none.csv"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
}

TEST_F(ParsimonyToolsTest, HintAndSearchKeepTheirWord) {
    std::mt19937 random(1311);
    int hinted = 0;
    int improved = 0;
    for (int round = 0; round < 8; ++round) {
        ResetEditorState();
        const int taxa = 4 + round;
        std::string csv = "Random\nx,x";
        for (int t = 0; t < taxa; ++t)
            csv += ",T" + std::to_string(t);
        csv += ",UNUSED\n";
        for (int c = 0; c < 6; ++c) {
            csv += "1,C" + std::to_string(c);
            for (int t = 0; t < taxa; ++t)
                csv += ",s" + std::to_string(random() % 3);
            csv += "\n";
        }
        const std::string path =
            round == 0 ? kVertebrates : WriteDataFile("random.csv", csv + "7,UNUSED\n");
        CaptureStdout();
        ASSERT_TRUE(OpenDataFile(path.c_str()));
        GetCapturedStdout();
        CladeNode* const start = CloneTree(gRoot);
        const TreeScore startScore = ScoreTree(gRoot);

        // The hint, made for real, gives what the message line said.
        ShowHint();
        const HintMarks* hint = CurrentHint();
        int events = -1;
        int steps = -1;
        const bool helps =
            std::sscanf(CurrentMessage().c_str(), "Marked move gives %d events (%*d), %d", &events,
                        &steps) == 2;
        ASSERT_EQ(helps, hint != nullptr) << CurrentMessage();
        if (hint != nullptr) {
            ++hinted;
            CaptureStdout();
            const_cast<CladeNode*>(hint->moved)->Connect(const_cast<CladeNode*>(hint->target));
            GetCapturedStdout();
            EXPECT_EQ(ScoreTree(gRoot), (TreeScore{events, steps}));
            EXPECT_LT(events, startScore.events);
            DeleteTree(ReplaceTree(CloneTree(start))); // that Connect was not recorded
        }

        // The search: one listing and one undoable change, never more events than the start.
        CaptureStdout();
        const bool changed = FindBestTree();
        const std::string out = GetCapturedStdout();
        const TreeScore found = ScoreTree(gRoot);
        EXPECT_LE(found.events, startScore.events);
        EXPECT_EQ(changed, !SameTree(start, gRoot));
        EXPECT_EQ(out.find("Connecting"), std::string::npos);
        EXPECT_EQ(out.empty(), !changed);
        if (changed) {
            ++improved;
            EXPECT_TRUE(CheckTree(gRoot));
            EXPECT_TRUE(UndoTreeChange());
            EXPECT_TRUE(SameTree(start, gRoot));
            EXPECT_FALSE(UndoTreeChange());
        }
        if (round == 0) { // every character changes once: nothing beats that
            EXPECT_EQ(found.events, 7);
            EXPECT_TRUE(RedoTreeChange());
            ShowHint();
            EXPECT_EQ(CurrentHint(), nullptr);
            EXPECT_EQ(CurrentMessage(), "No single move helps: 7 events");
            EXPECT_FALSE(FindBestTree());
        }
        DeleteTree(start);
    }
    EXPECT_GE(hinted, 4);
    EXPECT_GE(improved, 4);
}

} // namespace
