// The editor's command line: `quillmoor [FILE.csv]`, plus --help and --version, which
// are answered before GLUT starts so that they need no display. Called by main.
#pragma once

#include <cstdio>

// Answers --help (usage with every mouse action and key) and --version on out, and
// rejects unknown "--" options on err (--report is known: see report.h). Returns -1 when the editor
// should start, else the exit status to end with (0 after help or version, 2 after an error).
int AnswerInfoOptions(int argc, char** argv, std::FILE* out, std::FILE* err);

// After glutInit has taken its own options: the data file to load, or nullptr when none
// is named. Returns false (and prints the reason on err) when more than one is named.
bool FindDataFileArgument(int argc, char** argv, const char** fileName, std::FILE* err);

// Removes every occurrence of flag (e.g. "--continuous") from argv, keeping argv null-
// terminated. Returns true when it was there.
bool TakeFlag(int* argc, char** argv, const char* flag);
