// Keeping the work without a window: the settings file read and written, the recovery
// file after random changes put back through the load path, and the question before the
// tree is thrown away, answered through the dialog hooks.
#include "app/commands.h"
#include "app/loading.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "app/reconstruction_views.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app/tree_change.h"
#include "app/view_commands.h"
#include "clade/history.h"
#include "clade/newick.h"
#include "clade/rooting.h"
#include "platform/platform.h"
#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStderr;
using ::testing::internal::GetCapturedStdout;

// A new empty folder under the test's temp folder, with a trailing slash.
std::string NewFolder() {
    std::string pattern = ::testing::TempDir() + "keep-XXXXXX";
    EXPECT_NE(mkdtemp(&pattern[0]), nullptr);
    return pattern + "/";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::string Listing() {
    CaptureStdout();
    ListLiveTree();
    return GetCapturedStdout();
}

// The listing with node numbers replaced by their order of first appearance: a tree read
// back from a file gets new numbers, and is the same tree when this is the same.
std::string Renumbered(const std::string& listing) {
    const std::regex number(R"((Node |P=|C=|,)(\d+))");
    std::map<std::string, int> order;
    std::string out;
    auto at = listing.cbegin();
    for (std::sregex_iterator it(listing.begin(), listing.end(), number), end; it != end; ++it) {
        out.append(at, listing.cbegin() + it->position());
        const auto added = order.emplace(it->str(2), static_cast<int>(order.size()));
        out += it->str(1) + "#" + std::to_string(added.first->second);
        at = listing.cbegin() + it->position() + it->length();
    }
    return out.append(at, listing.cend());
}

void PreOrder(CladeNode* node, std::vector<CladeNode*>* nodes) {
    if (node == nullptr) return;
    nodes->push_back(node);
    PreOrder(node->left, nodes);
    PreOrder(node->right, nodes);
}

// A sheet of random states: taxa T0..., characters C0..., states a to d, some cells empty.
std::string RandomSheet(int taxa, int characters, std::mt19937& random) {
    std::string text = "Taxon";
    for (int c = 0; c < characters; ++c)
        text += ",C" + std::to_string(c);
    for (int t = 0; t < taxa; ++t) {
        text += "\nT" + std::to_string(t);
        for (int c = 0; c < characters; ++c) {
            const int state = static_cast<int>(random() % 5);
            text += ",";
            if (state < 4) text += static_cast<char>('a' + state % (1 + c % 4));
        }
    }
    return text + "\n";
}

// One random change through the change step: mostly drops, some re-rootings and undos.
void RandomChange(std::mt19937& random) {
    std::vector<CladeNode*> nodes;
    PreOrder(gRoot, &nodes);
    CladeNode* moved = nodes[random() % nodes.size()];
    CladeNode* target = nodes[random() % nodes.size()];
    switch (random() % 6) {
    case 0:
        ChangeTree({TreeChange::Kind::Undo});
        return;
    case 1:
        if (moved != gRoot) ChangeTree({TreeChange::Kind::Reroot, moved});
        return;
    default:
        if (CanReattach(moved, target)) ChangeTree({TreeChange::Kind::Drop, moved, target});
    }
}

class KeepingWork : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEditorState();
        ResetCommands();
        ResetParsimonyTools();
        ResetSettings();
        ClearMessage();
        EnableRecovery(NewFolder());
    }
    void TearDown() override {
        EnableRecovery("");
        ResetSettings();
        ResetParsimonyTools();
        SetQuestionHook(nullptr);
        SetFileDialogHook(nullptr);
    }
};

// Each file as LoadSettings finds it: what it applies, what it tells, and whether a change
// of a setting then replaces it. A replaced file reads back as the settings it was
// written from, keys of other versions included.
TEST_F(KeepingWork, SettingsFileReadAndWritten) {
    const struct {
        const char* what;
        const char* text; // null: no file; "/": a folder in its place
        bool read;
        bool panel;       // after the load
        const char* told; // a part of the message line; empty: nothing said
        bool replaced;    // by a change of a setting
        const char* kept; // a line the written file keeps
    } kCases[] = {
        {"no file yet", nullptr, true, false, "", true, nullptr},
        {"the panel on", "quillmoor settings 1\nparsimony-panel = on\n", true, true, "", true,
         nullptr},
        {"blanks, comments, CR LF and a later version's key",
         "quillmoor settings 1\r\n# kept by hand\r\n\r\n  parsimony-panel=on  \r\nlayout = "
         "radial\r\ntext-size = 150\r\npresentation = on\r\n",
         true, true, "", true, "layout = radial"},
        {"a text size past the largest", "quillmoor settings 1\ntext-size = 300\n", false, false,
         "settings:2: text-size takes a number from 75 to 250, not \"300\"", true, nullptr},
        {"the markers by the fewest changes", "quillmoor settings 1\nmarkers = fewest\n", true,
         false, "", true, "markers = fewest"},
        {"a value the key does not take", "quillmoor settings 1\nparsimony-panel = maybe\n", false,
         false, "settings:2: parsimony-panel takes off or on, not \"maybe\" (settings ignored)",
         true, nullptr},
        {"a line that is no setting", "quillmoor settings 1\npanel\n", false, false,
         "settings:2: expected a line \"key = value\"", true, nullptr},
        {"another program's file", "[General]\nparsimony-panel = on\n", false, false,
         "settings:1: not a settings file of this program", false, nullptr},
        {"another version's settings", "quillmoor settings 2\nparsimony-panel = on\n", false, false,
         "settings:1: the settings of another version", false, nullptr},
        {"a folder in its place", "/", false, false, "settings:1: cannot read the file", false,
         nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        ResetParsimonyTools();
        ResetReconstructionViews();
        SetTextSizePercent(100);
        SetPresentationMode(false);
        ClearMessage();
        // The folder is made at the first write when it is missing.
        const std::string path = NewFolder() + "quillmoor/settings";
        if (c.text != nullptr) {
            mkdir(path.substr(0, path.rfind('/')).c_str(), 0700);
            if (std::string(c.text) == "/")
                mkdir(path.c_str(), 0700);
            else
                std::ofstream(path, std::ios::binary) << c.text;
        }
        EXPECT_EQ(LoadSettings(path), c.read);
        EXPECT_EQ(ParsimonyPanelShown(), c.panel);
        // Only a file that reads sets the text size and presentation mode (one row has both).
        const bool sized = c.read && c.text != nullptr &&
                           std::string(c.text).find("presentation = on") != std::string::npos;
        EXPECT_EQ(TextSizePercent(), sized ? 150 : 100);
        EXPECT_EQ(PresentationMode(), sized);
        if (c.told[0] == '\0') {
            EXPECT_EQ(CurrentMessage(), "");
        } else {
            EXPECT_NE(CurrentMessage().find(c.told), std::string::npos) << CurrentMessage();
        }
        KeepSettings(); // nothing changed: nothing written
        EXPECT_EQ(Exists(path), c.text != nullptr);
        const std::string before = c.text == nullptr ? "" : ReadFile(path);
        ToggleParsimonyPanel();
        KeepSettings();
        if (!c.replaced) {
            EXPECT_EQ(ReadFile(path), before) << "a file not ours was written over";
            continue;
        }
        EXPECT_EQ(ReadFile(path), SettingsText());
        if (c.kept != nullptr) {
            EXPECT_NE(ReadFile(path).find(c.kept), std::string::npos);
        }
        const bool written = ParsimonyPanelShown();
        const int scale = TextSizePercent();
        const bool presenting = PresentationMode();
        ResetParsimonyTools();
        SetTextSizePercent(100);
        SetPresentationMode(false);
        EXPECT_TRUE(LoadSettings(path));
        EXPECT_EQ(ParsimonyPanelShown(), written) << "the value did not read back";
        EXPECT_EQ(TextSizePercent(), scale);
        EXPECT_EQ(PresentationMode(), presenting);
        EXPECT_EQ(SettingsText(), ReadFile(path));
    }
    SetTextSizePercent(100);
    SetPresentationMode(false);
}

// Random changes on random sheets, then the data file opened again as after a crash: the
// tree left unsaved comes back as one listed change, with the same figures, and Ctrl+Z
// gives the file's own tree; a tree back at the file's tree leaves nothing to recover.
TEST_F(KeepingWork, RecoveryFileGivesBackTheTreeThroughTheLoadPath) {
    std::mt19937 random(20240919);
    int recoveredRounds = 0;
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int taxa = 3 + static_cast<int>(random() % 38);
        const std::string data =
            WriteDataFile("sheet" + std::to_string(round) + ".csv",
                          RandomSheet(taxa, 1 + static_cast<int>(random() % 40), random));
        ResetEditorState();
        CaptureStdout();
        ASSERT_TRUE(OpenDataFile(data.c_str()));
        const int changes = static_cast<int>(random() % 12);
        for (int i = 0; i < changes; ++i)
            RandomChange(random);
        GetCapturedStdout();
        const std::string listing = Renumbered(Listing());
        const std::string newick = WriteNewick(gRoot, true); // its states and outgroup too
        const int events = CountChangeEvents(gRoot);
        const std::size_t steps = UndoStepCount();
        const bool unsaved = HasUnsavedWork();
        EXPECT_EQ(Exists(RecoveryFile()), unsaved);

        // A new run: nothing of the old tree but the files.
        ResetEditorState();
        ClearMessage();
        CaptureStdout();
        CaptureStderr();
        ASSERT_TRUE(OpenDataFile(data.c_str()));
        const std::string opened = GetCapturedStdout();
        const std::string told = GetCapturedStderr();
        if (!unsaved) {
            EXPECT_EQ(UndoStepCount(), 0u);
            EXPECT_EQ(CurrentMessage(), "");
            continue;
        }
        EXPECT_EQ(Renumbered(Listing()), listing);
        EXPECT_EQ(WriteNewick(gRoot, true), newick);
        EXPECT_EQ(CountChangeEvents(gRoot), events);
        const std::string recovered = Listing();
        const std::string message = "Recovered the unsaved tree (" + std::to_string(steps) +
                                    (steps == 1 ? " change" : " changes") +
                                    "); Ctrl+Z gives the file's tree";
        EXPECT_EQ(CurrentMessage(), message);
        EXPECT_EQ(told, "quillmoor: " + data + ": " + message + "\n");
        ASSERT_EQ(UndoStepCount(), 1u);
        ++recoveredRounds;
        CaptureStdout();
        EXPECT_TRUE(ChangeTree({TreeChange::Kind::Undo}));
        // The load listed the file's tree, then the recovered one; Ctrl+Z lists the first.
        EXPECT_EQ(opened, GetCapturedStdout() + recovered);
        EXPECT_FALSE(HasUnsavedWork());
        EXPECT_FALSE(Exists(RecoveryFile())) << "the file's own tree needs no recovery";
    }
    EXPECT_GE(recoveredRounds, 12) << "too few rounds left a tree to recover";
}

// The question before another data file replaces the tree, each answer through the hooks:
// what is asked, whether the file opens, and what becomes of the recovery file and the tree.
TEST_F(KeepingWork, QuestionBeforeAnotherDataFile) {
    static int answer;
    static int asked;
    static bool saveChosen;
    static std::string open;
    static std::string treeFile;
    const std::string folder = NewFolder();
    std::mt19937 random(7);
    const std::string first = WriteDataFile("first.csv", RandomSheet(6, 4, random));
    const std::string second = WriteDataFile("second.csv", "Taxon,Size\nA,small\nB,large\n");
    const std::string broken = WriteDataFile("broken.csv", "Taxon,Size\nA,small,x,y\n");
    SetQuestionHook([](const QuestionOptions& question) {
        ++asked;
        EXPECT_STREQ(question.question, "Save the tree first?");
        return answer;
    });
    SetFileDialogHook([](const FileDialogOptions& options, std::string& path) {
        if (std::string(options.title) == "Save Tree") {
            if (!saveChosen) return false;
            path = treeFile;
        } else {
            path = open;
        }
        return true;
    });
    const struct {
        const char* what;
        bool moved;      // a drop before the file is chosen
        int answer;      // Save 0, Don't save 1, Cancel 2
        bool saveChosen; // the Save Tree chooser gives a name
        bool broken;     // the chosen data file is refused
        int asked;
        bool opened; // the chosen file replaced the tree
        bool recoveryKept;
        bool treeSaved;
    } kCases[] = {
        {"nothing unsaved", false, 0, false, false, 0, true, false, false},
        {"Save, named", true, 0, true, false, 1, true, false, true},
        {"Save, chooser cancelled", true, 0, false, false, 1, false, true, false},
        {"Don't save", true, 1, false, false, 1, true, false, false},
        {"Don't save, the file refused", true, 1, false, true, 1, false, true, false},
        {"Cancel", true, 2, false, false, 1, false, true, false},
        {"no question can be shown", true, kNoAnswer, false, false, 1, true, true, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        answer = c.answer;
        asked = 0;
        saveChosen = c.saveChosen;
        open = c.broken ? broken : second;
        treeFile = folder + c.what + ".nwk";
        ResetEditorState();
        CaptureStdout();
        CaptureStderr();
        ASSERT_TRUE(OpenDataFile(first.c_str()));
        if (c.moved) ChangeTree({TreeChange::Kind::Drop, NodeAt("rr"), gRoot});
        const std::string recovery = RecoveryFile();
        const std::string tree = WriteNewick(gRoot, true);
        RunFileDialog(FileDialogRequest::Open);
        GetCapturedStdout();
        GetCapturedStderr();
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(LoadedDataFile(), c.opened ? second : first);
        if (!c.opened) {
            EXPECT_EQ(WriteNewick(gRoot, true), tree) << "the tree changed";
        }
        EXPECT_EQ(Exists(recovery), c.recoveryKept);
        EXPECT_EQ(Exists(treeFile), c.treeSaved);
        if (c.treeSaved) {
            EXPECT_EQ(ReadFile(treeFile), tree);
        }
    }
}

} // namespace
