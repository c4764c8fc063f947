// NEXUS matrices: telling a NEXUS file from a CSV file, and reading one into the matrix
// tables. Called by the app's file loading (and the tests, the fuzzer and the benchmark).
// The parsing itself is done by the NEXUS Class Library inside a module loaded at the
// first NEXUS file, so that start-up never loads it. No GL, no X.
#pragma once

#include "base/refusal.h"

#include <string>
#include <vector>

// True when the file is a regular file that starts, after an optional byte-order mark
// (UTF-8, or UTF-16 in either order, in which the rest is read) and white space, with
// #NEXUS (any case). Never blocks: anything that is not a regular file is not a NEXUS
// file (the CSV reader then refuses it with its reason).
bool IsNexusFile(const char* path);

// Reads a NEXUS file into the matrix tables, with the contract of LoadCharacterMatrix:
// the tables are replaced only on success (every slot past the new counts then holds its
// start value), with *warnings (when given) as for a CSV file; on failure they are
// untouched and *refusal (when given) says why: kCannotOpen, or the line (and column,
// where known) and the problem. Prints nothing. A file in UTF-16 is read as the same text
// in UTF-8.
// The matrix comes from the first CHARACTERS or DATA block: taxon names from its taxa,
// character and state names from CHARSTATELABELS, CHARLABELS or STATELABELS (a state
// without a label is named by its symbol, a character without one "Character N"); a
// missing cell (?) is the state "?", a gap (-) the state "-", and both allow any state in
// the parsimony figures; a polymorphic (01) or uncertain {01} cell is the state named
// "0/1" and allows each of its states (matrix/cell_sets.h). Refused whole: a file NCL
// cannot parse, no such block or no characters, continuous data, a character with more
// states than the tables hold, more than 19 taxa or characters, a taxon name over 31 bytes or a
// character or state name over 99, a NUL byte anywhere (NCL would cut a name at it). A
// row with more states than the block's characters is refused at its line. Other blocks
// and comments are skipped.
// On success *firstTree (when given) receives the first tree of a TREES block over the
// matrix's taxa as a Newick string with the taxon names as in the matrix, or the empty
// string when there is none; it is untouched on failure.
bool LoadNexusMatrix(const char* path, Refusal* refusal = nullptr,
                     std::vector<Refusal>* warnings = nullptr, std::string* firstTree = nullptr);
