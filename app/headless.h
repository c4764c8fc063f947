// The modes that answer without a window or an X display: load the files, print or write
// what was asked, exit. Called by main before GLUT starts. No GL state.
#pragma once

#include <cstdio>

// When argv asks for a headless mode (--newick), runs it and returns the exit status: 0
// on success, 1 with one line on err when a file is refused or cannot be written, 2 for
// arguments that do not fit. Returns -1 when no headless mode is asked for.
int RunHeadlessMode(int argc, char** argv, std::FILE* out, std::FILE* err);
