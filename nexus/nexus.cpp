// IsNexusFile and LoadNexusMatrix (see nexus.h): the file checks the CSV reader uses, the
// reader module loaded with dlopen at the first NEXUS file, and this program's limits
// applied to what the module read. Called by the app's file loading, the tests and the
// fuzzer. No GL state, no NCL: only the module links the library.
#include "nexus/nexus.h"

#include "matrix/matrix.h"
#include "nexus/nexus_module.h"
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cctype>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8MarkLength = sizeof kUtf8Mark - 1;

bool StartsWithUtf8Mark(const char* text, std::size_t length) {
    return length >= kUtf8MarkLength && std::memcmp(text, kUtf8Mark, kUtf8MarkLength) == 0;
}

// The module's parser, loaded once; nullptr, with the reason in *why, when it cannot be
// loaded, from the program's module folders (as the dialog module is).
ReadNexusFunction ModuleParser(std::string* why) {
    static ReadNexusFunction parser = nullptr;
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::string problem;
        parser = reinterpret_cast<ReadNexusFunction>(
            ModuleEntryPoint(kNexusModuleName, "QuillmoorReadNexus", &problem));
        if (parser == nullptr) failure = "cannot load the NEXUS reader: " + problem;
    }
    *why = failure;
    return parser;
}

// Whether name cannot go into a slot of slot bytes: too long, or holding a NUL byte (a
// quoted NEXUS name may), which would cut it short there; *refusal then says why.
bool Unfit(const std::string& name, int slot, const std::string& what, int line,
           NexusRefusal* refusal) {
    refusal->line = line;
    if (name.size() >= static_cast<std::size_t>(slot)) {
        refusal->problem = what + " has " + std::to_string(name.size()) + " characters (at most " +
                           std::to_string(slot - 1) + ")";
        return true;
    }
    if (name.find('\0') != std::string::npos) {
        refusal->problem = what + " holds a NUL byte";
        return true;
    }
    return false;
}

// Fills tables (clear on entry) from what the module read; false with *refusal when the
// matrix breaks one of the tables' limits.
bool FillTables(const NexusMatrix& matrix, MatrixTables* tables, NexusRefusal* refusal) {
    const int taxonCount = static_cast<int>(matrix.taxa.size());
    const int characterCount = static_cast<int>(matrix.characters.size());
    const int most = kMostNexusEntries;
    if (taxonCount > most) {
        refusal->line = matrix.taxaLine;
        refusal->problem =
            std::to_string(taxonCount) + " taxa (at most " + std::to_string(most) + ")";
        return false;
    }
    if (characterCount == 0 || characterCount > kMaxCharacters - 1) {
        refusal->line = matrix.charactersLine;
        refusal->problem = characterCount == 0
                               ? std::string("no characters")
                               : std::to_string(characterCount) + " characters (at most " +
                                     std::to_string(kMaxCharacters - 1) + ")";
        return false;
    }
    for (int t = 0; t < taxonCount; ++t) {
        if (Unfit(matrix.taxa[t], kTaxonNameSize, "name of taxon " + std::to_string(t + 1),
                  matrix.taxaLine, refusal))
            return false;
        std::strcpy(tables->taxa[t].name, matrix.taxa[t].c_str());
    }
    for (int c = 0; c < characterCount; ++c) {
        if (Unfit(matrix.characters[c], kMatrixNameSize,
                  "name of character " + std::to_string(c + 1), matrix.charactersLine, refusal))
            return false;
        std::strcpy(tables->characterNames[c], matrix.characters[c].c_str());
        // States are numbered by first appearance, left to right, as in a CSV file.
        int32_t& stateCount = tables->stateCounts[c];
        for (int t = 0; t < taxonCount; ++t) {
            const std::string& name = matrix.cells[c][t];
            if (Unfit(name, kMatrixNameSize,
                      "state of taxon " + std::to_string(t + 1) + " for character " +
                          std::to_string(c + 1),
                      matrix.charactersLine, refusal))
                return false;
            int32_t s = 0;
            while (s < stateCount && name != tables->stateNames[c][s])
                ++s;
            if (s == stateCount) {
                assert(stateCount < kMaxStates); // one new state at most per taxon
                std::strcpy(tables->stateNames[c][s], name.c_str());
                ++stateCount;
            }
            tables->taxa[t].states[c] = s;
        }
    }
    tables->taxonCount = taxonCount;
    tables->characterCount = characterCount;
    return true;
}

} // namespace

bool IsNexusFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    char head[256];
    ssize_t length = -1;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) length = read(fd, head, sizeof head);
    close(fd);
    if (length <= 0) return false;
    std::size_t i =
        StartsWithUtf8Mark(head, static_cast<std::size_t>(length)) ? kUtf8MarkLength : 0;
    while (i < static_cast<std::size_t>(length) &&
           std::isspace(static_cast<unsigned char>(head[i])))
        ++i;
    static const char kTag[] = "#nexus";
    for (std::size_t k = 0; k < sizeof kTag - 1; ++k, ++i)
        if (i >= static_cast<std::size_t>(length) ||
            std::tolower(static_cast<unsigned char>(head[i])) != kTag[k])
            return false;
    return true;
}

bool LoadNexusMatrixWith(ReadNexusFunction read, const char* path, std::string* whyNot,
                         bool printRefusal, std::string* firstTree) {
    std::string bytes;
    if (!ReadWholeDataFile(path, &bytes, whyNot, printRefusal)) return false;
    // NCL reads the mark as text; it is not part of the file's content.
    if (StartsWithUtf8Mark(bytes.data(), bytes.size())) bytes.erase(0, kUtf8MarkLength);

    NexusMatrix matrix;
    NexusRefusal refusal;
    auto tables = std::make_unique<MatrixTables>();
    ClearMatrixTables(tables.get());
    if (!read(bytes, &matrix, &refusal) || !FillTables(matrix, tables.get(), &refusal))
        return RefuseDataFile(path, refusal.line, refusal.problem, whyNot, printRefusal);
    PublishMatrix(*tables);
    if (firstTree != nullptr) *firstTree = matrix.firstTree;
    return true;
}

bool LoadNexusMatrix(const char* path, std::string* whyNot, bool printRefusal,
                     std::string* firstTree) {
    std::string why;
    const ReadNexusFunction read = ModuleParser(&why);
    if (read == nullptr) {
        // Only a broken installation gets here; say so instead of blaming the file.
        if (access(path, R_OK) != 0) {
            if (whyNot != nullptr) *whyNot = std::string("cannot open ") + path;
            return false;
        }
        return RefuseDataFile(path, 1, why, whyNot, printRefusal);
    }
    return LoadNexusMatrixWith(read, path, whyNot, printRefusal, firstTree);
}
