// libFuzzer target for the NEXUS path: each input is written to a scratch file and read
// with the NEXUS reader linked in (the program loads the same code as a module). A
// refused file must leave every table byte as it was; an accepted one must fit the
// tables. Only our code is instrumented: NCL is the system's build, so the fuzzer does
// not steer into NCL's branches, though ASan still sees our use of what it returns.
#include "matrix/matrix.h"
#include "nexus/nexus_module.h"

#include "tests/fuzz/scratch_file.h"
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string gScratchPath;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The live tables, bytewise.
std::string Tables() {
    std::string t(reinterpret_cast<const char*>(gTaxa), sizeof gTaxa);
    t.append(reinterpret_cast<const char*>(&gTaxonCount), sizeof gTaxonCount);
    t.append(reinterpret_cast<const char*>(&gCharacterCount), sizeof gCharacterCount);
    t.append(reinterpret_cast<const char*>(gCharacterNames), sizeof gCharacterNames);
    t.append(reinterpret_cast<const char*>(gStateNames), sizeof gStateNames);
    t.append(reinterpret_cast<const char*>(gStateCounts), sizeof gStateCounts);
    return t;
}

bool Terminated(const char* name, size_t slot) {
    return std::memchr(name, '\0', slot) != nullptr;
}

void CheckLoaded() {
    Check(gTaxonCount >= 1 && gTaxonCount < kMaxTaxa);
    Check(gCharacterCount >= 1 && gCharacterCount < kMaxCharacters);
    for (int t = 0; t < gTaxonCount; ++t)
        Check(Terminated(gTaxa[t].name, kTaxonNameSize));
    for (int c = 0; c < gCharacterCount; ++c) {
        Check(Terminated(gCharacterNames[c], kMatrixNameSize));
        // A polymorphic cell names states of its own: more states than taxa may come.
        Check(gStateCounts[c] >= 1 && gStateCounts[c] <= kMaxStates);
        for (int s = 0; s < gStateCounts[c]; ++s)
            for (int r = 0; r < s; ++r) // each state name once
                Check(std::strcmp(gStateNames[c][r], gStateNames[c][s]) != 0);
        for (int t = 0; t < gTaxonCount; ++t)
            Check(gTaxa[t].states[c] >= 0 && gTaxa[t].states[c] < gStateCounts[c]);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gScratchPath = MakeScratchFile("fuzz_nexus_reader");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteScratchFile(gScratchPath, data, size);

    const std::string before = Tables();
    Refusal refusal;
    std::string tree;
    const NexusModule linked{QuillmoorReadNexus, QuillmoorReleaseNexus};
    if (LoadNexusMatrixWith(linked, gScratchPath.c_str(), &refusal, nullptr, &tree)) {
        CheckLoaded();
    } else {
        Check(Tables() == before);
        // One line of readable length, with a line of the file once it is open.
        const std::string line = DescribeRefusal(refusal);
        Check(!refusal.text.empty() && line.find('\n') == std::string::npos);
        Check(refusal.line > 0 || refusal.text == kCannotOpen);
        Check(refusal.text.size() < 1000);
    }
    return 0;
}
