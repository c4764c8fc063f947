// Loading a data file as the editor does it: the matrix reader, then a new tree over the
// new taxa, with the drag state forgotten. Used by the frame (after the file dialog) and
// by start-up (a file named on the command line). No GL state is changed.
#pragma once

#include <string>

// Builds the initial tree over the matrix just loaded, rebuilds it (the listing goes to
// stdout); replacing the tree makes the release hook forget the carried node and the
// drop target.
void AdoptLoadedMatrix();

// Reads fileName into the matrix and, when that succeeds, adopts it. Returns true when
// the tables and the tree were replaced; false when the file could not be read, with the
// reason in *whyNot (when given) and the tables, the tree and the drag state untouched.
bool OpenDataFile(const char* fileName, std::string* whyNot = nullptr);
