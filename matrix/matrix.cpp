// The character matrix tables and LoadCharacterMatrix, the CSV reader that fills them.
// Called by the app's file choice (and the tests and the fuzzer); the app rebuilds the
// tree itself after a successful load. No GL state. The reader parses into a staged
// copy of the tables and publishes it only when the whole file has checked out.
#include "matrix/matrix.h"

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
}

namespace {

constexpr int kLineLimit = 998;           // longest line (its line end not counted)
constexpr const char* kMarker = "UNUSED"; // closes every list in the file
// A list's marker takes a slot, so at most this many entries come from a file.
constexpr int kMaxFileEntries = kMaxTaxa - 1;
static_assert(kMaxTaxa == kMaxCharacters, "one list limit serves taxa and characters");

// Everything a load may change, so that a broken file can be dropped without a trace.
struct StagedMatrix {
    TaxonRecord taxa[kMaxTaxa];
    int32_t taxonCount;
    int32_t characterCount;
    char characterNames[kMaxCharacters][kMatrixNameSize];
    char stateNames[kMaxCharacters][kMaxStates][kMatrixNameSize];
    int32_t stateCounts[kMaxCharacters];
};

// One line as read: the text without its line end (LF, or CR LF as a spreadsheet
// writes it), NUL-terminated. One spare byte holds a CR that may belong to the line end.
struct Line {
    char text[kLineLimit + 2];
    int length;
};

enum class ReadResult { kLine, kEndOfFile, kTooLong, kHasNul };

// Reads the next line. A last line without a line end is a whole line; a file that ends
// right after a line end has no further line. Stops at once on an overlong line.
ReadResult ReadLine(FILE* file, Line* line) {
    line->length = 0;
    int c = std::getc(file);
    if (c == EOF) return ReadResult::kEndOfFile;
    bool hasNul = false;
    for (; c != EOF && c != '\n'; c = std::getc(file)) {
        if (line->length == kLineLimit + 1) return ReadResult::kTooLong;
        hasNul = hasNul || c == '\0';
        line->text[line->length++] = static_cast<char>(c);
    }
    // A CR before the LF (or before the end of a file cut after it) ends the line too.
    if (line->length > 0 && line->text[line->length - 1] == '\r') --line->length;
    if (line->length > kLineLimit) return ReadResult::kTooLong;
    line->text[line->length] = '\0';
    return hasNul ? ReadResult::kHasNul : ReadResult::kLine;
}

// Skips one line of any length; false when the file has no line at all.
bool SkipLine(FILE* file) {
    int c = std::getc(file);
    if (c == EOF) return false;
    while (c != EOF && c != '\n')
        c = std::getc(file);
    return true;
}

// The fields of a line: split at commas, runs of commas counting as one separator and
// leading commas skipped, so no field is empty. Only the first kMaxFields are kept.
struct Fields {
    static constexpr int kMaxFields = 2 + kMaxTaxa;
    const char* start[kMaxFields];
    int length[kMaxFields];
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

void SplitFields(const Line& line, Fields* fields) {
    fields->count = 0;
    const char* p = line.text;
    const char* end = line.text + line.length;
    while (p < end && fields->count < Fields::kMaxFields) {
        while (p < end && *p == ',')
            ++p;
        if (p == end) break;
        const char* fieldStart = p;
        while (p < end && *p != ',')
            ++p;
        fields->start[fields->count] = fieldStart;
        fields->length[fields->count] = static_cast<int>(p - fieldStart);
        ++fields->count;
    }
}

// Where and why a file was refused.
struct ParseError {
    int line = 0;
    char text[160] = "";
};

// Formats the problem; always returns false so that callers can return its result.
__attribute__((format(printf, 2, 3))) bool Fail(ParseError* error, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(error->text, sizeof error->text, format, args);
    va_end(args);
    return false;
}

// Reads the next line into line and counts it; false with the problem set when there is
// no usable line (missing says what the end of the file cuts short).
bool NextLine(FILE* file, Line* line, ParseError* error, const char* missing) {
    ++error->line;
    switch (ReadLine(file, line)) {
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

// Reads the file into staged (whose unreached slots already hold the live values).
// Returns true when the whole layout checked out; false with error filled otherwise.
bool ParseMatrix(FILE* file, StagedMatrix* staged, ParseError* error) {
    Line line;
    Fields fields;

    // Line 1 is a title of any length; nothing in it is examined.
    error->line = 1;
    if (!SkipLine(file)) return Fail(error, "file is empty");

    if (!NextLine(file, &line, error, "the header line")) return false;
    SplitFields(line, &fields);
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
        }
    }
    if (taxonCount < 0) return Fail(error, "header line has no %s after the taxon names", kMarker);
    staged->taxonCount = taxonCount;

    for (auto& character : staged->stateNames)
        for (auto& name : character)
            std::strcpy(name, "---");
    std::memset(staged->stateCounts, 0, sizeof staged->stateCounts);

    for (int c = 0;; ++c) {
        if (!NextLine(file, &line, error, "the UNUSED line that closes the characters"))
            return false;
        SplitFields(line, &fields);
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

bool LoadCharacterMatrix(const char* fileName, std::string* whyNot, bool printRefusal) {
    // Binary mode: CR LF is undone by the reader itself, the same on every platform.
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        if (whyNot != nullptr) *whyNot = std::string("cannot open ") + fileName;
        return false;
    }

    // Slots the file does not reach keep what they held, so start from the live tables.
    auto staged = std::make_unique<StagedMatrix>();
    std::memcpy(staged->taxa, gTaxa, sizeof gTaxa);
    staged->taxonCount = gTaxonCount;
    staged->characterCount = gCharacterCount;
    std::memcpy(staged->characterNames, gCharacterNames, sizeof gCharacterNames);

    ParseError error;
    bool ok = ParseMatrix(file, staged.get(), &error);
    if (std::ferror(file)) // an end of file that was really a failed read (a folder, say)
        ok = Fail(&error, "cannot read the file");
    std::fclose(file);
    if (!ok) {
        if (printRefusal) {
            std::printf("%s:%d: %s\n", fileName, error.line, error.text);
            std::fflush(stdout);
        }
        if (whyNot != nullptr)
            *whyNot = std::string(fileName) + ":" + std::to_string(error.line) + ": " + error.text;
        return false;
    }

    std::memcpy(gTaxa, staged->taxa, sizeof gTaxa);
    gTaxonCount = staged->taxonCount;
    gCharacterCount = staged->characterCount;
    std::memcpy(gCharacterNames, staged->characterNames, sizeof gCharacterNames);
    std::memcpy(gStateNames, staged->stateNames, sizeof gStateNames);
    std::memcpy(gStateCounts, staged->stateCounts, sizeof gStateCounts);
    return true;
}
