// IsNexusFile and LoadNexusMatrix (see nexus.h): the file checks the CSV reader uses, the
// reader module (loaded through the platform's one module loader at the first NEXUS
// file), and this program's limits applied to what the module read. Called by the app's
// file loading, the tests and the fuzzer. No GL state, no NCL: only the module links the
// library.
#include "nexus/nexus.h"

#include "base/files.h"
#include "base/text.h"
#include "matrix/cell_sets.h"
#include "matrix/matrix.h"
#include "nexus/nexus_module.h"
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The module's entry points; false with the reason in *why when it cannot be loaded.
bool LoadModule(NexusModule* module, std::string* why) {
    module->read = reinterpret_cast<decltype(module->read)>(
        ModuleEntryPoint(kNexusModuleName, "QuillmoorReadNexus", why));
    module->release = module->read == nullptr
                          ? nullptr
                          : reinterpret_cast<decltype(module->release)>(
                                ModuleEntryPoint(kNexusModuleName, "QuillmoorReleaseNexus", why));
    return module->release != nullptr;
}

std::string StringOf(const NexusBytes& bytes) {
    return std::string(bytes.bytes, bytes.length);
}

// Whether name cannot go into a slot of slot bytes: too long, or holding a NUL byte,
// which would cut it short there; *refusal then says why.
bool Unfit(const NexusBytes& name, int slot, const std::string& what, int line, Refusal* refusal) {
    refusal->line = line;
    // A taxon's name counts its characters; other names their bytes.
    const bool taxon = slot == kTaxonNameSize;
    const std::size_t length = taxon ? CountCharacters(name.bytes, name.length) : name.length;
    const std::size_t most = taxon ? kMostNameCharacters : static_cast<std::size_t>(slot - 1);
    if (length > most) {
        refusal->text = what + " has " + std::to_string(length) + " characters (at most " +
                        std::to_string(most) + ")";
        return true;
    }
    if (std::memchr(name.bytes, '\0', name.length) != nullptr) {
        refusal->text = what + " holds a NUL byte";
        return true;
    }
    return false;
}

void CopyName(const NexusBytes& name, char* slot) {
    std::memcpy(slot, name.bytes, name.length);
    slot[name.length] = '\0';
}

// Fills tables (clear on entry) from what the module read; false with *refusal's line and
// text when the matrix breaks one of the tables' limits.
// The index of the state named name of character c in the staged tables, a new one when
// the character has no such state yet; false with *refusal when the name does not fit or
// the character has no room for another state (polymorphic cells may name many).
bool StateOf(const NexusBytes& name, int c, const std::string& what, int line, MatrixTables* tables,
             int32_t* state, Refusal* refusal) {
    if (Unfit(name, kMatrixNameSize, what, line, refusal)) return false;
    *state = StateNamed(tables, c, name.bytes, name.length);
    if (*state >= 0) return true;
    refusal->line = line;
    refusal->text = "character " + std::to_string(c + 1) + " has more than " +
                    std::to_string(kMaxStates) + " states";
    return false;
}

bool FillTables(const NexusRead& read, MatrixTables* tables, Refusal* refusal) {
    const int taxonCount = read.taxonCount;
    const int characterCount = read.characterCount;
    const int most = kMostNexusEntries;
    if (taxonCount > most) {
        refusal->line = read.taxaLine;
        refusal->text = std::to_string(taxonCount) + " taxa (at most " + std::to_string(most) + ")";
        return false;
    }
    if (characterCount == 0 || characterCount > most) {
        refusal->line = read.charactersLine;
        refusal->text = characterCount == 0
                            ? std::string("no characters")
                            : std::to_string(characterCount) + " characters (at most " +
                                  std::to_string(most) + ")";
        return false;
    }
    for (int t = 0; t < taxonCount; ++t) {
        if (Unfit(read.taxa[t], kTaxonNameSize, "name of taxon " + std::to_string(t + 1),
                  read.taxaLine, refusal))
            return false;
        CopyName(read.taxa[t], tables->taxa[t].name);
    }
    for (int c = 0; c < characterCount; ++c) {
        if (Unfit(read.characters[c], kMatrixNameSize, "name of character " + std::to_string(c + 1),
                  read.charactersLine, refusal))
            return false;
        CopyName(read.characters[c], tables->characterNames[c]);
        // States are numbered by first appearance, left to right, as in a CSV file; a
        // polymorphic cell's own states follow its name.
        for (int t = 0; t < taxonCount; ++t) {
            const int cell = c * taxonCount + t;
            const std::string what = "state of taxon " + std::to_string(t + 1) + " for character " +
                                     std::to_string(c + 1);
            int32_t s = 0;
            if (!StateOf(read.cells[cell], c, what, read.charactersLine, tables, &s, refusal))
                return false;
            tables->taxa[t].states[c] = s;
            StateSet& set = tables->cellSets[t][c];
            if (read.cellKinds[cell] == kNexusMissingCell) set = kMissingCell;
            if (read.cellKinds[cell] != kNexusPolymorphicCell) continue;
            for (int part = read.partStart[cell]; part < read.partStart[cell + 1]; ++part) {
                int32_t p = 0;
                if (!StateOf(read.parts[part], c, what, read.charactersLine, tables, &p, refusal))
                    return false;
                set |= StateBit(p);
            }
        }
    }
    tables->taxonCount = taxonCount;
    tables->characterCount = characterCount;
    ResolveCellSets(tables);
    return true;
}

// The file's text as NCL is to read it: UTF-16 turned into UTF-8, the UTF-8 mark (which
// NCL would read as text) dropped. False with *refusal's line, column and text for a NUL
// byte, which NCL would take for the end of a name and cut it short there silently.
bool NexusText(std::string* bytes, Refusal* refusal) {
    DecodeUtf16(bytes);
    if (StartsWithUtf8Mark(bytes->data(), bytes->size())) bytes->erase(0, kUtf8MarkLength);
    const std::string::size_type nul = bytes->find('\0');
    if (nul == std::string::npos) return true;
    const std::string::size_type lineStart =
        nul == 0 ? std::string::npos : bytes->rfind('\n', nul - 1);
    refusal->line = 1 + static_cast<int>(std::count(bytes->begin(),
                                                    bytes->begin() + static_cast<long>(nul), '\n'));
    refusal->column = static_cast<int>(lineStart == std::string::npos ? nul + 1 : nul - lineStart);
    refusal->text = "line holds a NUL byte";
    return false;
}

// A reading of the module, released whatever way the load ends.
struct Reading {
    const NexusModule& module;
    NexusRead read{};
    ~Reading() { module.release(&read); }
};

} // namespace

bool IsNexusFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    std::string head(256, '\0');
    ssize_t length = -1;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) length = read(fd, &head[0], head.size());
    close(fd);
    if (length <= 0) return false;
    head.resize(static_cast<std::size_t>(length));
    DecodeUtf16(&head);
    std::size_t i = StartsWithUtf8Mark(head.data(), head.size()) ? kUtf8MarkLength : 0;
    while (i < head.size() && std::isspace(static_cast<unsigned char>(head[i])))
        ++i;
    static const char kTag[] = "#nexus";
    for (std::size_t k = 0; k < sizeof kTag - 1; ++k, ++i)
        if (i >= head.size() || std::tolower(static_cast<unsigned char>(head[i])) != kTag[k])
            return false;
    return true;
}

bool LoadNexusMatrixWith(const NexusModule& module, const char* path, Refusal* refusal,
                         std::vector<Refusal>* warnings, std::string* firstTree) {
    std::string bytes;
    if (!ReadWholeFile(path, &bytes, refusal)) return false;
    Refusal refused{path, 1, 0, ""};
    auto tables = std::make_unique<MatrixTables>();
    ClearMatrixTables(tables.get());
    Reading reading{module};
    reading.read.version = kNexusReadVersion;
    if (NexusText(&bytes, &refused)) {
        if (module.read(bytes.data(), bytes.size(), &reading.read) == 1) {
            FillTables(reading.read, tables.get(), &refused);
        } else {
            refused.line = reading.read.line > 0 ? reading.read.line : 1;
            refused.column = reading.read.column;
            refused.text = reading.read.problem.length > 0
                               ? StringOf(reading.read.problem)
                               : "the NEXUS reader is of another version";
        }
    }
    if (!refused.text.empty()) {
        if (refusal != nullptr) *refusal = refused;
        return false;
    }
    PublishMatrix(*tables);
    const int repeated = FirstRepeatedTaxon(*tables);
    if (repeated >= 0 && warnings != nullptr)
        warnings->push_back(Refusal{path, reading.read.taxaLine, 0,
                                    RepeatedTaxonProblem(tables->taxa[repeated].name)});
    if (firstTree != nullptr) *firstTree = StringOf(reading.read.firstTree);
    return true;
}

bool LoadNexusMatrix(const char* path, Refusal* refusal, std::vector<Refusal>* warnings,
                     std::string* firstTree) {
    std::string why;
    NexusModule module{};
    if (!LoadModule(&module, &why)) {
        // Only a broken installation gets here; say so instead of blaming the file.
        if (access(path, R_OK) != 0) {
            if (refusal != nullptr) *refusal = Refusal{path, 0, 0, kCannotOpen};
            return false;
        }
        if (refusal != nullptr)
            *refusal = Refusal{path, 1, 0, "cannot load the NEXUS reader: " + why};
        return false;
    }
    return LoadNexusMatrixWith(module, path, refusal, warnings, firstTree);
}
