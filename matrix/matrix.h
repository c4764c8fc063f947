// The character matrix: fixed-capacity tables of taxa, characters and state names,
// filled by LoadCharacterMatrix from a CSV data file (or by the NEXUS reader, nexus/,
// through the staging helpers below). Read by the tree (clade/) and the display
// (display/). No GL, no X.
#pragma once

#include "base/files.h"
#include "base/refusal.h"

#include <cstdint>
#include <string>
#include <vector>

// The tables hold a sheet of up to 40 taxa and 40 characters (kMostEntries) and one slot
// more, as the marker layout's tables did for its 19: a list's closing marker takes a slot.
constexpr int kMostEntries = 40;
constexpr int kMaxTaxa = kMostEntries + 1;
constexpr int kMaxCharacters = kMostEntries + 1;
constexpr int kMaxStates = kMostEntries + 1;
constexpr int32_t kNoState = 999; // a state entry that holds no state
// A taxon's name has at most 31 characters, counted as UTF-8 characters (a byte that is
// no part of a UTF-8 sequence counts as one), so its slot holds four bytes a character.
constexpr int kMostNameCharacters = 31;
constexpr int kTaxonNameSize = 4 * kMostNameCharacters + 1;
constexpr int kMatrixNameSize = 100; // character and state names: 99 bytes and the terminator

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
// The characters' colours; a character past the first 20 takes the colour of the one 20
// before it.
extern const float gCharacterColors[kMaxCharacters][3];
// The states each cell allows, read by the parsimony figures only (the editor's own rule
// reads gTaxa[t].states[c], the cell's name). Entry [t][c] is a non-empty set after a load:
// the cell's own state, a polymorphic cell's states, or every real state of the character
// for a missing cell (see matrix/cell_sets.h). 0 means "the cell's own state", which is
// what a table filled by hand (tests) reads as. Read it through CellStates.
extern StateSet gCellSets[kMaxTaxa][kMaxCharacters];

// Reads a CSV data file into the tables. Does not touch the tree: the caller rebuilds it.
// Returns true when the file was read and the tables replaced; every slot past the new
// counts then holds its start-of-program value, so nothing of an earlier file remains,
// and *warnings (when given) receives what the user should know of the file: a taxon
// name that appears twice (at its second place), which no saved tree could tell apart,
// and each character line where an empty field was skipped between the taxa's states
// (at the first state after it), which moves the later states one taxon to the left.
// Returns false with *refusal (when given) when the file cannot be opened (kCannotOpen),
// is not a regular file, is larger than kMaxDataFileBytes, or breaks the layout (the
// line and the problem); the tables are then untouched. Prints nothing.
// Fields are split at commas, or at semicolons when the header line holds semicolons and
// no comma outside its quoted names; a field that starts with a double quote is quoted up
// to the next single quote ("" inside is one quote), and text after it up to the
// separator is added as it stands, as a spreadsheet reads it. A UTF-16 file with its
// byte-order mark is read as the same text in UTF-8. Any run of CRs before a line end
// belongs to the line end.
bool LoadCharacterMatrix(const char* fileName, Refusal* refusal = nullptr,
                         std::vector<Refusal>* warnings = nullptr);

// Puts every table back to its start-of-program value. For tests.
void ResetMatrix();

// ---- Shared by the readers (the CSV reader here, the NEXUS reader in nexus/) ----

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

// The index of the state of character c named by the length bytes at name (fewer than
// kMatrixNameSize): the state of that name seen before, or a new one, so that states are
// numbered by first appearance. -1 when the character has no room for another state.
int32_t StateNamed(MatrixTables* tables, int c, const char* name, std::size_t length);

// The first taxon of tables whose name an earlier taxon has already, or -1 when every
// name is its own.
int FirstRepeatedTaxon(const MatrixTables& tables);

// The warning for a taxon whose name appears twice (the text of Refusal).
std::string RepeatedTaxonProblem(const char* name);
