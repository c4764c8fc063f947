// The editor's one load path for data files: the command line, the "Open File" chooser
// and the menu all come here, so every refusal reaches both the console and the window's
// message line. Called by main and the frame. No GL state is changed.
#pragma once

#include <string>

// Where a refusal is told on the console, once.
enum class LoadReport {
    Console,     // "FILE:LINE: problem" on stdout, as for a file chosen in the editor
    CommandLine, // "quillmoor: FILE:LINE: problem" on stderr, for the file named at start-up
    Figures,     // as CommandLine, and the new tree is not listed: stdout is for a report
};

// Builds the initial tree over the matrix just loaded, rebuilds it (the listing goes to
// stdout) and starts a new undo history; replacing the tree makes the release hook forget
// the carried node and the drop target. Without list, the tree is not listed.
void AdoptLoadedMatrix(bool list = true);

// Reads fileName into the matrix and, when that succeeds, adopts it. Returns true when
// the tables and the tree were replaced. Returns false when the file could not be opened
// or was refused: the reason goes to *whyNot (when given), to the console as report says,
// and to the message line (with the file's folder left out); the tables, the tree, the
// node numbering, the undo history and the drag state stay as they were.
bool OpenDataFile(const char* fileName, std::string* whyNot = nullptr,
                  LoadReport report = LoadReport::Console);

// text with every occurrence of path replaced by its last part (the file's own name), for
// the message line, where a folder would push the problem out of sight.
std::string WithoutFolder(const std::string& text, const std::string& path);
