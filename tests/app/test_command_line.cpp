// Window-free tests of the command line and of the bundled example matrices.
#include "app/command_line.h"
#include "app/loading.h"
#include "matrix/matrix.h"
#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Runs AnswerInfoOptions on the given arguments; returns its status and what it printed.
struct InfoResult {
    int status;
    std::string out;
    std::string err;
};

std::string ReadBack(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[512];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

InfoResult Answer(std::vector<std::string> args) {
    args.insert(args.begin(), "quillmoor");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = AnswerInfoOptions(static_cast<int>(args.size()), argv.data(), out, err);
    return {status, ReadBack(out), ReadBack(err)};
}

TEST(CommandLine, HelpNamesEveryMouseActionAndKey) {
    const InfoResult help = Answer({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    const char* expected[] = {"quillmoor [GLUT options] [FILE.csv]",
                              "left click on a node",
                              "move the pointer",
                              "left click on the lit branch",
                              "left click on empty space",
                              "\"Open File\"",
                              "\n  1 ",
                              "\n  2 ",
                              "\n  3 ",
                              "\n  f ",
                              "\n  c ",
                              "--search [--all] FILE.csv [TREE.nwk] [--outgroup NAME]",
                              "--version"};
    for (const char* text : expected) {
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    }
    // Help wins wherever it stands, even after a file name.
    EXPECT_EQ(Answer({"data.csv", "--help"}).status, 0);
}

TEST(CommandLine, VersionAndUnknownOptions) {
    const InfoResult version = Answer({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("quillmoor ", 0), 0u);
    EXPECT_NE(version.out.find_first_of("0123456789"), std::string::npos);

    const InfoResult unknown = Answer({"--colour"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--colour"), std::string::npos);
    EXPECT_EQ(unknown.out, "");

    // Anything else is left to GLUT and the data-file argument.
    EXPECT_EQ(Answer({}).status, -1);
    EXPECT_EQ(Answer({"-display", ":0", "data.csv"}).status, -1);
}

TEST(CommandLine, AtMostOneDataFile) {
    char arg0[] = "quillmoor";
    char arg1[] = "a.csv";
    char arg2[] = "b.csv";
    char* argv[] = {arg0, arg1, arg2, nullptr};
    const char* file = "unset";
    std::FILE* err = std::tmpfile();

    EXPECT_TRUE(FindDataFileArgument(1, argv, &file, err));
    EXPECT_EQ(file, nullptr);
    EXPECT_TRUE(FindDataFileArgument(2, argv, &file, err));
    EXPECT_STREQ(file, "a.csv");
    EXPECT_FALSE(FindDataFileArgument(3, argv, &file, err));
    EXPECT_NE(ReadBack(err).find("one data file at most"), std::string::npos);
}

// --continuous is taken out wherever it stands (and as often as it is given), so neither
// the unknown-option check nor the data-file count ever sees it.
TEST(CommandLine, ContinuousFlagIsTakenOutOfTheArguments) {
    char arg0[] = "quillmoor";
    char arg1[] = "--continuous";
    char arg2[] = "a.csv";
    char arg3[] = "--continuous";
    char* argv[] = {arg0, arg1, arg2, arg3, nullptr};
    int argc = 4;

    EXPECT_TRUE(TakeFlag(&argc, argv, "--continuous"));
    ASSERT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "a.csv");
    EXPECT_EQ(argv[2], nullptr);
    EXPECT_EQ(AnswerInfoOptions(argc, argv, stdout, stderr), -1);
    EXPECT_FALSE(TakeFlag(&argc, argv, "--continuous"));
    EXPECT_EQ(argc, 2);
}

// The teaching matrices must load cleanly, and every character must tell some taxa
// apart, or it would draw no marker anywhere.
TEST(Examples, EveryExampleLoadsWithDistinctTaxaAndInformativeCharacters) {
    struct Example {
        const char* file;
        int taxa;
        int characters;
    };
    const Example examples[] = {
        {"vertebrates.csv", 7, 7},
        {"insects.csv", 8, 7},
        {"plants.csv", 8, 7},
        // The first as NEXUS (through the reader module), and a semicolon file.
        {"vertebrates.nex", 7, 7},
        {"fish_semicolons.csv", 3, 2},
    };
    for (const Example& example : examples) {
        SCOPED_TRACE(example.file);
        ResetEditorState();
        const std::string path = std::string(QM_EXAMPLES_DIR) + "/" + example.file;
        Refusal whyNot;
        ::testing::internal::CaptureStdout();
        const bool loaded = OpenDataFile(path.c_str(), &whyNot);
        const std::string listing = ::testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded) << DescribeRefusal(whyNot);
        EXPECT_EQ(gTaxonCount, example.taxa);
        EXPECT_EQ(gCharacterCount, example.characters);
        std::set<std::string> names;
        for (int t = 0; t < gTaxonCount; ++t) {
            names.insert(gTaxa[t].name);
            EXPECT_NE(listing.find(std::string("End -> ") + gTaxa[t].name), std::string::npos);
        }
        EXPECT_EQ(static_cast<int>(names.size()), gTaxonCount);
        for (int c = 0; c < gCharacterCount; ++c) {
            EXPECT_GE(gStateCounts[c], 2) << gCharacterNames[c];
        }
    }
    ResetEditorState();
}

} // namespace
