// What the NEXUS reader module (libquillmoor_nexus.so, nexus_reader.cpp) hands the loader
// (nexus.cpp): the names and cells of the first matrix as NCL read them, before any of
// this program's limits are checked. Shared by the two sides and the fuzzer only.
#pragma once

#include "matrix/matrix.h"

#include <string>
#include <vector>

// Most taxa or characters a NEXUS file may have: what a CSV file may list, since there a
// list's closing marker takes a slot of the tables.
constexpr int kMostNexusEntries = kMaxTaxa - 1;
static_assert(kMaxTaxa == kMaxCharacters, "one limit serves taxa and characters");

struct NexusMatrix {
    std::vector<std::string> taxa;
    std::vector<std::string> characters;
    std::vector<std::vector<std::string>> cells; // cells[c][t]: taxon t's state name
    std::string firstTree;                       // Newick, or empty
    // Where the blocks begin, for refusals found after the parse (1-based; the taxa may
    // be implied by the characters block, and then share its line).
    int taxaLine = 1;
    int charactersLine = 1;
};

// Why a file was refused: its line (1-based) and the problem, on one line.
struct NexusRefusal {
    int line = 1;
    std::string problem;
};

// Parses the whole text of a NEXUS file. Returns true with *matrix filled, or false with
// *refusal filled (nothing else is kept between calls). Exported by the module.
extern "C" bool QuillmoorReadNexus(const std::string& text, NexusMatrix* matrix,
                                   NexusRefusal* refusal);
using ReadNexusFunction = decltype(&QuillmoorReadNexus);

constexpr const char* kNexusModuleName = "libquillmoor_nexus.so";

// LoadNexusMatrix with the parser given: the module's, or one linked in (the fuzzer).
bool LoadNexusMatrixWith(ReadNexusFunction read, const char* path, std::string* whyNot,
                         bool printRefusal, std::string* firstTree);
