// Lines and fields of CSV text (see csv_text.h). Called by both CSV layouts' parsers.
// No GL, no X.
#include "matrix/csv_text.h"

#include "base/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace csv {

namespace {

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

} // namespace

ReadResult ReadLine(Text* text, Line* line, int limit) {
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
    if (stop - start > limit) return ReadResult::kTooLong;
    line->length = static_cast<int>(stop - start);
    std::memcpy(line->text, start, line->length);
    line->text[line->length] = '\0';
    return std::memchr(start, '\0', line->length) != nullptr ? ReadResult::kHasNul
                                                             : ReadResult::kLine;
}

bool SkipLine(Text* text) {
    if (text->next == text->end) return false;
    const char* lf =
        static_cast<const char*>(std::memchr(text->next, '\n', text->end - text->next));
    text->next = lf != nullptr ? lf + 1 : text->end;
    return true;
}

bool Fields::Is(int i, const char* text) const {
    return length[i] == static_cast<int>(std::strlen(text)) &&
           std::memcmp(start[i], text, length[i]) == 0;
}

void Fields::CopyTo(int i, char* dest) const {
    std::memcpy(dest, start[i], length[i]);
    dest[length[i]] = '\0';
}

// Each pass reads one field, up to a separator or the line's end.
bool SplitFields(Line* line, char separator, bool keepEmpty, Fields* fields) {
    fields->count = 0;
    fields->more = false;
    const char* p = line->text;
    const char* const end = line->text + line->length;
    bool skipped = false; // an empty field since the last field kept
    for (bool last = false; !last;) {
        char* const fieldStart = line->text + (p - line->text);
        char* out = fieldStart;
        if (p < end && *p == '"' && !SkipQuoted(&p, end, &out)) return false;
        while (p < end && *p != separator)
            *out++ = *p++;
        last = p == end;
        if (!last) ++p; // the separator
        if (out == fieldStart && !keepEmpty) {
            skipped = true;
            continue;
        }
        if (fields->count == Fields::kMaxFields) {
            fields->more = fields->more || out != fieldStart;
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

char HeaderSeparator(const Line& header, bool tabs) {
    const char* p = header.text;
    const char* const end = p + header.length;
    bool comma = false;
    bool semicolon = false;
    bool tab = false;
    bool fieldStart = true;
    while (p < end) {
        if (*p == '"' && fieldStart) {
            SkipQuoted(&p, end, nullptr);
            fieldStart = false;
            continue;
        }
        comma = comma || *p == ',';
        semicolon = semicolon || *p == ';';
        tab = tab || (tabs && *p == '\t');
        fieldStart = *p == ',' || *p == ';' || (tabs && *p == '\t');
        ++p;
    }
    if (tab) return '\t';
    return semicolon && !comma ? ';' : ',';
}

__attribute__((format(printf, 2, 3))) bool Fail(Refusal* error, const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    error->text = text;
    return false;
}

bool NextLine(Text* text, Line* line, Refusal* error, const char* missing, int limit) {
    ++error->line;
    switch (ReadLine(text, line, limit)) {
    case ReadResult::kLine:
        return true;
    case ReadResult::kEndOfFile:
        return Fail(error, "file ends before %s", missing);
    case ReadResult::kTooLong:
        return Fail(error, "line is longer than %d characters", limit);
    case ReadResult::kHasNul:
        return Fail(error, "line holds a NUL byte");
    }
    return false;
}

bool NameFits(const Fields& fields, int i, int t, Refusal* error) {
    const std::size_t characters = CountCharacters(fields.start[i], fields.length[i]);
    if (characters <= kMostNameCharacters) return true;
    return Fail(error, "name of taxon %d has %zu characters (at most %d)", t + 1, characters,
                kMostNameCharacters);
}

bool Split(Line* line, char separator, bool keepEmpty, Fields* fields, Refusal* error) {
    if (SplitFields(line, separator, keepEmpty, fields)) return true;
    return Fail(error, "a field opened with a double quote is not closed on its line");
}

} // namespace csv
