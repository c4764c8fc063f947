// The character matrix: fixed-capacity tables of taxa, characters and state names,
// filled by LoadCharacterMatrix from a CSV data file (or by the NEXUS reader, nexus/,
// through the staging helpers below). Read by the tree (clade/) and the display
// (display/). No GL, no X.
#pragma once

#include <cstdint>
#include <string>

constexpr int kMaxTaxa = 20;
constexpr int kMaxCharacters = 20;
constexpr int kMaxStates = 20;
constexpr int32_t kNoState = 999;    // a state entry that holds no state
constexpr int kTaxonNameSize = 32;   // 31 characters and the terminator
constexpr int kMatrixNameSize = 100; // character and state names: 99 and the terminator

// A set of states of one character: bit s stands for state index s. 64 bits, so nothing
// depends on how far the table limits grow while a character has at most 64 states.
using StateSet = uint64_t;
static_assert(kMaxStates <= 64, "state sets are 64-bit masks");

// One taxon. Also the first part of every CladeNode, which copies whole records bytewise.
struct TaxonRecord {
    bool flag;                      // carried along, never interpreted
    int32_t states[kMaxCharacters]; // entry c: index into gStateNames[c], or kNoState
    char name[kTaxonNameSize];

    TaxonRecord(); // flag false, every state kNoState, name "Unused"
};

extern TaxonRecord gTaxa[kMaxTaxa];
extern int32_t gTaxonCount;
extern int32_t gCharacterCount;
extern char gCharacterNames[kMaxCharacters][kMatrixNameSize];
extern char gStateNames[kMaxCharacters][kMaxStates][kMatrixNameSize];
extern int32_t gStateCounts[kMaxCharacters];
extern const float gCharacterColors[kMaxCharacters][3];
// The states each cell allows, read by the parsimony figures only (the editor's own rule
// reads gTaxa[t].states[c], the cell's name). Entry [t][c] is a non-empty set after a load:
// the cell's own state, a polymorphic cell's states, or every real state of the character
// for a missing cell (see matrix/cell_sets.h). 0 means "the cell's own state", which is
// what a table filled by hand (tests) reads as. Read it through CellStates.
extern StateSet gCellSets[kMaxTaxa][kMaxCharacters];

// Reads a CSV data file into the tables. Does not touch the tree: the caller rebuilds it.
// Returns true when the file was read and the tables replaced; every slot past the new
// counts then holds its start-of-program value, so nothing of an earlier file remains.
// Returns false when the file cannot be opened (nothing printed) or is refused: not a
// regular file, larger than kMaxDataFileBytes, or breaking the layout (one console line
// "file:line: problem", unless printRefusal is false); the tables are then untouched.
// whyNot, when given, receives the reason on failure (the console line's text).
// Fields are split at commas, or at semicolons when the header line holds semicolons and
// no comma; a field that starts with a double quote runs to the next quote followed by a
// separator or the line end ("" inside is one quote). A UTF-16 file with its byte-order
// mark is read as the same text in UTF-8.
bool LoadCharacterMatrix(const char* fileName, std::string* whyNot = nullptr,
                         bool printRefusal = true);

// Puts every table back to its start-of-program value. For tests.
void ResetMatrix();

// ---- Shared by the readers (the CSV reader here, the NEXUS reader in nexus/) ----

// No data file is larger: the tables need some 22 KB of text (21 lines of at most 998
// bytes, twice that in UTF-16), but a title line of any length and whatever follows
// the closing line are never examined, so the limit is generous. Reading this much
// takes a few milliseconds, so the window never waits long for a refusal.
constexpr long kMaxDataFileBytes = 4L * 1024 * 1024;

// Everything a load may change, staged so that a refused file leaves no trace.
struct MatrixTables {
    TaxonRecord taxa[kMaxTaxa];
    int32_t taxonCount = 0;
    int32_t characterCount = 0;
    char characterNames[kMaxCharacters][kMatrixNameSize] = {};
    char stateNames[kMaxCharacters][kMaxStates][kMatrixNameSize] = {};
    int32_t stateCounts[kMaxCharacters] = {};
    // What each cell allows; see matrix/cell_sets.h for how a reader fills it.
    StateSet cellSets[kMaxTaxa][kMaxCharacters] = {};
};

// Fills tables with the start-of-program values, except that every state name reads
// "---" as after any load.
void ClearMatrixTables(MatrixTables* tables);

// Replaces the live tables with tables; the caller has filled them from a clear start,
// so the slots past the new counts hold their start values.
void PublishMatrix(const MatrixTables& tables);

enum class DataFileRead { kRead, kCannotOpen, kRefused };

// Reads the whole of a data file into *bytes without ever blocking: the file is opened
// non-blocking and checked to be a regular file of at most kMaxDataFileBytes before a
// byte is read. kCannotOpen when open itself fails; kRefused with *problem set when the
// file is not a regular file, too large or unreadable (the problem belongs to line 1).
DataFileRead ReadDataFile(const char* fileName, std::string* bytes, std::string* problem);

// ReadDataFile for a reader: true with the file's bytes; false, with "cannot open FILE"
// (nothing printed) or the refusal "FILE:1: problem" (printed unless printRefusal is false)
// in *whyNot (when given).
bool ReadWholeDataFile(const char* fileName, std::string* bytes, std::string* whyNot,
                       bool printRefusal);

// Reports a refused file the one way every reader does: "fileName:line: problem" on
// stdout (unless printRefusal is false) and in *whyNot (when given). Returns false.
bool RefuseDataFile(const char* fileName, int line, const std::string& problem, std::string* whyNot,
                    bool printRefusal);
