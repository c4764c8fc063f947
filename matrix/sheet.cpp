// The sheet layout (see sheet.h). Called by LoadCharacterMatrix; parses into the staged
// tables, which the caller publishes only when the whole file checked out.
#include "matrix/sheet.h"

#include <algorithm>
#include <cstring>

namespace {

using csv::Fail;

constexpr char kMarker[] = "UNUSED";
// The state a sheet's empty cell takes: the name a missing cell has in either layout.
constexpr char kMissingName[] = "?";

// The fields that count: trailing empty ones, as spreadsheets pad short rows, do not.
int FilledCount(const csv::Fields& fields) {
    int count = fields.count;
    while (count > 0 && fields.length[count - 1] == 0)
        --count;
    return count;
}

} // namespace

bool HoldsMarkerCell(const char* text, std::size_t length) {
    // Most sheets hold no such word at all: no line needs splitting then.
    if (memmem(text, length, kMarker, sizeof kMarker - 1) == nullptr) return false;
    csv::Text lines{text, text + length};
    csv::Line line;
    for (csv::ReadResult read; (read = csv::ReadLine(&lines, &line, csv::kSheetLineLimit)) !=
                               csv::ReadResult::kEndOfFile;) {
        if (read != csv::ReadResult::kLine || std::strstr(line.text, kMarker) == nullptr) continue;
        for (char separator : {',', ';', '\t'}) {
            csv::Line copy = line; // splitting undoes quotes in place
            csv::Fields fields;
            if (!csv::SplitFields(&copy, separator, true, &fields)) continue;
            for (int i = 0; i < fields.count; ++i)
                if (fields.Is(i, kMarker)) return true;
        }
    }
    return false;
}

namespace {

bool Parse(csv::Text* text, MatrixTables* staged, int* taxonLines, Refusal* error, bool* noSheet) {
    csv::Line line;
    csv::Fields fields;
    error->line = 0;
    *noSheet = true;
    if (text->next == text->end) return false;
    if (!csv::NextLine(text, &line, error, "the header row", csv::kSheetLineLimit)) return false;
    const char separator = csv::HeaderSeparator(line, true);
    if (!csv::Split(&line, separator, true, &fields, error)) return false;
    const int characterCount = FilledCount(fields) - 1;
    if (characterCount <= 0) return false;
    *noSheet = false;
    if (fields.more || characterCount > kMostEntries)
        return Fail(error, "%d characters (at most %d)", characterCount, kMostEntries);
    for (int c = 0; c < characterCount; ++c) {
        const int i = c + 1;
        error->column = fields.column[i];
        if (fields.length[i] == 0) return Fail(error, "character %d has no name", c + 1);
        if (fields.length[i] >= kMatrixNameSize)
            return Fail(error, "name of character %d has %d characters (at most %d)", c + 1,
                        fields.length[i], kMatrixNameSize - 1);
        fields.CopyTo(i, staged->characterNames[c]);
    }
    error->column = 0;

    int taxonCount = 0;
    for (;;) {
        ++error->line;
        const csv::ReadResult read = csv::ReadLine(text, &line, csv::kSheetLineLimit);
        if (read == csv::ReadResult::kEndOfFile) break;
        if (read == csv::ReadResult::kTooLong)
            return Fail(error, "line is longer than %d characters", csv::kSheetLineLimit);
        if (read == csv::ReadResult::kHasNul) return Fail(error, "line holds a NUL byte");
        if (!csv::Split(&line, separator, true, &fields, error)) return false;
        const int filled = FilledCount(fields);
        if (filled == 0) continue; // a blank row
        // A row may end in empty cells past the last character, never hold more states.
        const int cells = fields.count <= characterCount + 1 ? fields.count
                                                             : std::max(filled, characterCount + 1);
        if (fields.more)
            return Fail(error, "row has more than %d states for %d characters",
                        csv::Fields::kMaxFields - 1, characterCount);
        if (cells != characterCount + 1)
            return Fail(error, "row has %d state%s for %d character%s", cells - 1,
                        cells == 2 ? "" : "s", characterCount, characterCount == 1 ? "" : "s");
        if (taxonCount == kMostEntries)
            return Fail(error, "more than %d taxa (at most %d)", kMostEntries, kMostEntries);
        const int t = taxonCount++;
        taxonLines[t] = error->line;
        error->column = fields.column[0];
        if (fields.length[0] == 0) return Fail(error, "row has no taxon name");
        if (!csv::NameFits(fields, 0, t, error)) return false;
        fields.CopyTo(0, staged->taxa[t].name);
        for (int c = 0; c < characterCount; ++c) {
            const int i = c + 1;
            error->column = fields.column[i];
            if (fields.length[i] >= kMatrixNameSize)
                return Fail(error, "state of taxon %d has %d characters (at most %d)", t + 1,
                            fields.length[i], kMatrixNameSize - 1);
            const bool empty = fields.length[i] == 0;
            const int32_t s = StateNamed(staged, c, empty ? kMissingName : fields.start[i],
                                         empty ? sizeof kMissingName - 1 : fields.length[i]);
            if (s < 0)
                return Fail(error, "character %d has more than %d states", c + 1, kMaxStates);
            staged->taxa[t].states[c] = s;
        }
        error->column = 0;
    }
    if (taxonCount == 0) {
        error->line = 2;
        return Fail(error, "no taxon rows follow the header row");
    }
    staged->taxonCount = taxonCount;
    staged->characterCount = characterCount;
    return true;
}

} // namespace

SheetRead ParseSheet(csv::Text* text, MatrixTables* staged, int* taxonLines, Refusal* error) {
    const csv::Text start = *text;
    bool noSheet = false;
    if (Parse(text, staged, taxonLines, error, &noSheet)) return SheetRead::kRead;
    if (!noSheet) return SheetRead::kRefused;
    *text = start;
    error->line = error->column = 0;
    error->text.clear();
    return SheetRead::kNoSheet;
}
