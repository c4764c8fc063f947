// libFuzzer target for the data-file reader: each input is written to a scratch file and
// loaded. A refused file must leave every table byte as it was and say where; an accepted
// one must satisfy the tables' invariants. Anything else aborts. Built with matrix.cpp
// and base/ alone.
#include "matrix/matrix.h"

#include "tests/fuzz/scratch_file.h"
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string gScratchPath;

// The live tables, compared bytewise: a refused load never writes to them.
struct Tables {
    unsigned char taxa[sizeof gTaxa];
    int32_t taxonCount;
    int32_t characterCount;
    unsigned char characterNames[sizeof gCharacterNames];
    unsigned char stateNames[sizeof gStateNames];
    unsigned char stateCounts[sizeof gStateCounts];
};

void Take(Tables* t) {
    std::memcpy(t->taxa, gTaxa, sizeof gTaxa);
    t->taxonCount = gTaxonCount;
    t->characterCount = gCharacterCount;
    std::memcpy(t->characterNames, gCharacterNames, sizeof gCharacterNames);
    std::memcpy(t->stateNames, gStateNames, sizeof gStateNames);
    std::memcpy(t->stateCounts, gStateCounts, sizeof gStateCounts);
}

bool Same(const Tables& a, const Tables& b) {
    return std::memcmp(a.taxa, b.taxa, sizeof a.taxa) == 0 && a.taxonCount == b.taxonCount &&
           a.characterCount == b.characterCount &&
           std::memcmp(a.characterNames, b.characterNames, sizeof a.characterNames) == 0 &&
           std::memcmp(a.stateNames, b.stateNames, sizeof a.stateNames) == 0 &&
           std::memcmp(a.stateCounts, b.stateCounts, sizeof a.stateCounts) == 0;
}

// A name read from a field: terminated in its slot, non-empty, on one line (a quoted
// field may hold a separator, never a line end).
bool IsFieldName(const char* name, size_t slot) {
    const void* end = std::memchr(name, '\0', slot);
    return end != nullptr && name[0] != '\0' && std::strchr(name, '\n') == nullptr;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckLoaded() {
    Check(gTaxonCount >= 0 && gTaxonCount < kMaxTaxa);
    Check(gCharacterCount >= 0 && gCharacterCount < kMaxCharacters);
    for (int t = 0; t < gTaxonCount; ++t)
        Check(IsFieldName(gTaxa[t].name, kTaxonNameSize));
    for (int c = 0; c < gCharacterCount; ++c) {
        Check(IsFieldName(gCharacterNames[c], kMatrixNameSize));
        Check(gStateCounts[c] >= 0 && gStateCounts[c] <= gTaxonCount);
        for (int s = 0; s < gStateCounts[c]; ++s) {
            Check(IsFieldName(gStateNames[c][s], kMatrixNameSize));
            for (int r = 0; r < s; ++r) // each state name once
                Check(std::strcmp(gStateNames[c][r], gStateNames[c][s]) != 0);
        }
        for (int t = 0; t < gTaxonCount; ++t)
            Check(gTaxa[t].states[c] >= 0 && gTaxa[t].states[c] < gStateCounts[c]);
    }
    // Every load resets all state names; unused ones read "---". Slots past the counts
    // hold their start values.
    for (int c = 0; c < kMaxCharacters; ++c)
        for (int s = c < gCharacterCount ? gStateCounts[c] : 0; s < kMaxStates; ++s)
            Check(std::strcmp(gStateNames[c][s], "---") == 0);
    for (int t = 0; t < kMaxTaxa; ++t)
        for (int c = t < gTaxonCount ? gCharacterCount : 0; c < kMaxCharacters; ++c)
            Check(gTaxa[t].states[c] == kNoState);
    for (int t = gTaxonCount; t < kMaxTaxa; ++t)
        Check(std::strcmp(gTaxa[t].name, "Unused") == 0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gScratchPath = MakeScratchFile("fuzz_matrix_reader");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteScratchFile(gScratchPath, data, size);

    static Tables before;
    static Tables after;
    Take(&before);
    Refusal refusal;
    const bool ok = LoadCharacterMatrix(gScratchPath.c_str(), &refusal);
    if (ok) {
        CheckLoaded();
    } else {
        Take(&after);
        Check(Same(before, after));
        // A refusal names the file and, once the file is open, a line of it.
        Check(!refusal.text.empty() && refusal.file == gScratchPath);
        Check(refusal.line > 0 || refusal.text == kCannotOpen);
    }
    return 0;
}
