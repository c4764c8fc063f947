// The editor's one load path for data files: the command line, the "Open File" chooser
// and the menu all come here, so every refusal is shown once, through ShowRefusal, on the
// console and the window's message line. Called by main and the frame. No GL state is
// changed.
#pragma once

#include "app/refusals.h"
#include "base/refusal.h"

#include <string>

// Reads fileName into the matrix and, when that succeeds, puts the start tree over it (or
// the file's own first tree) in place as a new history, listed. Returns true when
// the tables and the tree were replaced; what the user should know of the file (a taxon
// name twice, which no saved tree can tell apart) is then shown to audience as a warning
// (the message line; the listing is as for any file). Returns false when the file could
// not be opened or was refused: the refusal goes to *refusal (when given) and is shown to
// audience (ShowRefusal: the console and the message line); the tables, the tree, the
// node numbering, the undo history and the drag state stay as they were.
bool OpenDataFile(const char* fileName, Refusal* refusal = nullptr,
                  Audience audience = Audience::Editor);

// Reads a Newick tree file and applies it to the loaded matrix as one change that can be
// undone: new nodes, a rebuild, the listing. Returns false, with
// the file, position and problem shown as for a data file, when the file cannot be read
// or its tree does not fit the loaded taxa; the tree, the matrix and the numbering then
// stay as they were.
bool OpenTreeFile(const char* fileName, Refusal* refusal = nullptr,
                  Audience audience = Audience::Editor);

// True when the file's name marks it as a Newick tree (.nwk .tre .tree .newick, any case).
bool IsTreeFileName(const char* fileName);

// A file chosen in the editor or named on the command line: a tree file is applied to
// the loaded matrix, anything else is read as a data file.
bool OpenAnyFile(const char* fileName, Audience audience = Audience::Editor);

// Writes the live tree in Newick to fileName, in full or not at all (any earlier file stays
// untouched on failure; a link there is followed, see WriteFileReplacing). Returns false
// with *refusal (file fileName) when the tree would not read back as itself (no data file
// loaded, or two taxa of one name) or the file cannot be written. Shows nothing.
bool SaveTreeFile(const char* fileName, Refusal* refusal);

// The data file loaded last (empty before the first), for the names the save dialogs
// propose.
const std::string& LoadedDataFile();
