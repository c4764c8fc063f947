// The states each cell allows: the CSV naming rules for missing and polymorphic cells as
// one table read from a real file, and the resolution of the marks a NEXUS reader stages.
#include "matrix/cell_sets.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The cell's set as state names joined by '+', in state order.
std::string Names(StateSet set, int character) {
    std::string out;
    for (int s = 0; s < kMaxStates; ++s)
        if ((set & StateBit(s)) != 0)
            out += (out.empty() ? "" : "+") + std::string(gStateNames[character][s]);
    return out;
}

TEST(CellSets, CsvRules) {
    struct Row {
        std::vector<std::string> cells; // five taxa
        std::string sets;               // what each cell allows
    };
    const Row rows[] = {
        {{"a", "b", "a", "b", "c"}, "a | b | a | b | c"},
        {{"a", "?", "b", "a", "b"}, "a | a+b | b | a | b"},         // missing: the real states
        {{"-", "a", "b", "-", "b"}, "a+b | a | b | a+b | b"},       // the gap too
        {{"a", "b", "a/b", "c", "a"}, "a | b | a+b | c | a"},       // polymorphic
        {{"a", "b", "c", "c/b/a", "a"}, "a | b | c | a+b+c | a"},   // any number of parts
        {{"a", "b", "a/x", "b", "a"}, "a | b | a/x | b | a"},       // x is no state: one name
        {{"a", "a/b", "b/a", "c", "c"}, "a | a/b | b/a | c | c"},   // b only within slashes
        {{"a", "?", "a/?", "b", "b"}, "a | a+a/?+b | a/? | b | b"}, // ? is no state of its own
        {{"a", "a/", "/", "b", "a"}, "a | a/ | / | b | a"},         // empty parts
        {{"a", "a/a", "b", "b", "b"}, "a | a | b | b | b"},         // one state twice
        {{"?", "?", "-", "?", "-"}, "? | ? | ? | ? | ?"},           // no real state: state 0
        {{"a", " ?", "?", "b", "A"}, "a |  ? | a+ ?+b+A | b | A"},  // names are exact
        {{"a", "b", "a/b", "?", "c"}, "a | b | a+b | a+b+c | c"},   // both kinds
    };
    std::string csv = "Cell sets\nx,x,T1,T2,T3,T4,T5,UNUSED\n";
    for (const Row& row : rows) {
        csv += "1,C";
        for (const std::string& cell : row.cells)
            csv += "," + cell;
        csv += "\n";
    }
    csv += "2,UNUSED\n";
    const std::string path = testing::TempDir() + "cell_sets_test.csv";
    std::ofstream(path, std::ios::binary) << csv;
    ResetMatrix();
    ASSERT_TRUE(LoadCharacterMatrix(path.c_str()));
    std::remove(path.c_str());
    ASSERT_EQ(gCharacterCount, static_cast<int>(std::size(rows)));
    for (int c = 0; c < gCharacterCount; ++c) {
        std::string sets;
        for (int t = 0; t < gTaxonCount; ++t)
            sets += (t ? " | " : "") + Names(CellStates(t, c), c);
        EXPECT_EQ(sets, rows[c].sets) << "row " << c + 1;
        for (int t = 0; t < gTaxonCount; ++t) // the editor's rule still reads the names
            EXPECT_EQ(gStateNames[c][gTaxa[t].states[c]], rows[c].cells[t]);
    }
}

// What a reader that knows its cells stages (kPlainCell, kMissingCell or a set), resolved.
TEST(CellSets, StagedMarksResolve) {
    auto tables = std::make_unique<MatrixTables>();
    ClearMatrixTables(tables.get());
    tables->taxonCount = 4;
    tables->characterCount = 3;
    const int32_t states[4][3] = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {0, 2, 0}};
    const StateSet marks[4][3] = {
        {kPlainCell, kMissingCell, kMissingCell},
        {kPlainCell, StateBit(0) | StateBit(3), kMissingCell},
        {kMissingCell, kPlainCell, kMissingCell},
        {StateBit(1) | StateBit(2), kMissingCell, kMissingCell},
    };
    const StateSet expected[4][3] = {
        {StateBit(0), 0b1011, StateBit(0)}, // missing: plain and polymorphic states
        {StateBit(1), 0b1001, StateBit(0)},
        {0b111, StateBit(1), StateBit(0)},
        {0b110, 0b1011, StateBit(0)}, // a character with no real state: state 0
    };
    for (int t = 0; t < 4; ++t)
        for (int c = 0; c < 3; ++c) {
            tables->taxa[t].states[c] = states[t][c];
            tables->cellSets[t][c] = marks[t][c];
        }
    ResolveCellSets(tables.get());
    PublishMatrix(*tables);
    for (int t = 0; t < 4; ++t)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(CellStates(t, c), expected[t][c]) << t << "," << c;
    ResetMatrix(); // a table filled by hand reads as plain cells
    gTaxa[0].states[0] = 5;
    EXPECT_EQ(CellStates(0, 0), StateBit(5));
}

} // namespace
