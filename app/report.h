// The parsimony report: a tree's figures as text, for a teacher's answer key. Written by
// `quillmoor --report` (app/headless.h). No GL, no X.
#pragma once

#include <cstdio>

// Writes the figures of the live tree to out, one line per character "NAME: S steps
// (minimum M)", then "Length: L", "Lower bound: B" and "Consistency index: C" (two
// decimals).
void WriteParsimonyReport(std::FILE* out);
