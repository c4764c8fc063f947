// What the NEXUS reader module (libquillmoor_nexus.so, nexus_reader.cpp) hands the loader
// (nexus.cpp): the names and cells of the first matrix as NCL read them, before any of
// this program's limits are checked, or why the file was refused. Plain C across the
// module boundary: byte ranges and one versioned struct, which the module fills and the
// loader gives back for release. Shared by the two sides and the fuzzer only.
#pragma once

#include "matrix/matrix.h"

#include <cstddef>

// Most taxa or characters a NEXUS file may have: what a CSV file may list, since there a
// list's closing marker takes a slot of the tables.
constexpr int kMostNexusEntries = kMaxTaxa - 1;
static_assert(kMaxTaxa == kMaxCharacters, "one limit serves taxa and characters");

constexpr int kNexusReadVersion = 2;

// What a cell holds, beside its name (NexusRead::cellKinds).
constexpr int kNexusPlainCell = 0;       // one state
constexpr int kNexusMissingCell = 1;     // ? or the gap symbol: any state
constexpr int kNexusPolymorphicCell = 2; // (01) or {01}: each of its parts

// Bytes the module holds: a name, a problem, a tree. Not NUL-terminated.
struct NexusBytes {
    const char* bytes;
    std::size_t length;
};

// One reading of a file. The caller zeroes it and sets version to kNexusReadVersion; the
// module refuses any other version. What the module fills lives until
// QuillmoorReleaseNexus is called with the struct.
struct NexusRead {
    int version;
    // The matrix, when QuillmoorReadNexus returns 1:
    int taxonCount;
    int characterCount;
    const NexusBytes* taxa;       // taxonCount names
    const NexusBytes* characters; // characterCount names
    const NexusBytes* cells;      // cells[c * taxonCount + t]: taxon t's state name of c
    // Cell i (in the order of cells) is of kind cellKinds[i]; a polymorphic cell's states
    // are named by parts[partStart[i]] up to parts[partStart[i + 1]] (partStart has one
    // entry more than there are cells).
    const int* cellKinds;
    const int* partStart;
    const NexusBytes* parts;
    NexusBytes firstTree; // Newick over the taxa's names; length 0 when there is none
    // Where the blocks begin, for refusals found after the parse (1-based; the taxa may
    // be implied by the characters block, and then share its line).
    int taxaLine;
    int charactersLine;
    // The refusal, when it returns 0: 1-based line, column (0 when not known), problem on
    // one line with long names cut.
    int line;
    int column;
    NexusBytes problem;
    void* storage; // the module's
};

extern "C" {
// Parses the whole text of a NEXUS file (length bytes, no byte-order mark). Returns 1 with
// the matrix in *read, or 0 with the refusal. Exported by the module.
int QuillmoorReadNexus(const char* text, std::size_t length, NexusRead* read);
// Releases what QuillmoorReadNexus filled in *read (a struct it never filled is ignored).
void QuillmoorReleaseNexus(NexusRead* read);
}

constexpr const char* kNexusModuleName = "libquillmoor_nexus.so";

// The module's two entry points: the module's own, or ones linked in (the fuzzer).
struct NexusModule {
    decltype(&QuillmoorReadNexus) read;
    decltype(&QuillmoorReleaseNexus) release;
};

// LoadNexusMatrix with the module given.
bool LoadNexusMatrixWith(const NexusModule& module, const char* path, Refusal* refusal,
                         std::vector<Refusal>* warnings, std::string* firstTree);
