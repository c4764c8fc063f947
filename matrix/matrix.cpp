// The character matrix tables and LoadCharacterMatrix, the CSV reader that fills them,
// with the staging that the NEXUS reader shares. Called by the app's file loading (and the
// tests and the fuzzers); the app rebuilds the tree itself after a successful load and
// shows any refusal. No GL state. The reader parses into a staged copy of the tables and
// publishes it only when the whole file has checked out.
#include "matrix/matrix.h"

#include "base/text.h"
#include "matrix/cell_sets.h"
#include "matrix/csv_text.h"
#include "matrix/sheet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

TaxonRecord::TaxonRecord() : flag(false), name("Unused") {
    for (int32_t& s : states)
        s = kNoState;
}

TaxonRecord gTaxa[kMaxTaxa];
int32_t gTaxonCount = 0;
int32_t gCharacterCount = 0;
char gCharacterNames[kMaxCharacters][kMatrixNameSize];
char gStateNames[kMaxCharacters][kMaxStates][kMatrixNameSize];
int32_t gStateCounts[kMaxCharacters];
StateSet gCellSets[kMaxTaxa][kMaxCharacters];

// Six hues at 0.9, a light grey, the hues with 0.3 in the off channels, the hues at 0.6,
// a dark grey: character c always gets row c, whatever the file; the rows repeat for
// characters past 20.
const float gCharacterColors[kMaxCharacters][3] = {
    {0.0f, 0.0f, 0.9f}, {0.9f, 0.0f, 0.0f}, {0.0f, 0.9f, 0.0f}, {0.9f, 0.0f, 0.9f},
    {0.9f, 0.9f, 0.0f}, {0.0f, 0.9f, 0.9f}, {0.7f, 0.7f, 0.7f}, {0.3f, 0.3f, 0.9f},
    {0.9f, 0.3f, 0.3f}, {0.3f, 0.9f, 0.3f}, {0.9f, 0.3f, 0.9f}, {0.9f, 0.9f, 0.3f},
    {0.3f, 0.9f, 0.9f}, {0.0f, 0.0f, 0.6f}, {0.6f, 0.0f, 0.0f}, {0.0f, 0.6f, 0.0f},
    {0.6f, 0.0f, 0.6f}, {0.6f, 0.6f, 0.0f}, {0.0f, 0.6f, 0.6f}, {0.4f, 0.4f, 0.4f},
    {0.0f, 0.0f, 0.9f}, {0.9f, 0.0f, 0.0f}, {0.0f, 0.9f, 0.0f}, {0.9f, 0.0f, 0.9f},
    {0.9f, 0.9f, 0.0f}, {0.0f, 0.9f, 0.9f}, {0.7f, 0.7f, 0.7f}, {0.3f, 0.3f, 0.9f},
    {0.9f, 0.3f, 0.3f}, {0.3f, 0.9f, 0.3f}, {0.9f, 0.3f, 0.9f}, {0.9f, 0.9f, 0.3f},
    {0.3f, 0.9f, 0.9f}, {0.0f, 0.0f, 0.6f}, {0.6f, 0.0f, 0.0f}, {0.0f, 0.6f, 0.0f},
    {0.6f, 0.0f, 0.6f}, {0.6f, 0.6f, 0.0f}, {0.0f, 0.6f, 0.6f}, {0.4f, 0.4f, 0.4f},
    {0.0f, 0.0f, 0.9f},
};

void ResetMatrix() {
    for (TaxonRecord& t : gTaxa)
        t = TaxonRecord();
    gTaxonCount = 0;
    gCharacterCount = 0;
    std::memset(gCharacterNames, 0, sizeof gCharacterNames);
    std::memset(gStateNames, 0, sizeof gStateNames);
    std::memset(gStateCounts, 0, sizeof gStateCounts);
    std::memset(gCellSets, 0, sizeof gCellSets);
}

void ClearMatrixTables(MatrixTables* tables) {
    for (TaxonRecord& t : tables->taxa)
        t = TaxonRecord();
    tables->taxonCount = 0;
    tables->characterCount = 0;
    std::memset(tables->characterNames, 0, sizeof tables->characterNames);
    for (auto& character : tables->stateNames)
        for (auto& name : character) {
            std::memset(name, 0, sizeof name);
            std::strcpy(name, "---");
        }
    std::memset(tables->stateCounts, 0, sizeof tables->stateCounts);
    std::memset(tables->cellSets, 0, sizeof tables->cellSets);
}

void PublishMatrix(const MatrixTables& tables) {
    std::memcpy(gTaxa, tables.taxa, sizeof gTaxa);
    gTaxonCount = tables.taxonCount;
    gCharacterCount = tables.characterCount;
    std::memcpy(gCharacterNames, tables.characterNames, sizeof gCharacterNames);
    std::memcpy(gStateNames, tables.stateNames, sizeof gStateNames);
    std::memcpy(gStateCounts, tables.stateCounts, sizeof gStateCounts);
    std::memcpy(gCellSets, tables.cellSets, sizeof gCellSets);
}

int32_t StateNamed(MatrixTables* tables, int c, const char* name, std::size_t length) {
    int32_t& stateCount = tables->stateCounts[c];
    for (int32_t s = 0; s < stateCount; ++s) {
        const char* known = tables->stateNames[c][s];
        if (std::strlen(known) == length && std::memcmp(known, name, length) == 0) return s;
    }
    if (stateCount == kMaxStates) return -1;
    std::memcpy(tables->stateNames[c][stateCount], name, length);
    tables->stateNames[c][stateCount][length] = '\0';
    return stateCount++;
}

int FirstRepeatedTaxon(const MatrixTables& tables) {
    for (int t = 1; t < tables.taxonCount; ++t)
        for (int earlier = 0; earlier < t; ++earlier)
            if (std::strcmp(tables.taxa[earlier].name, tables.taxa[t].name) == 0) return t;
    return -1;
}

std::string RepeatedTaxonProblem(const char* name) {
    return "taxon '" + CutName(name) + "' appears twice: a saved tree could not tell the two apart";
}

namespace {

using csv::Fail;

constexpr const char* kMarker = "UNUSED"; // closes every list in the marker layout
// The marker layout was made for tables of 20 slots, one of them taken by a list's marker,
// so at most this many entries come from such a file, whatever the tables hold.
constexpr int kMaxFileEntries = 19;
// What a refusal of a larger file adds.
constexpr char kSheetTakesMore[] = "a sheet with one taxon per row takes up to 40";

// The problem of a character line whose states came after a skipped empty field: the
// states past it belong one taxon further left than a spreadsheet shows them.
constexpr char kSkippedEmptyField[] =
    "an empty field between the states was skipped, so the states after it are read one "
    "taxon to the left";

// Reads the file into staged (which starts clear). Returns true when the whole layout
// checked out, with the place of each taxon's name (its column on the header line) in
// taxonColumns and the character lines whose states skipped an empty field in *skips;
// false with error's line and problem set otherwise.
bool ParseMatrix(csv::Text* text, MatrixTables* staged, int* taxonColumns,
                 std::vector<Refusal>* skips, Refusal* error) {
    csv::Line line;
    csv::Fields fields;

    // Line 1 is a title of any length; nothing in it is examined.
    error->line = 1;
    if (!csv::SkipLine(text)) return Fail(error, "file is empty");

    if (!csv::NextLine(text, &line, error, "the header line", csv::kLineLimit)) return false;
    // The header tells the separator, since its names need none outside quotes.
    const char separator = csv::HeaderSeparator(line, false);
    if (!csv::Split(&line, separator, false, &fields, error)) return false;
    if (fields.count == 0) return Fail(error, "blank header line");
    // The first two fields are labels; taxon names follow, closed by the marker.
    int taxonCount = -1;
    for (int i = 2; i < fields.count && taxonCount < 0; ++i) {
        int t = i - 2;
        if (fields.Is(i, kMarker)) {
            taxonCount = t;
        } else if (t == kMaxFileEntries) {
            return Fail(error, "header lists %d taxa without %s (at most %d taxa; %s)",
                        kMaxFileEntries + 1, kMarker, kMaxFileEntries, kSheetTakesMore);
        } else if (!csv::NameFits(fields, i, t, error)) {
            return false;
        } else {
            fields.CopyTo(i, staged->taxa[t].name);
            taxonColumns[t] = fields.column[i];
        }
    }
    if (taxonCount < 0) return Fail(error, "header line has no %s after the taxon names", kMarker);
    staged->taxonCount = taxonCount;

    for (int c = 0;; ++c) {
        if (!csv::NextLine(text, &line, error, "the UNUSED line that closes the characters",
                           csv::kLineLimit))
            return false;
        if (!csv::Split(&line, separator, false, &fields, error)) return false;
        if (fields.count == 0)
            return Fail(error, "blank line before the %s line that closes the characters", kMarker);
        if (fields.count == 1) return Fail(error, "character line has no name field");
        if (fields.Is(1, kMarker)) {
            staged->characterCount = c;
            return true;
        }
        if (c == kMaxFileEntries)
            return Fail(error, "%d character lines without %s (at most %d characters; %s)",
                        kMaxFileEntries + 1, kMarker, kMaxFileEntries, kSheetTakesMore);
        if (fields.length[1] >= kMatrixNameSize)
            return Fail(error, "character name has %d characters (at most %d)", fields.length[1],
                        kMatrixNameSize - 1);
        if (fields.count - 2 < taxonCount)
            return Fail(error, "character line has %d state fields for %d taxa", fields.count - 2,
                        taxonCount);
        fields.CopyTo(1, staged->characterNames[c]);
        // Empty fields are skipped, as the layout says, but one among the states moves
        // every later state to another taxon: the user must hear of it.
        for (int i = 2; i < 2 + taxonCount; ++i) {
            if (!fields.afterEmpty[i]) continue;
            skips->push_back(
                Refusal{error->file, error->line, fields.column[i], kSkippedEmptyField});
            break;
        }

        // States are numbered by first appearance, left to right; equal means byte-equal.
        // At most one new state per taxon, and taxa < kMaxStates: never full.
        for (int t = 0; t < taxonCount; ++t) {
            const int i = 2 + t;
            if (fields.length[i] >= kMatrixNameSize)
                return Fail(error, "state of taxon %d has %d characters (at most %d)", t + 1,
                            fields.length[i], kMatrixNameSize - 1);
            staged->taxa[t].states[c] = StateNamed(staged, c, fields.start[i], fields.length[i]);
        }
    }
}

} // namespace

bool LoadCharacterMatrix(const char* fileName, Refusal* refusal, std::vector<Refusal>* warnings) {
    std::string bytes;
    if (!ReadWholeFile(fileName, &bytes, refusal)) return false;
    DecodeUtf16(&bytes);

    // Every slot starts clear, so nothing of an earlier file survives the load.
    auto staged = std::make_unique<MatrixTables>();
    ClearMatrixTables(staged.get());
    csv::Text text{bytes.data(), bytes.data() + bytes.size()};
    Refusal error{fileName, 0, 0, ""};
    // Where each taxon's name stands: the header's line 2 and a column in the marker
    // layout, a row's first column in a sheet.
    int taxonLines[kMaxTaxa];
    int taxonColumns[kMaxTaxa];
    std::fill(taxonLines, taxonLines + kMaxTaxa, 2);
    std::fill(taxonColumns, taxonColumns + kMaxTaxa, 1);
    std::vector<Refusal> skips;
    // A file with no UNUSED cell is a sheet: one taxon per row, one character per column.
    // One whose first row names no character is no sheet: the marker layout says why.
    SheetRead sheet = SheetRead::kNoSheet;
    if (!HoldsMarkerCell(bytes.data(), bytes.size()))
        sheet = ParseSheet(&text, staged.get(), taxonLines, &error);
    if (sheet == SheetRead::kRefused ||
        (sheet == SheetRead::kNoSheet &&
         !ParseMatrix(&text, staged.get(), taxonColumns, &skips, &error))) {
        if (refusal != nullptr) *refusal = error;
        return false;
    }
    DeriveCellSetsFromNames(staged.get());
    PublishMatrix(*staged);
    const int repeated = FirstRepeatedTaxon(*staged);
    if (repeated >= 0 && warnings != nullptr)
        warnings->push_back(Refusal{fileName, taxonLines[repeated], taxonColumns[repeated],
                                    RepeatedTaxonProblem(staged->taxa[repeated].name)});
    if (warnings != nullptr) warnings->insert(warnings->end(), skips.begin(), skips.end());
    return true;
}
