// The modes that answer without a window or an X display: load the files, print or write
// what was asked, exit. Called by main before GLUT starts. No GL state.
#pragma once

#include <cstdio>

// When argv[1] asks for a headless mode (--newick FILE.csv [TREE.nwk], --export PICTURE
// FILE.csv [TREE.nwk], --report FILE.csv [TREE.nwk]), runs it and returns the exit status: 0 on
// success, else 1 with one line: on err for arguments that do not fit or output that cannot
// be written; on stderr (ShowRefusal) for a file refused or a picture not written. A
// warning about the data file (a taxon name twice) goes to stderr as well. Returns -1 when
// no headless mode is asked for.
int RunHeadlessMode(int argc, char** argv, std::FILE* out, std::FILE* err);
