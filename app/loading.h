// The editor's one load path for data files: the command line, the "Open File" chooser
// and the menu all come here, so every refusal reaches both the console and the window's
// message line. Called by main and the frame. No GL state is changed.
#pragma once

#include <string>

// Where a refusal is told on the console, once.
enum class LoadReport {
    Console,     // "FILE:LINE: problem" on stdout, as for a file chosen in the editor
    CommandLine, // "quillmoor: FILE:LINE: problem" on stderr, for the file named at start-up
};

// Reads fileName into the matrix and, when that succeeds, puts the start tree over it (or
// the file's own first tree) in place as a new history, listed. Returns true when the
// tables and the tree were replaced. Returns false when the file could not be opened
// or was refused: the reason goes to *whyNot (when given), to the console as report says,
// and to the message line (with the file's folder left out); the tables, the tree, the
// node numbering, the undo history and the drag state stay as they were.
bool OpenDataFile(const char* fileName, std::string* whyNot = nullptr,
                  LoadReport report = LoadReport::Console);

// Reads a Newick tree file and applies it to the loaded matrix as one change that can be
// undone: new nodes, a rebuild, the listing. Returns false, with
// the file, position and problem told as for a data file, when the file cannot be read
// or its tree does not fit the loaded taxa; the tree, the matrix and the numbering then
// stay as they were.
bool OpenTreeFile(const char* fileName, std::string* whyNot = nullptr,
                  LoadReport report = LoadReport::Console);

// True when the file's name marks it as a Newick tree (.nwk .tre .tree .newick, any case).
bool IsTreeFileName(const char* fileName);

// A file chosen in the editor or named on the command line: a tree file is applied to
// the loaded matrix, anything else is read as a data file.
bool OpenAnyFile(const char* fileName, LoadReport report = LoadReport::Console);

// Writes the live tree in Newick to fileName, in full or not at all (any earlier file stays
// untouched on failure). Returns false with "FILE: problem" in *whyNot.
bool SaveTreeFile(const char* fileName, std::string* whyNot);

// Tells a failure that is not a load (a save, an export) the way refusals are told: one
// line on the console and the reason on the message line.
void TellFailure(const std::string& reason, const char* fileName);

// The data file loaded last (empty before the first), for the names the save dialogs
// propose.
const std::string& LoadedDataFile();

// text with every occurrence of path replaced by its last part (the file's own name), for
// the message line, where a folder would push the problem out of sight.
std::string WithoutFolder(const std::string& text, const std::string& path);
