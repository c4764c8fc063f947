// Files read whole and written whole: the data and tree files the program reads (checked
// before a byte is read, so that nothing can keep the editor waiting) and the files it
// writes (in full or not at all). Called by the readers and the app's save and export.
// No GL, no X.
#pragma once

#include "base/refusal.h"

#include <cstdio>
#include <string>

// No file the program reads is larger: a data file needs some 22 KB of text (21 lines of
// at most 998 bytes, twice that in UTF-16), but a title line of any length and whatever
// follows the closing line are never examined, so the limit is generous. Reading this
// much takes a few milliseconds, so the window never waits long for a refusal.
constexpr long kMaxDataFileBytes = 4L * 1024 * 1024;

// Reads the whole of a file into *bytes without ever blocking: the file is opened
// non-blocking and checked to be a regular file of at most kMaxDataFileBytes before a
// byte is read. Returns true with the bytes. Returns false with *refusal (when given):
// kCannotOpen when the file cannot be opened; at line 1 when it is not a regular file,
// too large or unreadable.
bool ReadWholeFile(const char* path, std::string* bytes, Refusal* refusal);

// Fills the temporary file out; returns false with its own problem in *problem.
using FileWriter = bool (*)(std::FILE* out, void* context, std::string* problem);

// Writes a file in full or not at all: write(out, context, problem) fills a temporary
// file, which is synced to the disk and then renamed over the target in one step, with
// the permissions a new file gets. A symbolic link at path is followed, however many
// there are: the file it names is replaced (or made, when the link dangles) and the link
// stays. The temporary lies beside that file, named ".NAME.PID.XXXXXX" after it and after
// this process; temporaries of that form beside it that a killed run left behind (their
// process is gone, or they are over an hour old) are removed first.
// Returns true when the file was replaced. Returns false with *refusal (when given; its
// file is path) when write fails (its own problem) or the file cannot be made, written,
// synced or renamed; any earlier file is then untouched and no temporary is left.
bool WriteFileReplacing(const char* path, FileWriter write, void* context, Refusal* refusal);
