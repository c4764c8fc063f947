// The NEXUS reader as the app uses it (the module loaded with dlopen): the NEXUS example
// gives the listing of its CSV twin, and files that break a limit or the format are
// refused whole, with their line and problem, leaving the last load intact.
#include "clade/clade.h"
#include "matrix/cell_sets.h"
#include "matrix/matrix.h"
#include "nexus/nexus.h"
#include "tests/matrix/describe_matrix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The app's load path: the reader for the file's kind, then a new tree and its listing.
// Node numbers start from 0 for each, so that listings compare byte for byte.
std::string LoadAndList(const std::string& path) {
    ResetClade(true);
    testing::internal::CaptureStdout();
    Refusal why;
    const bool ok = IsNexusFile(path.c_str()) ? LoadNexusMatrix(path.c_str(), &why)
                                              : LoadCharacterMatrix(path.c_str(), &why);
    if (ok) {
        BuildInitialTree();
        RebuildTree();
    }
    const std::string out = testing::internal::GetCapturedStdout();
    ResetClade(true);
    return ok ? out : "refused: " + DescribeRefusal(why);
}

TEST(Nexus, TheNexusExampleListsLikeItsCsvTwin) {
    const std::string csv = LoadAndList(QM_EXAMPLES_DIR "/vertebrates.csv");
    EXPECT_NE(csv.find("End -> Lamprey"), std::string::npos) << csv;
    EXPECT_EQ(LoadAndList(QM_EXAMPLES_DIR "/vertebrates.nex"), csv);
}

// The cells that allow other states than their own (missing, polymorphic), as
// " [TAXON CHARACTER={state,state}]".
std::string OtherCellSets() {
    std::string out;
    for (int t = 0; t < gTaxonCount; ++t) {
        for (int c = 0; c < gCharacterCount; ++c) {
            const StateSet set = CellStates(t, c);
            if (set == StateBit(gTaxa[t].states[c])) continue;
            out += std::string(" [") + gTaxa[t].name + " " + std::to_string(c + 1) + "=";
            for (int s = 0; s < gStateCounts[c]; ++s)
                if (set & StateBit(s)) out += std::string(gStateNames[c][s]) + ",";
            out.back() = ']';
        }
    }
    return out;
}

// The tables as DescribeMatrix has them, the cells of several states, and the tree when
// there is one.
std::string Describe(const std::string& tree) {
    const std::string tables = DescribeMatrix() + OtherCellSets();
    return tree.empty() ? tables : tables + " " + tree;
}

std::string Block(const std::string& format, const std::string& matrix) {
    return "BEGIN DATA;\nDIMENSIONS NTAX=2 NCHAR=2;\nFORMAT " + format + ";\nMATRIX\n" + matrix +
           "\n;\nEND;\n";
}

// Each file gives its matrix (and first tree), or its refusal as "line: problem".
TEST(Nexus, FilesGiveTheirMatrixOrTheirRefusal) {
    const std::string path = testing::TempDir() + "nexus_test_data.nex";
    const std::string standard = "DATATYPE=STANDARD SYMBOLS=\"01\" MISSING=? GAP=-";
    struct Case {
        const char* what;
        std::string content;
        std::string expected;
    };
    const Case cases[] = {
        {"missing, gap, no labels", "#nexus\n" + Block(standard, "A 0?\nB -1"),
         "A|B / Character 1=0|- / Character 2=?|1 [A 2=1] [B 1=0]"},
        {"labels, comments, other blocks, a tree",
         "\xEF\xBB\xBF  #NEXUS [c]\nBEGIN MESQUITE; anything; END;\nBEGIN DATA;\n"
         "DIMENSIONS NTAX=3 NCHAR=1;\nFORMAT " +
             standard +
             ";\n"
             "CHARSTATELABELS 1 'Fin, long' / no yes;\nMATRIX 'Perch one' 1 Shark 0 Eel_x "
             "1;\nEND;\n"
             "BEGIN TREES; TREE t = [&R] ((Shark:1,'Perch one'),Eel_x); TREE u = "
             "(Shark,Eel_x,'Perch one'); END;\n",
         "Perch one|Shark|Eel x / Fin, long=yes|no|yes ((Shark,'Perch one'),'Eel x');"},
        {"CHARLABELS and STATELABELS",
         "#NEXUS\n" + Block(standard + ";\nCHARLABELS Size 'Colour, main';\n"
                                       "STATELABELS 1 small big, 2 red [;] 'green;'",
                            "A 01\nB 10"),
         "A|B / Size=small|big / Colour, main=green;|red"},
        {"a tree nested past any tree of 19 taxa is left out",
         "#NEXUS\n" + Block(standard, "A 00\nB 11") + "BEGIN TREES; TREE t = " +
             std::string(100000, '(') + "A" + std::string(100000, ')') + "; END;",
         "A|B / Character 1=0|1 / Character 2=0|1"},
        {"DNA symbols", "#NEXUS\n" + Block("DATATYPE=DNA", "A AC\nB GC"),
         "A|B / Character 1=A|G / Character 2=C|C"},
        // A polymorphic or uncertain cell is named a/b; its states are those it names,
        // also when no other taxon has one of them on its own.
        {"polymorphic and uncertain cells",
         "#NEXUS\n" + Block(standard + ";\nCHARSTATELABELS 1 Fin / no yes", "A (01){01}\nB 01"),
         "A|B / Fin=no/yes|no / Character 2=0/1|1 [A 1=no,yes] [A 2=0,1]"},
        {"ambiguous base", "#NEXUS\n" + Block("DATATYPE=DNA", "A AR\nB GC"),
         "A|B / Character 1=A|G / Character 2=A/G|C [A 2=A,G]"},
        {"continuous", "#NEXUS\n" + Block("DATATYPE=CONTINUOUS", "A 1.5 2\nB 3 4"),
         "2: continuous characters: only discrete states can be read"},
        // Counts past the tables are refused at their DIMENSIONS, before NCL reserves room.
        {"forty-one taxa", "#NEXUS\nBEGIN TAXA;\nDIMENSIONS NTAX=41;\nTAXLABELS A;\nEND;\n",
         "3: 41 taxa (at most 40)"},
        {"forty-one characters", "#NEXUS\nBEGIN DATA;\nDIMENSIONS NTAX=1 NCHAR=41;\n",
         "3: 41 characters (at most 40)"},
        {"billions of taxa", "#NEXUS\nBEGIN DATA;\nDIMENSIONS NCHAR=1\n NTAX = 99999999999999;",
         "4: 999999999... taxa (at most 40)"},
        {"long taxon name", "#NEXUS\n" + Block(standard, std::string(32, 'n') + " 00\nB 11"),
         "2: name of taxon 1 has 32 characters (at most 31)"},
        {"long state name",
         "#NEXUS\n" +
             Block(standard + ";\nCHARSTATELABELS 1 C / " + std::string(100, 's'), "A 00\nB 11"),
         "2: state of taxon 1 for character 1 has 100 characters (at most 99)"},
        {"no characters", "#NEXUS\nBEGIN TAXA;\nDIMENSIONS NTAX=2;\nTAXLABELS A B;\nEND;\n",
         "5: file ends without a CHARACTERS or DATA block"},
        {"syntax error", "#NEXUS\n" + Block(standard, "A 01\nB 0"),
         "8: Error reading character 2 for taxon 2 (name \"B\"): Invalid state specified \";\""},
    };
    for (const Case& c : cases) {
        ResetMatrix();
        std::strcpy(gTaxa[0].name, "Before");
        std::ofstream(path, std::ios::binary) << c.content;
        ASSERT_TRUE(IsNexusFile(path.c_str())) << c.what;
        Refusal why;
        std::string tree;
        testing::internal::CaptureStdout();
        const bool ok = LoadNexusMatrix(path.c_str(), &why, nullptr, &tree);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(ok ? Describe(tree) : DescribeRefusal(why).substr(path.size() + 1), c.expected)
            << c.what;
        EXPECT_EQ(out, "") << c.what << ": the reader prints nothing";
        EXPECT_STREQ(gTaxa[0].name, ok ? gTaxa[0].name : "Before") << c.what << ": tables touched";
    }
    std::remove(path.c_str());
}

} // namespace
