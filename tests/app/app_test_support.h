// Helpers for the window-free app tests: data files in the test's temp folder and a
// clean model and input state around each test.
#pragma once

#include "clade/clade.h"

#include <string>

// Writes contents to a file of that name in the test's temp folder; returns its path.
std::string WriteDataFile(const std::string& name, const std::string& contents);
// A data file of n taxa named T0, T1, ... scored for two characters; returns its path.
std::string WriteCombFile(int taxa);

// Puts the matrix, the tree (ids from 0) and the input state back to their start values
// and installs the app's node-release hook.
void ResetEditorState();

// The node at a path from the root: "" is the root, "l" its left child, "rl" the left
// child of its right child. Null when the path leaves the tree.
CladeNode* NodeAt(const char* path);
