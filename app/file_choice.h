// Choosing the data file: the platform's modal file chooser with the editor's settings.
// Lives with the app rather than the matrix so that the model needs no X and no GTK.
// Called by the frame when "Open File" is clicked or the menu asks for it.
#pragma once

#include <string>

// Shows the open (open = true) or save dialog: title "Pick a Data File", filter
// "CSV files" (*.csv), proposed name "Data.csv", "csv" appended to a bare name.
// Returns true with the full path in *path when the user confirmed a name, false on
// cancel or failure (*path untouched). Reads nothing: the caller loads the file.
bool ChooseDataFile(bool open, std::string* path);
