// The text of a CSV data file as both layouts read it: lines (any run of CRs before a
// line end belongs to it), fields split at a separator with quoted fields undone as a
// spreadsheet writes them, and the file's separator from its first line. Internal to the
// matrix library: the marker layout (matrix.cpp) and the sheet layout (sheet.cpp) read
// through it. No GL, no X.
#pragma once

#include "base/refusal.h"
#include "matrix/matrix.h"

namespace csv {

// Longest line of the marker layout (its line end not counted), and of a sheet, whose
// rows hold up to 40 names of up to 99 bytes.
constexpr int kLineLimit = 998;
constexpr int kSheetLineLimit = 8000;

// The file's text, read line by line.
struct Text {
    const char* next;
    const char* end;
};

// One line as read: the text without its line end, NUL-terminated. Quoted fields are
// undone in place, so the text may shrink.
struct Line {
    char text[kSheetLineLimit + 1];
    int length;
};

enum class ReadResult { kLine, kEndOfFile, kTooLong, kHasNul };

// Reads the next line, of at most limit bytes. A last line without a line end is a whole
// line; a file that ends right after a line end has no further line.
ReadResult ReadLine(Text* text, Line* line, int limit);
// Skips one line of any length; false when the file has no line at all.
bool SkipLine(Text* text);

// The fields of a line. Only the first kMaxFields are kept; more says that a field past
// them holds text.
struct Fields {
    static constexpr int kMaxFields = 2 + kMaxTaxa;
    const char* start[kMaxFields];
    int length[kMaxFields];
    int column[kMaxFields];      // 1-based, where the field starts in the line as read
    bool afterEmpty[kMaxFields]; // an empty field was skipped just before this one
    int count;
    bool more;

    // Byte-for-byte and case-sensitive, as names are compared everywhere.
    bool Is(int i, const char* text) const;
    void CopyTo(int i, char* dest) const;
};

// Splits line into fields at separator. A field that starts with a double quote is
// quoted, as spreadsheets write a cell that holds a separator or a quote: its quoted part
// ends at the next quote that is not doubled ("" inside it is one quote), the quotes are
// not part of it, and any text after the closing quote up to the separator is added as
// it stands, as a spreadsheet reads `"Frog" x` (Frog x); so a field never runs into the
// next. Its text is moved down in place, which only ever shortens it. With keepEmpty every
// field counts, empty ones too (a sheet's empty cell); otherwise an empty field, quoted or
// not, is skipped (the marker layout), and afterEmpty tells where. Returns false when a
// quoted field is never closed on its line.
bool SplitFields(Line* line, char separator, bool keepEmpty, Fields* fields);

// The separator of the file, from its first examined line: a tab when tabs allows and
// the line holds one outside its quoted names; semicolons, as a spreadsheet in a locale
// whose decimal mark is the comma writes them, when it holds semicolons and no comma
// outside its quoted names (which may hold either); commas otherwise. A quoted part
// starts at a quote that begins the line or follows a separator.
char HeaderSeparator(const Line& header, bool tabs);

// Sets the problem; always returns false so that callers can return its result. The line
// is the one being read (error->line).
__attribute__((format(printf, 2, 3))) bool Fail(Refusal* error, const char* format, ...);

// Reads the next line (at most limit bytes) into line and counts it; false with the
// problem set when there is no usable line (missing says what the end of the file cuts
// short).
bool NextLine(Text* text, Line* line, Refusal* error, const char* missing, int limit);

// Whether field i fits as the name of taxon t: at most kMostNameCharacters characters;
// false with the problem set when it does not.
bool NameFits(const Fields& fields, int i, int t, Refusal* error);

// Splits the line just read; false with the problem set for a quote never closed.
bool Split(Line* line, char separator, bool keepEmpty, Fields* fields, Refusal* error);

} // namespace csv
