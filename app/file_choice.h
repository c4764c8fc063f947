// Choosing files: the platform's modal file chooser with the editor's settings for opening
// a data or tree file, saving the tree and exporting the picture. Lives with the app
// rather than the model so that the model needs no X and no GTK. Called by the frame and
// the commands. No GL state.
#pragma once

#include <string>

// The open chooser, "Pick a Data File": the file types "Data and tree files" (first),
// "Newick trees", "CSV files" and "NEXUS files"; "Data.csv" proposed; "csv" appended to a
// bare name. Returns true with the full path in *path when the user confirmed a name,
// false on cancel or failure (*path untouched). Reads nothing: the caller loads the file.
bool ChooseDataFile(std::string* path);

// The save chooser "Save Tree": the file type "Newick trees", the loaded data file's name
// with ".nwk" proposed, "nwk" appended to a bare name, a question before an existing file
// is replaced. Returns true with the path in *path, or false (untouched).
bool ChooseTreeFileToSave(std::string* path);

// The save chooser "Export Picture": the file types SVG, PNG and PDF, the data file's name
// with ".svg" proposed, "svg" appended to a bare name (the extension chooses the format),
// a question before an existing file is replaced. Returns true with the path in *path.
bool ChoosePictureFile(std::string* path);

// The name the save choosers propose: the base name of the loaded data file with its
// extension replaced by extension ("Data" when no file is loaded).
std::string ProposedName(const char* extension);
