// The character matrix tables and LoadCharacterMatrix, the CSV reader that fills them,
// with the staging that the NEXUS reader shares. Called by the app's file loading (and the
// tests and the fuzzers); the app rebuilds the tree itself after a successful load and
// shows any refusal. No GL state. The reader parses into a staged copy of the tables and
// publishes it only when the whole file has checked out.
#include "matrix/matrix.h"

#include "base/text.h"
#include "matrix/cell_sets.h"

#include <cstdarg>
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
// a dark grey: character c always gets row c, whatever the file.
const float gCharacterColors[kMaxCharacters][3] = {
    {0.0f, 0.0f, 0.9f}, {0.9f, 0.0f, 0.0f}, {0.0f, 0.9f, 0.0f}, {0.9f, 0.0f, 0.9f},
    {0.9f, 0.9f, 0.0f}, {0.0f, 0.9f, 0.9f}, {0.7f, 0.7f, 0.7f}, {0.3f, 0.3f, 0.9f},
    {0.9f, 0.3f, 0.3f}, {0.3f, 0.9f, 0.3f}, {0.9f, 0.3f, 0.9f}, {0.9f, 0.9f, 0.3f},
    {0.3f, 0.9f, 0.9f}, {0.0f, 0.0f, 0.6f}, {0.6f, 0.0f, 0.0f}, {0.0f, 0.6f, 0.0f},
    {0.6f, 0.0f, 0.6f}, {0.6f, 0.6f, 0.0f}, {0.0f, 0.6f, 0.6f}, {0.4f, 0.4f, 0.4f},
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

constexpr int kLineLimit = 998;           // longest line (its line end not counted)
constexpr const char* kMarker = "UNUSED"; // closes every list in the file
// A list's marker takes a slot, so at most this many entries come from a file.
constexpr int kMaxFileEntries = kMaxTaxa - 1;
static_assert(kMaxTaxa == kMaxCharacters, "one list limit serves taxa and characters");

// The file's text, read line by line.
struct Text {
    const char* next;
    const char* end;
};

// One line as read: the text without its line end (LF, or CR LF as a spreadsheet
// writes it), NUL-terminated. Quoted fields are undone in place, so the text may shrink.
struct Line {
    char text[kLineLimit + 1];
    int length;
};

enum class ReadResult { kLine, kEndOfFile, kTooLong, kHasNul };

// Reads the next line. A last line without a line end is a whole line; a file that ends
// right after a line end has no further line.
ReadResult ReadLine(Text* text, Line* line) {
    line->length = 0;
    if (text->next == text->end) return ReadResult::kEndOfFile;
    const char* start = text->next;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', text->end - start));
    const char* stop = lf != nullptr ? lf : text->end;
    text->next = lf != nullptr ? lf + 1 : text->end;
    // CRs before the LF (or before the end of a file cut after them) end the line too: a
    // file passed through two converters has CR CR LF, and a CR left in the line would
    // become part of its last name.
    while (stop > start && stop[-1] == '\r')
        --stop;
    if (stop - start > kLineLimit) return ReadResult::kTooLong;
    line->length = static_cast<int>(stop - start);
    std::memcpy(line->text, start, line->length);
    line->text[line->length] = '\0';
    return std::memchr(start, '\0', line->length) != nullptr ? ReadResult::kHasNul
                                                             : ReadResult::kLine;
}

// Skips one line of any length; false when the file has no line at all.
bool SkipLine(Text* text) {
    if (text->next == text->end) return false;
    const char* lf =
        static_cast<const char*>(std::memchr(text->next, '\n', text->end - text->next));
    text->next = lf != nullptr ? lf + 1 : text->end;
    return true;
}

// The fields of a line: split at the separator, runs of separators counting as one and
// leading ones skipped, so no field is empty. Only the first kMaxFields are kept.
struct Fields {
    static constexpr int kMaxFields = 2 + kMaxTaxa;
    const char* start[kMaxFields];
    int length[kMaxFields];
    int column[kMaxFields];      // 1-based, where the field starts in the line as read
    bool afterEmpty[kMaxFields]; // an empty field was skipped just before this one
    int count;

    // Byte-for-byte and case-sensitive, as names are compared everywhere.
    bool Is(int i, const char* text) const {
        return length[i] == static_cast<int>(std::strlen(text)) &&
               std::memcmp(start[i], text, length[i]) == 0;
    }
    void CopyTo(int i, char* dest) const {
        std::memcpy(dest, start[i], length[i]);
        dest[length[i]] = '\0';
    }
};

// Moves p past the quoted part that starts at its opening quote: to just after the
// closing quote, or to end when there is none. "" inside is one quote; each byte kept is
// written at out (nullptr: nothing is kept). Returns false when the quote is not closed.
bool SkipQuoted(const char** p, const char* end, char** out) {
    for (++*p; *p < end; ++*p) {
        if (**p == '"') {
            if (*p + 1 == end || (*p)[1] != '"') {
                ++*p;
                return true;
            }
            ++*p; // a doubled quote: keep one
        }
        if (out != nullptr) *(*out)++ = **p;
    }
    return false;
}

// Splits line into fields at separator. A field that starts with a double quote is
// quoted, as spreadsheets write a cell that holds a separator or a quote: its quoted part
// ends at the next quote that is not doubled ("" inside it is one quote), the quotes are
// not part of it, and any text after the closing quote up to the separator is added as
// it stands, as a spreadsheet reads `"Frog" x` (Frog x); so a field never runs into the
// next. Its text is moved down in place, which only ever shortens it. An empty field,
// quoted or not, is skipped. Returns false when a quoted field is never closed on its line.
bool SplitFields(Line* line, char separator, Fields* fields) {
    fields->count = 0;
    const char* p = line->text;
    const char* const end = line->text + line->length;
    bool skipped = false; // an empty field since the last field kept
    while (p < end && fields->count < Fields::kMaxFields) {
        // Two separators in a row, or one that starts the line, close an empty field.
        for (bool first = true; p < end && *p == separator; ++p, first = false)
            skipped = skipped || !first || p == line->text;
        if (p == end) break;
        char* const fieldStart = line->text + (p - line->text);
        char* out = fieldStart;
        if (*p == '"' && !SkipQuoted(&p, end, &out)) return false;
        while (p < end && *p != separator)
            *out++ = *p++;
        if (out == fieldStart) {
            skipped = true;
            continue;
        }
        fields->afterEmpty[fields->count] = skipped;
        skipped = false;
        fields->start[fields->count] = fieldStart;
        fields->length[fields->count] = static_cast<int>(out - fieldStart);
        fields->column[fields->count] = static_cast<int>(fieldStart - line->text) + 1;
        ++fields->count;
    }
    return true;
}

// The separator of the file, from its header: semicolons, as a spreadsheet in a locale
// whose decimal mark is the comma writes them, when the header holds semicolons and no
// comma outside its quoted names (which may hold either); commas otherwise. A quoted part
// starts at a quote that begins the line or follows either separator.
char HeaderSeparator(const Line& header) {
    const char* p = header.text;
    const char* const end = p + header.length;
    bool comma = false;
    bool semicolon = false;
    bool fieldStart = true;
    while (p < end) {
        if (*p == '"' && fieldStart) {
            SkipQuoted(&p, end, nullptr);
            fieldStart = false;
            continue;
        }
        comma = comma || *p == ',';
        semicolon = semicolon || *p == ';';
        fieldStart = *p == ',' || *p == ';';
        ++p;
    }
    return semicolon && !comma ? ';' : ',';
}

// Sets the problem; always returns false so that callers can return its result. The line
// is the one being read (error->line).
__attribute__((format(printf, 2, 3))) bool Fail(Refusal* error, const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    error->text = text;
    return false;
}

// Reads the next line into line and counts it; false with the problem set when there is
// no usable line (missing says what the end of the file cuts short).
bool NextLine(Text* text, Line* line, Refusal* error, const char* missing) {
    ++error->line;
    switch (ReadLine(text, line)) {
    case ReadResult::kLine:
        return true;
    case ReadResult::kEndOfFile:
        return Fail(error, "file ends before %s", missing);
    case ReadResult::kTooLong:
        return Fail(error, "line is longer than %d characters", kLineLimit);
    case ReadResult::kHasNul:
        return Fail(error, "line holds a NUL byte");
    }
    return false;
}

// Splits the line just read; false with the problem set for a quote never closed.
bool Split(Line* line, char separator, Fields* fields, Refusal* error) {
    if (SplitFields(line, separator, fields)) return true;
    return Fail(error, "a field opened with a double quote is not closed on its line");
}

// The problem of a character line whose states came after a skipped empty field: the
// states past it belong one taxon further left than a spreadsheet shows them.
constexpr char kSkippedEmptyField[] =
    "an empty field between the states was skipped, so the states after it are read one "
    "taxon to the left";

// Reads the file into staged (which starts clear). Returns true when the whole layout
// checked out, with the place of each taxon's name (its column on the header line) in
// taxonColumns and the character lines whose states skipped an empty field in *skips;
// false with error's line and problem set otherwise.
bool ParseMatrix(Text* text, MatrixTables* staged, int* taxonColumns, std::vector<Refusal>* skips,
                 Refusal* error) {
    Line line;
    Fields fields;

    // Line 1 is a title of any length; nothing in it is examined.
    error->line = 1;
    if (!SkipLine(text)) return Fail(error, "file is empty");

    if (!NextLine(text, &line, error, "the header line")) return false;
    // The header tells the separator, since its names need none outside quotes.
    const char separator = HeaderSeparator(line);
    if (!Split(&line, separator, &fields, error)) return false;
    if (fields.count == 0) return Fail(error, "blank header line");
    // The first two fields are labels; taxon names follow, closed by the marker.
    int taxonCount = -1;
    for (int i = 2; i < fields.count && taxonCount < 0; ++i) {
        int t = i - 2;
        if (fields.Is(i, kMarker)) {
            taxonCount = t;
        } else if (t == kMaxFileEntries) {
            return Fail(error, "header lists %d taxa without %s (at most %d taxa)", kMaxTaxa,
                        kMarker, kMaxFileEntries);
        } else if (fields.length[i] >= kTaxonNameSize) {
            return Fail(error, "name of taxon %d has %d characters (at most %d)", t + 1,
                        fields.length[i], kTaxonNameSize - 1);
        } else {
            fields.CopyTo(i, staged->taxa[t].name);
            taxonColumns[t] = fields.column[i];
        }
    }
    if (taxonCount < 0) return Fail(error, "header line has no %s after the taxon names", kMarker);
    staged->taxonCount = taxonCount;

    for (int c = 0;; ++c) {
        if (!NextLine(text, &line, error, "the UNUSED line that closes the characters"))
            return false;
        if (!Split(&line, separator, &fields, error)) return false;
        if (fields.count == 0)
            return Fail(error, "blank line before the %s line that closes the characters", kMarker);
        if (fields.count == 1) return Fail(error, "character line has no name field");
        if (fields.Is(1, kMarker)) {
            staged->characterCount = c;
            return true;
        }
        if (c == kMaxFileEntries)
            return Fail(error, "%d character lines without %s (at most %d characters)",
                        kMaxCharacters, kMarker, kMaxFileEntries);
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
        int32_t& stateCount = staged->stateCounts[c];
        for (int t = 0; t < taxonCount; ++t) {
            const int i = 2 + t;
            if (fields.length[i] >= kMatrixNameSize)
                return Fail(error, "state of taxon %d has %d characters (at most %d)", t + 1,
                            fields.length[i], kMatrixNameSize - 1);
            int32_t s = 0;
            while (s < stateCount && !fields.Is(i, staged->stateNames[c][s]))
                ++s;
            if (s == stateCount) {
                // At most one new state per taxon, and taxa < kMaxStates: never full.
                fields.CopyTo(i, staged->stateNames[c][s]);
                ++stateCount;
            }
            staged->taxa[t].states[c] = s;
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
    Text text{bytes.data(), bytes.data() + bytes.size()};
    Refusal error{fileName, 0, 0, ""};
    int taxonColumns[kMaxTaxa] = {};
    std::vector<Refusal> skips;
    if (!ParseMatrix(&text, staged.get(), taxonColumns, &skips, &error)) {
        if (refusal != nullptr) *refusal = error;
        return false;
    }
    DeriveCellSetsFromNames(staged.get());
    PublishMatrix(*staged);
    const int repeated = FirstRepeatedTaxon(*staged);
    if (repeated >= 0 && warnings != nullptr)
        warnings->push_back(Refusal{fileName, 2, taxonColumns[repeated],
                                    RepeatedTaxonProblem(staged->taxa[repeated].name)});
    if (warnings != nullptr) warnings->insert(warnings->end(), skips.begin(), skips.end());
    return true;
}
