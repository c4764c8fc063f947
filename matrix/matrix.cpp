// The character matrix tables and LoadCharacterMatrix, the CSV reader that fills them,
// with the file checks, staging and refusal report that the NEXUS reader shares.
// Called by the app's file loading (and the tests and the fuzzers); the app rebuilds the
// tree itself after a successful load. No GL state. The reader parses into a staged
// copy of the tables and publishes it only when the whole file has checked out.
#include "matrix/matrix.h"

#include "matrix/cell_sets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

bool RefuseDataFile(const char* fileName, int line, const std::string& problem, std::string* whyNot,
                    bool printRefusal) {
    const std::string text = std::string(fileName) + ":" + std::to_string(line) + ": " + problem;
    if (printRefusal) {
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    }
    if (whyNot != nullptr) *whyNot = text;
    return false;
}

namespace {

// What a file that is not a regular file is, for the refusal. A folder keeps the
// message it always had: it opens, but reading it fails.
const struct {
    mode_t type;
    const char* problem;
} kFileTypeProblems[] = {
    {S_IFDIR, "cannot read the file"},
    {S_IFIFO, "not a regular file but a FIFO"},
    {S_IFCHR, "not a regular file but a device"},
    {S_IFBLK, "not a regular file but a device"},
    {S_IFSOCK, "not a regular file but a socket"},
};

// Closes the descriptor whatever way the read ends.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

} // namespace

DataFileRead ReadDataFile(const char* fileName, std::string* bytes, std::string* problem) {
    // Non-blocking, so that a FIFO without a writer cannot hold the window in open().
    FileDescriptor file{open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return DataFileRead::kCannotOpen;
    struct stat info;
    if (fstat(file.fd, &info) != 0) {
        *problem = "cannot read the file";
        return DataFileRead::kRefused;
    }
    if (!S_ISREG(info.st_mode)) {
        *problem = "not a regular file";
        for (const auto& entry : kFileTypeProblems)
            if ((info.st_mode & S_IFMT) == entry.type) *problem = entry.problem;
        return DataFileRead::kRefused;
    }
    char text[120];
    std::snprintf(text, sizeof text, "file is larger than %ld bytes (no data file is)",
                  kMaxDataFileBytes);
    if (info.st_size > kMaxDataFileBytes) {
        *problem = text;
        return DataFileRead::kRefused;
    }
    // The size may change under us: read until the end, but never past the limit.
    bytes->resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t length = 0;
    for (;;) {
        if (length == bytes->size()) {
            if (length > static_cast<std::size_t>(kMaxDataFileBytes)) {
                *problem = text;
                return DataFileRead::kRefused;
            }
            bytes->resize(std::min(length * 2 + 4096, std::size_t(kMaxDataFileBytes) + 1));
        }
        const ssize_t n = read(file.fd, &(*bytes)[length], bytes->size() - length);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            *problem = "cannot read the file";
            return DataFileRead::kRefused;
        }
        length += static_cast<std::size_t>(n);
    }
    bytes->resize(length);
    return DataFileRead::kRead;
}

namespace {

constexpr int kLineLimit = 998;           // longest line (its line end not counted)
constexpr const char* kMarker = "UNUSED"; // closes every list in the file
// A list's marker takes a slot, so at most this many entries come from a file.
constexpr int kMaxFileEntries = kMaxTaxa - 1;
static_assert(kMaxTaxa == kMaxCharacters, "one list limit serves taxa and characters");

// Appends code point cp as UTF-8.
void AppendUtf8(std::string* out, unsigned cp) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// A file that starts with a UTF-16 byte-order mark (as spreadsheets save "Unicode
// text") is turned into the same text in UTF-8, so the reader sees one encoding. A lone
// surrogate or a last odd byte becomes U+FFFD, as text editors show it. Other files
// are left as they are: a UTF-8 mark sits on the title line, which is never examined.
void DecodeUtf16(std::string* bytes) {
    if (bytes->size() < 2) return;
    const unsigned char b0 = static_cast<unsigned char>((*bytes)[0]);
    const unsigned char b1 = static_cast<unsigned char>((*bytes)[1]);
    const bool little = b0 == 0xFF && b1 == 0xFE;
    if (!little && !(b0 == 0xFE && b1 == 0xFF)) return;
    const std::string& in = *bytes;
    auto unit = [&](std::size_t i) {
        const unsigned lo = static_cast<unsigned char>(in[i + (little ? 0 : 1)]);
        const unsigned hi = static_cast<unsigned char>(in[i + (little ? 1 : 0)]);
        return hi << 8 | lo;
    };
    std::string out;
    out.reserve(in.size() * 3 / 2);
    std::size_t i = 2;
    for (; i + 1 < in.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < in.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        AppendUtf8(&out, cp);
    }
    if (i < in.size()) AppendUtf8(&out, 0xFFFD);
    bytes->swap(out);
}

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
    // A CR before the LF (or before the end of a file cut after it) ends the line too.
    if (stop > start && stop[-1] == '\r') --stop;
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

// Splits line into fields at separator. A field that starts with a double quote is
// quoted, as spreadsheets write a cell that holds a separator or a quote: it ends at the
// next quote followed by a separator or the line end, "" inside it is one quote, and
// the quotes are not part of it (its text is moved down in place, which only ever
// shortens it). An empty quoted field is skipped like any empty field. Returns false
// when a quoted field is never closed on its line.
bool SplitFields(Line* line, char separator, Fields* fields) {
    fields->count = 0;
    char* p = line->text;
    char* const end = line->text + line->length;
    while (p < end && fields->count < Fields::kMaxFields) {
        while (p < end && *p == separator)
            ++p;
        if (p == end) break;
        char* fieldStart = p;
        char* fieldEnd;
        if (*p == '"') {
            char* out = p;
            ++p;
            for (;;) {
                if (p == end) return false;
                if (*p == '"') {
                    if (p + 1 == end || p[1] == separator) break;
                    if (p[1] == '"') ++p; // a doubled quote: keep one
                }
                *out++ = *p++;
            }
            ++p; // the closing quote
            fieldEnd = out;
        } else {
            while (p < end && *p != separator)
                ++p;
            fieldEnd = p;
        }
        if (fieldEnd == fieldStart) continue;
        fields->start[fields->count] = fieldStart;
        fields->length[fields->count] = static_cast<int>(fieldEnd - fieldStart);
        ++fields->count;
    }
    return true;
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
bool NextLine(Text* text, Line* line, ParseError* error, const char* missing) {
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
bool Split(Line* line, char separator, Fields* fields, ParseError* error) {
    if (SplitFields(line, separator, fields)) return true;
    return Fail(error, "a field opened with a double quote is not closed on its line");
}

// Reads the file into staged (which starts clear). Returns true when the whole layout
// checked out; false with error filled otherwise.
bool ParseMatrix(Text* text, MatrixTables* staged, ParseError* error) {
    Line line;
    Fields fields;

    // Line 1 is a title of any length; nothing in it is examined.
    error->line = 1;
    if (!SkipLine(text)) return Fail(error, "file is empty");

    if (!NextLine(text, &line, error, "the header line")) return false;
    // A spreadsheet in a locale whose decimal mark is the comma separates with
    // semicolons; the header tells which, since its names need no comma.
    const bool semicolons = std::memchr(line.text, ',', line.length) == nullptr &&
                            std::memchr(line.text, ';', line.length) != nullptr;
    const char separator = semicolons ? ';' : ',';
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

bool ReadWholeDataFile(const char* fileName, std::string* bytes, std::string* whyNot,
                       bool printRefusal) {
    std::string problem;
    switch (ReadDataFile(fileName, bytes, &problem)) {
    case DataFileRead::kCannotOpen:
        if (whyNot != nullptr) *whyNot = std::string("cannot open ") + fileName;
        return false;
    case DataFileRead::kRefused:
        return RefuseDataFile(fileName, 1, problem, whyNot, printRefusal);
    case DataFileRead::kRead:
        break;
    }
    return true;
}

bool LoadCharacterMatrix(const char* fileName, std::string* whyNot, bool printRefusal) {
    std::string bytes;
    if (!ReadWholeDataFile(fileName, &bytes, whyNot, printRefusal)) return false;
    DecodeUtf16(&bytes);

    // Every slot starts clear, so nothing of an earlier file survives the load.
    auto staged = std::make_unique<MatrixTables>();
    ClearMatrixTables(staged.get());
    Text text{bytes.data(), bytes.data() + bytes.size()};
    ParseError error;
    if (!ParseMatrix(&text, staged.get(), &error))
        return RefuseDataFile(fileName, error.line, error.text, whyNot, printRefusal);
    DeriveCellSetsFromNames(staged.get());
    PublishMatrix(*staged);
    return true;
}
