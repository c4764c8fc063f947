// Hostile files through the editor's load path: each row a file and what the editor does
// with it -- the tables it reads, or the refusal it shows (the console line byte for
// byte, and the message line without the folder), or a warning on the message line.
// Then the trees the editor saves: every one reopens as itself, or none is written.
#include "app/loading.h"
#include "app/messages.h"
#include "clade/newick.h"
#include "matrix/matrix.h"
#include "tests/app/app_test_support.h"
#include "tests/matrix/describe_matrix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace std::string_literals;

namespace {

const char kFrogs[] = "t\nx,x,Frog,Shark,Perch,Eel,UNUSED\n1,Fins,no,yes,yes,yes\n2,UNUSED\n";

// ASCII text as UTF-16 LE with its byte-order mark, as a spreadsheet saves "Unicode text".
std::string Utf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (char c : text)
        out += std::string{c, '\0'};
    return out;
}

// A NEXUS matrix of taxa A, B and C scored for two characters; its rows start on line 10.
std::string Nexus(const std::string& rows) {
    return "#NEXUS\nBEGIN TAXA;\nDIMENSIONS NTAX=3;\nTAXLABELS A B C;\nEND;\nBEGIN "
           "CHARACTERS;\nDIMENSIONS NCHAR=2;\nFORMAT SYMBOLS=\"01\";\nMATRIX\n" +
           rows + ";\nEND;\n";
}

// What a file does to the editor: the tables (or, for a tree file, the tree) it gives, or
// the refusal as "LINE[:COLUMN]: problem" after "FILE:", and the message line after the
// file's own name (a warning, or the refusal).
struct Outcome {
    std::string reading;
    std::string console;
    std::string message;
};

Outcome Open(const std::string& name, const std::string& content) {
    ResetEditorState();
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(OpenDataFile(WriteDataFile("frogs.csv", kFrogs).c_str()));
    ClearMessage();
    const std::string before = DescribeMatrix() + WriteNewick(gRoot);
    const std::string path = WriteDataFile(name, content);
    ::testing::internal::GetCapturedStdout();
    ::testing::internal::CaptureStdout();
    const bool read =
        IsTreeFileName(path.c_str()) ? OpenTreeFile(path.c_str()) : OpenDataFile(path.c_str());
    const std::string console = ::testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    Outcome out;
    if (read) {
        out.reading = IsTreeFileName(path.c_str()) ? WriteNewick(gRoot) : DescribeMatrix();
        EXPECT_EQ(console.rfind("Node ", 0), 0u) << "a listing only: " << console;
        EXPECT_EQ(console.find(path), std::string::npos) << console;
    } else {
        EXPECT_EQ(DescribeMatrix() + WriteNewick(gRoot), before) << "refused, yet changed";
        EXPECT_EQ(console.rfind(path + ":", 0), 0u) << console;
        out.console = console.substr(std::min(console.size(), path.size() + 1));
    }
    const std::string& message = CurrentMessage();
    out.message = message.rfind(name + ":", 0) == 0 ? message.substr(name.size() + 1) : message;
    return out;
}

TEST(HostileFiles, EachGivesItsReadingOrItsTrueRefusal) {
    const std::string longName(kMaxDataFileBytes - 100, 'x');
    const std::string cutName = std::string(60, 'x') + "...";
    const std::string lastRow =
        "found \"00\" where the matrix should end (a row has more than 2 characters, or its ';' "
        "is missing)";
    const std::string twice =
        "taxon 'Frog' appears twice: a saved tree could not tell the two apart";
    const struct {
        const char* name;
        std::string content;
        Outcome expected;
    } rows[] = {
        {"quoted.csv",
         "t\nx,x,\"Frog\" x,Shark,\"Perch\",Eel,UNUSED\n1,C,a,b,c,d\n2,UNUSED\n",
         {"Frog x|Shark|Perch|Eel / C=a|b|c|d", "", ""}},
        {"crcrlf.csv",
         "t\r\r\nx,x,A,B,UNUSED\r\r\n1,C,a,b\r\r\n2,UNUSED\r\r\n",
         {"A|B / C=a|b", "", ""}},
        {"semicolons.csv",
         "t\nx;x;\"Fish, bony\";Shark;UNUSED\n1;Size;1,5;2\n2;UNUSED\n",
         {"Fish, bony|Shark / Size=1,5|2", "", ""}},
        {"twice.csv",
         "t\nx,x,Frog,Shark,Frog,UNUSED\n1,C,a,b,c\n2,UNUSED\n",
         {"Frog|Shark|Frog / C=a|b|c", "", "2:16: " + twice}},
        {"skipped field.csv",
         "t\nx,x,A,B,C,UNUSED\n1,Jaws,a,,b,c,note\n2,Feet,a,b,c,,\n3,UNUSED\n",
         {"A|B|C / Jaws=a|b|c / Feet=a|b|c", "",
          "3:11: an empty field between the states was skipped, so the states after it are "
          "read one taxon to the left"}},
        {"cr name.csv",
         "t\nx,x,Fr\rog,Shark,UNUSED\n1,C,a,b\n2,UNUSED\n",
         {"Fr\rog|Shark / C=a|b", "", ""}},
        {"no marker.csv",
         "t\nx,x,A,B\n1,C,a,b\n2,UNUSED\n",
         {"", "2: header line has no UNUSED after the taxon names\n",
          "2: header line has no UNUSED after the taxon names"}},
        {"utf16.nex",
         Utf16(Nexus("A 01\nB 10\nC 11\n")),
         {"A|B|C / Character 1=0|1|1 / Character 2=1|0|1", "", ""}},
        {"nul.nex",
         Nexus("'A\0x' 01\nB 10\nC 11\n"s),
         {"", "10:3: line holds a NUL byte\n", "10:3: line holds a NUL byte"}},
        {"long row.nex",
         "#NEXUS\n[a comment]\n" + Nexus("A 01\nB 1000\nC 11\n").substr(7),
         {"", "12:5: unknown taxon \"00\" (or a row before it has more than 2 characters)\n",
          "12:5: unknown taxon \"00\" (or a row before it has more than 2 characters)"}},
        {"long last row.nex",
         Nexus("A 01\nB 10\nC 1100\n"),
         {"", "12:5: " + lastRow + "\n", "12:5: " + lastRow}},
        {"twice.nwk",
         "((Frog,Shark),(Perch,Frog));",
         {"", "1:22: taxon 'Frog' appears twice\n", "1:22: taxon 'Frog' appears twice"}},
        {"long name.nwk",
         "(Frog,(Shark," + longName + "));",
         {"", "1:14: unknown taxon '" + cutName + "'\n", "1:14: unknown taxon '" + cutName + "'"}},
        {"cr name.nwk",
         "((Frog,Shark),(Perch,Eel));\r\r\n",
         {"((Frog,Shark),(Perch,Eel));\n", "", ""}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome got = Open(row.name, row.content);
        EXPECT_EQ(got.reading, row.expected.reading);
        EXPECT_EQ(got.console, row.expected.console);
        EXPECT_EQ(got.message, row.expected.message);
    }
    ResetEditorState();
}

// Saving: a tree over awkward names (a CR, a semicolon, quotes, an underscore) reopens as
// itself; one over two taxa of one name is refused and nothing is written.
TEST(HostileFiles, EverySavedTreeReopensOrNoneIsWritten) {
    ResetEditorState();
    const std::string awkward = WriteDataFile(
        "awkward.csv",
        "t\nx,x,Fr\rog,\"Sea;x\",\"O'Neil\"\"s\",Eel_y,UNUSED\n1,C,a,b,c,d\n2,UNUSED\n");
    const std::string tree = ::testing::TempDir() + "saved.nwk";
    std::remove(tree.c_str());
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(OpenDataFile(awkward.c_str()));
    ::testing::internal::GetCapturedStdout();
    Refusal refusal;
    ASSERT_TRUE(SaveTreeFile(tree.c_str(), &refusal)) << DescribeRefusal(refusal);
    const std::string saved = WriteNewick(gRoot);
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(OpenTreeFile(tree.c_str()));
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(WriteNewick(gRoot), saved);

    std::remove(tree.c_str());
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(OpenDataFile(
        WriteDataFile("twice.csv", "t\nx,x,Frog,Shark,Frog,UNUSED\n1,C,a,b,c\n2,UNUSED\n")
            .c_str()));
    ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(SaveTreeFile(tree.c_str(), &refusal));
    EXPECT_EQ(DescribeRefusal(refusal),
              tree + ": taxon 'Frog' appears twice in the data file: a tree written with it could "
                     "not be read back");
    EXPECT_FALSE(std::ifstream(tree).is_open()) << "nothing is written";
    ResetEditorState();
}

} // namespace
