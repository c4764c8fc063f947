// The character matrix: fixed-capacity tables of taxa, characters and state names,
// filled by LoadCharacterMatrix from a CSV data file. Read by the tree (clade/) and
// the display (display/). No GL, no X.
#pragma once

#include <cstdint>
#include <string>

constexpr int kMaxTaxa = 20;
constexpr int kMaxCharacters = 20;
constexpr int kMaxStates = 20;
constexpr int32_t kNoState = 999;    // a state entry that holds no state
constexpr int kTaxonNameSize = 32;   // 31 characters and the terminator
constexpr int kMatrixNameSize = 100; // character and state names: 99 and the terminator

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

// Reads a data file into the tables. Does not touch the tree: the caller rebuilds it.
// Returns true when the file was read and the tables replaced.
// Returns false when the file cannot be opened (nothing printed) or breaks the layout
// (one console line naming file, line and problem, unless printRefusal is false); the
// tables are then untouched. whyNot, when given, receives the reason on failure.
bool LoadCharacterMatrix(const char* fileName, std::string* whyNot = nullptr,
                         bool printRefusal = true);

// Puts every table back to its start-of-program value. For tests.
void ResetMatrix();
