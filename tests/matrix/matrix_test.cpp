// Tests of the character matrix reader: the field rules and their quirks, files saved by
// spreadsheets, and files that break the layout, which must leave the last load intact.
#include "matrix/matrix.h"
#include "tests/matrix/describe_matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace std::string_literals;

namespace {

// Every table a load may touch, for before/after comparison.
struct Snapshot {
    TaxonRecord taxa[kMaxTaxa];
    int32_t taxonCount;
    int32_t characterCount;
    char characterNames[kMaxCharacters][kMatrixNameSize];
    char stateNames[kMaxCharacters][kMaxStates][kMatrixNameSize];
    int32_t stateCounts[kMaxCharacters];

    static Snapshot Take() {
        Snapshot s;
        std::memcpy(s.taxa, gTaxa, sizeof gTaxa);
        s.taxonCount = gTaxonCount;
        s.characterCount = gCharacterCount;
        std::memcpy(s.characterNames, gCharacterNames, sizeof gCharacterNames);
        std::memcpy(s.stateNames, gStateNames, sizeof gStateNames);
        std::memcpy(s.stateCounts, gStateCounts, sizeof gStateCounts);
        return s;
    }
    // Field by field: the records' padding bytes are not part of the tables.
    bool operator==(const Snapshot& o) const {
        for (int t = 0; t < kMaxTaxa; ++t) {
            if (taxa[t].flag != o.taxa[t].flag ||
                std::memcmp(taxa[t].states, o.taxa[t].states, sizeof taxa[t].states) != 0 ||
                std::memcmp(taxa[t].name, o.taxa[t].name, sizeof taxa[t].name) != 0)
                return false;
        }
        return taxonCount == o.taxonCount && characterCount == o.characterCount &&
               std::memcmp(characterNames, o.characterNames, sizeof characterNames) == 0 &&
               std::memcmp(stateNames, o.stateNames, sizeof stateNames) == 0 &&
               std::memcmp(stateCounts, o.stateCounts, sizeof stateCounts) == 0;
    }
};

const char* const kFiveLines = "Title line, anything\n"
                               "A,B,T1,T2,T3,UNUSED,UNUSED\n"
                               "1,C1,x,y,x\n"
                               "2,C2,p,p,q\n"
                               "3,UNUSED\n";

class MatrixTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetMatrix();
        std::string pattern = testing::TempDir() + "matrix_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        for (const std::string& path : written_)
            std::remove(path.c_str());
        std::remove(dir_.c_str());
    }

    std::string Write(const std::string& name, const std::string& content) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        written_.push_back(path);
        return path;
    }

    // Loads content from a file of that name; returns what the reader printed (nothing:
    // refusals are the app's to show).
    std::string Load(const std::string& name, const std::string& content, bool* ok,
                     Refusal* refusal = nullptr) {
        std::string path = Write(name, content);
        testing::internal::CaptureStdout();
        *ok = LoadCharacterMatrix(path.c_str(), refusal);
        return testing::internal::GetCapturedStdout();
    }

    void LoadGood(const std::string& content) {
        bool ok = false;
        std::string out = Load("good.csv", content, &ok);
        ASSERT_TRUE(ok) << out;
        ASSERT_EQ(out, "");
    }

    // A file that loads gives the matrix (DescribeMatrix), one that is refused its
    // "line[:column]: problem"; either way the reader prints nothing.
    struct FileCase {
        const char* what;
        std::string content;
        std::string matrix;
    };
    void ExpectOutcome(const FileCase& c) {
        LoadGood(kFiveLines);
        bool ok = false;
        Refusal why;
        const std::string out = Load("sheet.csv", c.content, &ok, &why);
        const std::string prefix = dir_ + "/sheet.csv:";
        EXPECT_EQ(ok ? DescribeMatrix() : DescribeRefusal(why).substr(prefix.size()), c.matrix)
            << c.what;
        EXPECT_EQ(out, "") << c.what;
    }

    std::string dir_;
    std::vector<std::string> written_;
};

TEST_F(MatrixTest, FiveLineFileFillsTheTables) {
    EXPECT_STREQ(gTaxa[0].name, "Unused");
    EXPECT_EQ(gTaxa[0].states[0], kNoState);
    LoadGood(kFiveLines);

    ASSERT_EQ(gTaxonCount, 3);
    ASSERT_EQ(gCharacterCount, 2);
    EXPECT_STREQ(gTaxa[0].name, "T1");
    EXPECT_STREQ(gTaxa[1].name, "T2");
    EXPECT_STREQ(gTaxa[2].name, "T3");
    EXPECT_STREQ(gTaxa[3].name, "Unused");
    EXPECT_STREQ(gCharacterNames[0], "C1");
    EXPECT_STREQ(gCharacterNames[1], "C2");
    const int32_t expected[3][2] = {{0, 0}, {1, 0}, {0, 1}};
    for (int t = 0; t < 3; ++t)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(gTaxa[t].states[c], expected[t][c]) << t << "," << c;
    EXPECT_EQ(gTaxa[0].states[2], kNoState); // beyond the characters: untouched
    EXPECT_EQ(gStateCounts[0], 2);
    EXPECT_EQ(gStateCounts[1], 2);
    EXPECT_STREQ(gStateNames[0][0], "x");
    EXPECT_STREQ(gStateNames[0][1], "y");
    EXPECT_STREQ(gStateNames[1][0], "p");
    EXPECT_STREQ(gStateNames[1][1], "q");
    for (int c = 0; c < kMaxCharacters; ++c)
        for (int s = (c < 2 ? 2 : 0); s < kMaxStates; ++s)
            ASSERT_STREQ(gStateNames[c][s], "---") << c << "," << s;
}

TEST_F(MatrixTest, FieldQuirksFilesMayRelyOn) {
    const std::string longTitle(5000, 'z');
    LoadGood(longTitle + ",UNUSED,,\n"
                         ",,A,,B,T 1 ,t1,,,T1,UNUSED,extra,UNUSED\n"
                         "1,,Size, b,B,a,b ,a,not,read\n"
                         "2,Case,Q,q,Q,q,q\n"
                         "3,Order,z,a,m,a,z\n"
                         "4,UNUSED,more,fields\n"
                         "after the marker nothing is read\n");
    ASSERT_EQ(gTaxonCount, 3);
    ASSERT_EQ(gCharacterCount, 3);
    EXPECT_STREQ(gTaxa[0].name, "T 1 "); // spaces kept
    EXPECT_STREQ(gTaxa[1].name, "t1");   // case kept: a different taxon
    EXPECT_STREQ(gTaxa[2].name, "T1");
    EXPECT_STREQ(gCharacterNames[0], "Size"); // the empty field vanished
    // " b" and "B" and "b " are three states; the fields past the third taxon are unread.
    EXPECT_EQ(gStateCounts[0], 3);
    EXPECT_STREQ(gStateNames[0][0], " b");
    EXPECT_STREQ(gStateNames[0][1], "B");
    EXPECT_STREQ(gStateNames[0][2], "a");
    EXPECT_EQ(gStateCounts[1], 2);
    EXPECT_EQ(gTaxa[0].states[1], 0);
    EXPECT_EQ(gTaxa[1].states[1], 1);
    EXPECT_EQ(gTaxa[2].states[1], 0);
    // Numbered by first appearance, not sorted: z, a, m.
    EXPECT_EQ(gTaxa[0].states[2], 0);
    EXPECT_EQ(gTaxa[1].states[2], 1);
    EXPECT_EQ(gTaxa[2].states[2], 2);
    EXPECT_STREQ(gStateNames[2][1], "a");
}

TEST_F(MatrixTest, SpreadsheetFilesLoadLikeTheirPlainForm) {
    const std::string plain = "t\nA,B,T1,T2,UNUSED,\n1,C1,x,y\n2,C2,yy,yy\n3,UNUSED\n";
    LoadGood(plain);
    const Snapshot reference = Snapshot::Take();

    struct Variant {
        const char* what;
        std::string content;
    };
    const Variant variants[] = {
        {"CR LF", "t\r\nA,B,T1,T2,UNUSED,\r\n1,C1,x,y\r\n2,C2,yy,yy\r\n3,UNUSED\r\n"},
        {"no final line end", "t\nA,B,T1,T2,UNUSED,\n1,C1,x,y\n2,C2,yy,yy\n3,UNUSED"},
        {"CR LF cut after the CR", "t\r\nA,B,T1,T2,UNUSED\r\n1,C1,x,y\r\n2,C2,yy,yy\r\n3,UNUSED\r"},
        {"marker last on the header", "t\nA,B,T1,T2,UNUSED\n1,C1,x,y\n2,C2,yy,yy\n3,UNUSED\n"},
        {"all at once", "t\r\nA,B,T1,T2,UNUSED\r\n1,C1,x,y\r\n2,C2,yy,yy\r\n3,UNUSED"},
    };
    for (const Variant& v : variants) {
        ResetMatrix();
        LoadGood(v.content);
        EXPECT_TRUE(Snapshot::Take() == reference) << v.what;
    }
}

TEST_F(MatrixTest, LimitsAreExactlyTheSlots) {
    // 19 taxa and 19 characters fill every slot but the marker's. Names at full length;
    // the states are as long as a 998-character line allows.
    std::string header = "t\nA,B";
    for (int t = 0; t < 19; ++t)
        header += "," + std::string(31, static_cast<char>('a' + t));
    auto stateText = [](int t, int c) {
        return std::string(45, static_cast<char>('a' + (t * c) % 7));
    };
    std::string body;
    for (int c = 0; c < 19; ++c) {
        body += "1," + std::string(99, static_cast<char>('A' + c));
        for (int t = 0; t < 19; ++t)
            body += "," + stateText(t, c);
        body += "\n";
    }
    LoadGood(header + ",UNUSED\n" + body + "2,UNUSED\n");
    EXPECT_EQ(gTaxonCount, 19);
    EXPECT_EQ(gCharacterCount, 19);
    EXPECT_EQ(std::strlen(gTaxa[18].name), 31u);
    EXPECT_EQ(std::strlen(gCharacterNames[18]), 99u);
    for (int c = 0; c < 19; ++c) {
        for (int t = 0; t < 19; ++t) {
            const int32_t s = gTaxa[t].states[c];
            ASSERT_GE(s, 0);
            ASSERT_LT(s, gStateCounts[c]);
            ASSERT_EQ(gStateNames[c][s], stateText(t, c));
        }
    }
    LoadGood("t\nA,B,T,UNUSED\n1,C," + std::string(99, 's') + "\n2,UNUSED\n");
    EXPECT_EQ(std::strlen(gStateNames[0][0]), 99u);

    // A line of exactly 998 characters is read, with or without CR LF; the field past
    // the last taxon is not read, so its length does not matter.
    const std::string line = "1,C,v," + std::string(998 - 6, 'w');
    ASSERT_EQ(line.size(), 998u);
    LoadGood("t\nA,B,T,UNUSED\n" + line + "\n2,UNUSED\n");
    LoadGood("t\nA,B,T,UNUSED\n" + line + "\r\n2,UNUSED\n");
    EXPECT_STREQ(gStateNames[0][0], "v");
}

// Each file breaks the layout in one way: it is refused whole, with a refusal naming the
// file, the line and the problem (nothing printed), and the previous load stays as it was.
TEST_F(MatrixTest, BrokenFilesLeaveThePreviousLoadIntact) {
    LoadGood(kFiveLines);
    const Snapshot before = Snapshot::Take();

    std::string twentyTaxa = "A,B";
    for (int t = 0; t < 20; ++t)
        twentyTaxa += ",T" + std::to_string(t);
    std::string twentyCharacters;
    for (int c = 0; c < 20; ++c)
        twentyCharacters += "1,C" + std::to_string(c) + ",x\n";
    const std::string tooLong = "1,C,v," + std::string(999 - 6, 'w');

    struct Broken {
        std::string content;
        int line;
        const char* problem;
    };
    const Broken cases[] = {
        {"", 1, "file is empty"},
        {"only a title\n", 2, "file ends before the header line"},
        {"only a title", 2, "file ends before the header line"},
        {"t\n\n1,C,x\n2,UNUSED\n", 2, "blank header line"},
        {"t\nA,B,T1,T2\n1,C,x,y\n2,UNUSED\n", 2, "header line has no UNUSED after the taxon names"},
        {"t\nA,B,T1,UNUSED \n1,C,x\n2,UNUSED\n", 2,
         "header line has no UNUSED after the taxon names"},
        {"t\nA,B,T1,unused,\n1,C,x\n2,UNUSED\n", 2,
         "header line has no UNUSED after the taxon names"},
        {"t\n" + twentyTaxa + ",UNUSED\n1,C,x\n2,UNUSED\n", 2,
         "header lists 20 taxa without UNUSED (at most 19 taxa; a sheet with one taxon per row "
         "takes "
         "up to 40)"},
        {"t\nA,B," + std::string(32, 'n') + ",UNUSED\n1,C,x\n2,UNUSED\n", 2,
         "name of taxon 1 has 32 characters (at most 31)"},
        {"t\nA,B,T1,UNUSED\n1,C,x\n", 4,
         "file ends before the UNUSED line that closes the characters"},
        {"t\nA,B,T1,UNUSED\n", 3, "file ends before the UNUSED line that closes the characters"},
        {"t\nA,B,T1,UNUSED\n1,C,x\n\n2,UNUSED\n", 4,
         "blank line before the UNUSED line that closes the characters"},
        {"t\nA,B,T1,UNUSED\r\n1,C,x\r\n,,,\r\n2,UNUSED\r\n", 4,
         "blank line before the UNUSED line that closes the characters"},
        {"t\nA,B,T1,UNUSED\n,UNUSED\n", 3, "character line has no name field"},
        {"t\nA,B,T1,T2,T3,UNUSED\n1,C1,x,y,x\n2,C2,p,,q\n3,UNUSED\n", 4,
         "character line has 2 state fields for 3 taxa"},
        {"t\nA,B,T1,T2,UNUSED\n1,C1\n2,UNUSED\n", 3,
         "character line has 0 state fields for 2 taxa"},
        {"t\nA,B,T1,UNUSED\n" + twentyCharacters + "2,UNUSED\n", 22,
         "20 character lines without UNUSED (at most 19 characters; a sheet with one taxon per row "
         "takes up to 40)"},
        {"t\nA,B,T1,UNUSED\n1," + std::string(100, 'c') + ",x\n2,UNUSED\n", 3,
         "character name has 100 characters (at most 99)"},
        {"t\nA,B,T1,T2,UNUSED\n1,C,x," + std::string(100, 's') + "\n2,UNUSED\n", 3,
         "state of taxon 2 has 100 characters (at most 99)"},
        {"t\nA,B,T,UNUSED\n" + tooLong + "\n2,UNUSED\n", 3, "line is longer than 998 characters"},
        {"t\nA,B,T,UNUSED\n" + tooLong + "\r\n2,UNUSED\n", 3, "line is longer than 998 characters"},
        {"t\nA,B,T1,UNUSED\n1,C,a\0b\n2,UNUSED\n"s, 3, "line holds a NUL byte"},
    };
    for (const Broken& b : cases) {
        bool ok = true;
        Refusal why;
        const std::string out = Load("data.csv", b.content, &ok, &why);
        const std::string expected =
            dir_ + "/data.csv:" + std::to_string(b.line) + ": " + b.problem;
        EXPECT_FALSE(ok) << b.problem;
        EXPECT_EQ(out, "");
        EXPECT_EQ(DescribeRefusal(why), expected);
        EXPECT_TRUE(Snapshot::Take() == before) << b.problem;
    }
}

TEST_F(MatrixTest, UnreadableFilesChangeNothing) {
    LoadGood(kFiveLines);
    const Snapshot before = Snapshot::Take();
    Refusal why;
    testing::internal::CaptureStdout();
    const std::string path = dir_ + "/absent.csv";
    EXPECT_FALSE(LoadCharacterMatrix(path.c_str(), &why));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(DescribeRefusal(why), "cannot open " + path);
    EXPECT_TRUE(Snapshot::Take() == before);

    // A folder opens but cannot be read: refused like a broken file, not taken as empty.
    EXPECT_FALSE(LoadCharacterMatrix(dir_.c_str(), &why));
    EXPECT_EQ(DescribeRefusal(why), dir_ + ":1: cannot read the file");
    EXPECT_TRUE(Snapshot::Take() == before);
}

TEST_F(MatrixTest, SmallerSecondLoadReplacesCountsAndStates) {
    LoadGood(kFiveLines);
    LoadGood("t\nA,B,UNUSED,T9\n1,OnlyName,\n2,UNUSED\n");
    EXPECT_EQ(gTaxonCount, 0);
    EXPECT_EQ(gCharacterCount, 1);
    EXPECT_STREQ(gCharacterNames[0], "OnlyName");
    EXPECT_EQ(gStateCounts[0], 0);
    EXPECT_STREQ(gStateNames[0][0], "---"); // every state name reset
    EXPECT_EQ(gStateCounts[1], 0);
    // Slots past the new counts are back at their start values: nothing of the first
    // file can show.
    EXPECT_STREQ(gTaxa[0].name, "Unused");
    EXPECT_EQ(gTaxa[2].states[1], kNoState);

    LoadGood("t\nA,B,New,UNUSED\n1,K,s\n2,UNUSED\n");
    EXPECT_EQ(gTaxonCount, 1);
    EXPECT_STREQ(gTaxa[0].name, "New");
    EXPECT_EQ(gTaxa[0].states[0], 0);
    EXPECT_EQ(gTaxa[0].states[1], kNoState); // past the count: not the first file's C2
}

// Random matrices written with random separators and line ends read back cell for cell.
// Names are written as a spreadsheet writes them: quoted (quotes doubled) when they hold
// the separator or start with a quote, and now and then quoted anyway.
TEST_F(MatrixTest, RandomMatricesReadBackCellForCell) {
    std::mt19937 rng(12345);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::string alphabet = "aAbB c.-_;\t\"'";
    for (int round = 0; round < 200; ++round) {
        const int taxa = pick(0, 19);
        const int characters = pick(0, 19);
        const bool crlf = pick(0, 1) == 1;
        const char separator = pick(0, 1) ? ',' : ';';
        auto sep = [&] { return std::string(pick(1, 3), separator); };
        auto lineEnd = [&] { return crlf ? std::string("\r\n") : std::string("\n"); };
        auto name = [&](int maxLength) {
            std::string n;
            const int length = pick(1, maxLength);
            for (int i = 0; i < length; ++i)
                n += alphabet[pick(0, static_cast<int>(alphabet.size()) - 1)];
            return n;
        };
        auto field = [&](const std::string& n) {
            if (n.find(separator) == std::string::npos && n[0] != '"' && pick(0, 3) != 0) return n;
            std::string quoted = "\"";
            for (char ch : n)
                quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
            return quoted + "\"";
        };

        std::vector<std::string> taxonNames;
        std::string file = name(40) + lineEnd() + (pick(0, 1) ? sep() : "") + "x" + sep() + "y";
        for (int t = 0; t < taxa; ++t) {
            taxonNames.push_back(name(31));
            file += sep() + field(taxonNames.back());
        }
        file += sep() + "UNUSED" + (pick(0, 1) ? sep() : "") + lineEnd();
        std::vector<std::vector<std::string>> cells(characters);
        std::vector<std::string> characterNames;
        for (int c = 0; c < characters; ++c) {
            characterNames.push_back(name(60)); // a line stays within 998 characters
            file += "#" + sep() + field(characterNames.back());
            for (int t = 0; t < taxa; ++t) {
                cells[c].push_back(name(pick(0, 1) ? 2 : 40)); // short names repeat
                file += sep() + field(cells[c].back());
            }
            file += (pick(0, 1) ? sep() : "") + lineEnd();
        }
        file += "#" + sep() + "UNUSED" + (pick(0, 1) ? lineEnd() : "");

        bool ok = false;
        const std::string out = Load("random.csv", file, &ok);
        ASSERT_TRUE(ok) << out;
        ASSERT_EQ(gTaxonCount, taxa);
        ASSERT_EQ(gCharacterCount, characters);
        for (int t = 0; t < taxa; ++t)
            ASSERT_EQ(gTaxa[t].name, taxonNames[t]);
        for (int c = 0; c < characters; ++c) {
            ASSERT_EQ(gCharacterNames[c], characterNames[c]);
            int32_t highest = -1; // states appear in order: each new one is the next number
            for (int t = 0; t < taxa; ++t) {
                const int32_t s = gTaxa[t].states[c];
                ASSERT_GE(s, 0);
                ASSERT_LE(s, highest + 1);
                highest = std::max(highest, s);
                ASSERT_EQ(gStateNames[c][s], cells[c][t]);
            }
            ASSERT_EQ(gStateCounts[c], highest + 1);
        }
    }
}

// UTF-16 of ASCII text and the code points given, with a byte-order mark.
std::string Utf16(const std::u16string& text, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return out;
}

// Files as spreadsheets write them, each with the matrix it gives or the refusal it prints.
TEST_F(MatrixTest, SpreadsheetFilesGiveTheirMatrixOrTheirRefusal) {
    const std::u16string utf16 = u"t\r\nA,B,P\u00e9rez,Ping\u00fcino,Z\U0001F41F,UNUSED\r\n"
                                 u"1,\u00c9cailles,oui,non,oui\r\n2,UNUSED\r\n";
    const std::string utf8 = "P\xC3\xA9rez|Ping\xC3\xBCino|Z\xF0\x9F\x90\x9F / "
                             "\xC3\x89"
                             "cailles=oui|non|oui";
    const FileCase cases[] = {
        {"quoted names with commas",
         "t\nA,B,\"Fish, bony\",Shark,UNUSED\n"
         "1,\"Skeleton, bony\",present,absent\n2,UNUSED\n",
         "Fish, bony|Shark / Skeleton, bony=present|absent"},
        {"doubled quotes, quoted marker",
         "t\n\"A\",\"B\",\"6\"\" fin\",\"\"\"x\"\"\",\"UNUSED\"\n"
         "1,\"a\"\"b\"\"\",\"\"\"\",a\"b\n2,UNUSED\n",
         "6\" fin|\"x\" / a\"b\"=\"|a\"b"},
        {"quote inside an unquoted field", "t\nA,B,x\"y,UNUSED\n1,C,z\"\n2,UNUSED\n",
         "x\"y / C=z\""},
        {"semicolon file", "t\r\nA;B;Fish;Shark;UNUSED\r\n1;Size, cm;1,5;2,5\r\n2;UNUSED\r\n",
         "Fish|Shark / Size, cm=1,5|2,5"},
        {"semicolons quoted", "t\nA;B;\"a;b\";;c;UNUSED\n1;C;\"x;\";y\n2;UNUSED\n",
         "a;b|c / C=x;|y"},
        {"header with commas decides", "t\nA,B,T1;T2,UNUSED\n1,C,x;y\n2,UNUSED\n", "T1;T2 / C=x;y"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBFt\nA,B,T,UNUSED\n1,C,x\n2,UNUSED\n", "T / C=x"},
        {"UTF-16 LE", Utf16(utf16, true), utf8},
        {"UTF-16 BE", Utf16(utf16, false), utf8},
        {"UTF-16 lone surrogate", Utf16(u"t\nA,B,\xD800x,UNUSED\n1,C,y\n2,UNUSED\n", true),
         "\xEF\xBF\xBDx / C=y"},
        {"unclosed quote", "t\nA,B,T1,UNUSED\n1,\"C,x\n2,UNUSED\n",
         "3: a field opened with a double quote is not closed on its line"},
        {"quote closed only by a later quote", "t\nA,B,\"T1,UNUSED\n",
         "2: a field opened with a double quote is not closed on its line"},
        {"file past the size limit",
         "t\nA,B,T,UNUSED\n1,C,x\n2,UNUSED\n" + std::string(kMaxDataFileBytes, 'z'),
         "1: file is larger than 4194304 bytes (no data file is)"},
    };
    for (const FileCase& c : cases)
        ExpectOutcome(c);
}

// Files that are not regular files are refused before a byte is read: none may block.
TEST_F(MatrixTest, OnlyRegularFilesAreRead) {
    LoadGood(kFiveLines);
    const Snapshot before = Snapshot::Take();
    struct Case {
        std::string path;
        const char* problem;
    };
    std::vector<Case> cases = {{"/dev/zero", "not a regular file but a device"},
                               {dir_, "cannot read the file"}};
#ifndef __EMSCRIPTEN__ // the web build's in-memory file system has no FIFOs
    const std::string fifo = dir_ + "/pipe.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    written_.push_back(fifo);
    cases.push_back({fifo, "not a regular file but a FIFO"});
#endif
    for (const auto& c : cases) {
        Refusal why;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(LoadCharacterMatrix(c.path.c_str(), &why));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(DescribeRefusal(why), c.path + ":1: " + c.problem);
        EXPECT_TRUE(Snapshot::Take() == before) << c.path;
    }
}

} // namespace

namespace {

// A sheet of one taxon per row: the corner, the character names, then the rows; the
// marker layout's cells are the same ones, read along the rows.
TEST_F(MatrixTest, SheetsGiveTheirMatrixOrTheirRefusal) {
    const std::string forty(40, 'c');
    auto wide = [](int columns) {
        std::string header = "x";
        std::string row = "T";
        for (int c = 0; c < columns; ++c) {
            header += ",C" + std::to_string(c);
            row += ",s";
        }
        return header + "\n" + row + "\n";
    };
    auto tall = [](int rows) {
        std::string sheet = ",C\n";
        for (int t = 0; t < rows; ++t)
            sheet += "T" + std::to_string(t) + ",s\n";
        return sheet;
    };
    // 29 characters in 33 bytes, and two more.
    const std::string name31 = "\xC3\x89l\xC3\xA9phant d'Afrique \xC3\xA0 d\xC3\xA9"
                               "fenses X";
    const FileCase cases[] = {
        {"commas", "Taxon,Jaws,Fins\nShark,yes,yes\nLamprey,no,yes\n",
         "Shark|Lamprey / Jaws=yes|no / Fins=yes|yes"},
        {"semicolons, CR LF, quotes", "Taxon;\"Size; cm\"\r\n\"Eel; European\";1,5\r\nCod;2\r\n",
         "Eel; European|Cod / Size; cm=1,5|2"},
        {"tabs, an empty corner, a blank line", "\tJaws\tFins\nShark\tyes\tyes\n\nRay\tyes\tno\n",
         "Shark|Ray / Jaws=yes|yes / Fins=yes|no"},
        {"an empty cell is missing, trailing empty cells pad", "T,A,B,\nX,,b,\nY,a,,,\n",
         "X|Y / A=?|a / B=b|?"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBFT,A\nX,a\n", "X / A=a"},
        {"UTF-16", Utf16(u"T,\u00c9cailles\r\nP\u00e9rez,oui\r\n", true),
         "P\xC3\xA9rez / \xC3\x89"
         "cailles=oui"},
        {"31 characters in 35 bytes", "T,A\n" + name31 + ",a\n", name31 + " / A=a"},
        {"32 characters", "T,A\n" + name31 + "!,a\n",
         "2:1: name of taxon 1 has 32 characters (at most 31)"},
        {"a short row", "T,A,B\nX,a,b\nY,a\n", "3: row has 1 state for 2 characters"},
        {"a long row", "T,A\nX,a,b\n", "2: row has 2 states for 1 character"},
        {"forty characters", wide(40),
         "T / C0=s / C1=s / C2=s / C3=s / C4=s / C5=s / C6=s / C7=s / "
         "C8=s / C9=s / C10=s / C11=s / C12=s / C13=s / C14=s / C15=s / "
         "C16=s / C17=s / C18=s / C19=s / C20=s / C21=s / C22=s / C23=s / "
         "C24=s / C25=s / C26=s / C27=s / C28=s / C29=s / C30=s / C31=s / "
         "C32=s / C33=s / C34=s / C35=s / C36=s / C37=s / C38=s / C39=s"},
        {"forty-one characters", wide(41), "1: 41 characters (at most 40)"},
        {"forty-one taxa", tall(41), "42: more than 40 taxa (at most 40)"},
        {"a nameless character", "T,A,,B\nX,a,b,c\n", "1:5: character 2 has no name"},
        {"no rows", "T,A\n\n", "2: no taxon rows follow the header row"},
    };
    for (const FileCase& c : cases)
        ExpectOutcome(c);
    bool ok = false;
    Load("tall.csv", tall(40), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(gTaxonCount, 40);
}

// One matrix written in both layouts gives the same tables, cell sets included (an empty
// sheet cell is what ? is in the marker layout), so the same start tree and figures.
TEST_F(MatrixTest, BothLayoutsOfOneMatrixGiveTheSameTables) {
    std::mt19937 rng(1919);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const char* states[] = {"0", "1", "2", "?", "0/1", "a b"};
    for (int round = 0; round < 60; ++round) {
        const int taxa = pick(1, 19);
        const int characters = pick(1, 19);
        std::vector<std::vector<std::string>> cells(taxa, std::vector<std::string>(characters));
        for (auto& row : cells)
            for (std::string& cell : row)
                cell = states[pick(0, 5)];
        std::string marker = "title\nx,x";
        std::string sheet = "taxon";
        for (int t = 0; t < taxa; ++t)
            marker += ",T" + std::to_string(t);
        marker += ",UNUSED\n";
        for (int c = 0; c < characters; ++c) {
            marker += std::to_string(c) + ",C" + std::to_string(c);
            sheet += ",C" + std::to_string(c);
            for (int t = 0; t < taxa; ++t)
                marker += "," + cells[t][c];
            marker += "\n";
        }
        marker += "x,UNUSED\n";
        sheet += "\n";
        for (int t = 0; t < taxa; ++t) {
            sheet += "T" + std::to_string(t);
            for (int c = 0; c < characters; ++c)
                sheet += "," + (cells[t][c] == "?" && pick(0, 1) ? std::string() : cells[t][c]);
            sheet += "\n";
        }
        bool ok = false;
        Load("marker.csv", marker, &ok);
        ASSERT_TRUE(ok) << marker;
        const Snapshot byMarker = Snapshot::Take();
        std::vector<StateSet> setsByMarker(&gCellSets[0][0],
                                           &gCellSets[0][0] + kMaxTaxa * kMaxCharacters);
        Load("sheet.csv", sheet, &ok);
        ASSERT_TRUE(ok) << sheet;
        EXPECT_TRUE(Snapshot::Take() == byMarker) << marker << "\n" << sheet;
        EXPECT_EQ(
            std::vector<StateSet>(&gCellSets[0][0], &gCellSets[0][0] + kMaxTaxa * kMaxCharacters),
            setsByMarker);
    }
}

} // namespace
