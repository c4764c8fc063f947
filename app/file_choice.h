// Choosing the data file: the platform's modal file chooser, then the matrix reader.
// Lives with the app rather than the matrix so that the model needs no X and no GTK.
// Called by the frame when the "Open File" button is clicked.
#pragma once

// Shows the open (open = true) or save dialog: title "Pick a Data File", filter
// "CSV files" (*.csv), proposed name "Data.csv", "csv" appended to a bare name.
// Returns true when the user confirmed a name, false on cancel or failure.
// In open mode the confirmed name is passed to LoadCharacterMatrix; *loaded (when
// given) tells whether that replaced the tables, so the caller can rebuild the tree.
bool ChooseDataFile(bool open, bool* loaded = nullptr);
