// The load path (see loading.h). Called by main (the command line) and the frame (the
// chooser). Changes no GL state; prints the listing, and hands refusals and warnings to
// ShowRefusal.
#include "app/loading.h"

#include "app/tree_change.h"
#include "base/files.h"
#include "clade/clade.h"
#include "clade/newick.h"
#include "matrix/matrix.h"
#include "nexus/nexus.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string gLoadedDataFile;

// Shows a refusal to audience and hands it to the caller; returns false.
bool Refuse(const Refusal& refused, Audience audience, Refusal* refusal) {
    ShowRefusal(refused, audience);
    if (refusal != nullptr) *refusal = refused;
    return false;
}

} // namespace

bool OpenDataFile(const char* fileName, Refusal* refusal, Audience audience) {
    Refusal refused;
    std::vector<Refusal> warnings;
    std::string firstTree;
    const bool loaded = IsNexusFile(fileName)
                            ? LoadNexusMatrix(fileName, &refused, &warnings, &firstTree)
                            : LoadCharacterMatrix(fileName, &refused, &warnings);
    if (!loaded) return Refuse(refused, audience, refusal);
    gLoadedDataFile = fileName;
    ChangeTree({TreeChange::Kind::StartTree});
    // A NEXUS file's own first tree opens with it when it covers exactly its taxa; one
    // that does not is left out, as is any other block the editor does not show.
    NewickTree tree;
    if (!firstTree.empty() && ReadNewick(firstTree, fileName, &tree, nullptr))
        ChangeTree({TreeChange::Kind::LoadedTree, nullptr, nullptr, &tree});
    for (const Refusal& warning : warnings)
        ShowRefusal(warning, audience, Severity::Warning);
    return true;
}

bool OpenTreeFile(const char* fileName, Refusal* refusal, Audience audience) {
    Refusal refused;
    std::string text;
    NewickTree tree;
    if (!ReadWholeFile(fileName, &text, &refused) || !ReadNewick(text, fileName, &tree, &refused))
        return Refuse(refused, audience, refusal);
    ChangeTree({TreeChange::Kind::ApplyTree, nullptr, nullptr, &tree});
    return true;
}

bool IsTreeFileName(const char* fileName) {
    const char* dot = std::strrchr(fileName, '.');
    const char* slash = std::strrchr(fileName, '/');
    if (dot == nullptr || (slash != nullptr && dot < slash)) return false;
    for (const char* extension : {".nwk", ".tre", ".tree", ".newick"})
        if (strcasecmp(dot, extension) == 0) return true;
    return false;
}

bool OpenAnyFile(const char* fileName, Audience audience) {
    if (IsTreeFileName(fileName)) return OpenTreeFile(fileName, nullptr, audience);
    return OpenDataFile(fileName, nullptr, audience);
}

bool SaveTreeFile(const char* fileName, Refusal* refusal) {
    // A tree that would not read back is not written: saving must never report success
    // for a file that cannot be reopened.
    Refusal unfit{fileName, 0, 0, ""};
    if (!NewickReadsBack(&unfit)) {
        if (refusal != nullptr) *refusal = unfit;
        return false;
    }
    const std::string text = WriteNewick(gRoot, true);
    const auto write = [](std::FILE* out, void* context, std::string* problem) {
        const std::string& bytes = *static_cast<const std::string*>(context);
        if (std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size()) return true;
        *problem = std::string("cannot write: ") + std::strerror(errno);
        return false;
    };
    return WriteFileReplacing(fileName, write, const_cast<std::string*>(&text), refusal);
}

const std::string& LoadedDataFile() {
    return gLoadedDataFile;
}
