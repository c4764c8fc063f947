// The modes that answer without a window or an X display: load the files, print or write
// what was asked, exit. Called by main before GLUT starts. No GL state.
#pragma once

#include <cstdio>

// When argv[1] asks for a headless mode (--newick FILE.csv [TREE.nwk], --export PICTURE
// FILE.csv [TREE.nwk], --report FILE.csv [TREE.nwk], --search [--all] FILE.csv [TREE.nwk]
// [--outgroup NAME]), runs it and returns the exit status: 0 on success, else 1 with one
// line: on err for arguments that do not fit, an outgroup that names no taxon (or two), or
// output that cannot be written; on stderr (ShowRefusal) for a file refused or a picture
// not written. A warning about the data file (a taxon name twice) goes to stderr as well.
// Returns -1 when no headless mode is asked for.
// --search prints the shortest tree found from the tree (the start tree or the tree
// file's), rooted on the outgroup (the data file's first taxon, or the taxon --outgroup
// names), in plain Newick; with --all, every equally short tree it kept, one a line.
// --export also takes --trace CHARACTER (after its flag, anywhere): the picture then traces
// that character, named exactly as the data file names it; a --trace naming no character
// ends it with one line on err.
int RunHeadlessMode(int argc, char** argv, std::FILE* out, std::FILE* err);
