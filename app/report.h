// `quillmoor --report DATA.csv`: the parsimony figures of a data file's tree as text, for a
// teacher's answer key. Answered by main before GLUT starts, so it needs no display.
#pragma once

#include <cstdio>

// When argv holds --report: loads the data file named after it through the editor's load
// path (a refusal goes to err, once) and writes the figures of its start tree to out, one
// line per character "NAME: S steps (minimum M)", then "Length: L", "Lower bound: B" and
// "Consistency index: C" (two decimals). Returns -1 when there is no --report (the editor
// starts), 0 after the report, 1 when the file was refused, 2 for a missing or extra
// argument.
int AnswerReportOption(int argc, char** argv, std::FILE* out, std::FILE* err);
