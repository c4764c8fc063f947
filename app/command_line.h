// The editor's command line: `quillmoor [FILE.csv [TREE.nwk]]`, plus --help and
// --version, which are answered before GLUT starts so that they need no display (the
// windowless modes are app/headless.h). Called by main.
#pragma once

#include <cstdio>

// Answers --help (usage with every mouse action and key) and --version on out, and
// rejects unknown "--" options on err. Returns -1 when the editor
// should start, else the exit status to end with (0 after help or version, 2 after an error).
int AnswerInfoOptions(int argc, char** argv, std::FILE* out, std::FILE* err);

// After glutInit has taken its own options: the data file to load, or nullptr when none
// is named, and (when treeFile is given) a tree file named after it (.nwk, .tre, .tree,
// .newick), or nullptr. Returns false (and prints the reason on err) for anything more.
bool FindDataFileArgument(int argc, char** argv, const char** fileName, std::FILE* err,
                          const char** treeFile = nullptr);

// Removes every occurrence of flag (e.g. "--continuous") from argv, keeping argv null-
// terminated. Returns true when it was there.
bool TakeFlag(int* argc, char** argv, const char* flag);
