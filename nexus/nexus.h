// NEXUS matrices: telling a NEXUS file from a CSV file, and reading one into the matrix
// tables. Called by the app's file loading (and the tests, the fuzzer and the benchmark).
// The parsing itself is done by the NEXUS Class Library inside a module loaded at the
// first NEXUS file, so that start-up never loads it. No GL, no X.
#pragma once

#include <string>

// True when the file is a regular file that starts, after an optional UTF-8 byte-order
// mark and white space, with #NEXUS (any case). Never blocks: anything that is not a
// regular file is not a NEXUS file (the CSV reader then refuses it with its reason).
bool IsNexusFile(const char* path);

// Reads a NEXUS file into the matrix tables, with the contract of LoadCharacterMatrix:
// the tables are replaced only on success (every slot past the new counts then holds its
// start value); on failure they are untouched, one console line "file:line: problem" is
// printed unless printRefusal is false, and *whyNot (when given) receives that text (or
// "cannot open FILE", with nothing printed, when the file cannot be opened).
// The matrix comes from the first CHARACTERS or DATA block: taxon names from its taxa,
// character and state names from CHARSTATELABELS, CHARLABELS or STATELABELS (a state
// without a label is named by its symbol, a character without one "Character N"); a
// missing cell (?) is the state "?", a gap (-) the state "-". Refused whole: a file NCL
// cannot parse, no such block or no characters, continuous data, a polymorphic or
// uncertain cell, more than 19 taxa or characters, a taxon name over 31 bytes or a
// character or state name over 99. Other blocks and comments are skipped.
// On success *firstTree (when given) receives the first tree of a TREES block over the
// matrix's taxa as a Newick string with the taxon names as in the matrix, or the empty
// string when there is none; it is untouched on failure.
bool LoadNexusMatrix(const char* path, std::string* whyNot, bool printRefusal,
                     std::string* firstTree);
