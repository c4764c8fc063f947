// The load path (see loading.h). Called by main (the command line) and the frame (the
// chooser). Changes no GL state; prints the listing, and hands refusals and warnings to
// ShowRefusal.
#include "app/loading.h"

#include "app/messages.h"
#include "app/recovery.h"
#include "app/tree_change.h"
#include "base/files.h"
#include "clade/clade.h"
#include "clade/newick.h"
#include "matrix/matrix.h"
#include "nexus/nexus.h"

#include <strings.h>

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

// The tree a crash, a kill or a closed window left unsaved over this data file comes back
// as a change of its own, so that Ctrl+Z gives the file's tree. A recovery file that
// cannot be used is told as a warning and left for the next change to replace.
void RestoreRecoveredTree(const char* fileName, Audience audience) {
    RecoveredTree found;
    Refusal refused;
    if (!FindRecoveredTree(fileName, &found, &refused)) {
        if (!refused.text.empty()) ShowRefusal(refused, audience, Severity::Warning);
        return;
    }
    ChangeTree({TreeChange::Kind::ApplyTree, nullptr, nullptr, &found.tree});
    const std::string told = "Recovered the unsaved tree (" + std::to_string(found.changes) +
                             (found.changes == 1 ? " change" : " changes") +
                             "); Ctrl+Z gives the file's tree";
    // stderr, not stdout, where the listing alone goes.
    std::fprintf(stderr, "quillmoor: %s: %s\n", fileName, told.c_str());
    std::fflush(stderr);
    if (audience != Audience::Windowless) ShowMessage(told);
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
    RestoreRecoveredTree(fileName, audience);
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
    // The tree on screen is a file's now: nothing of it would be lost.
    MarkTreeSaved();
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
    return WriteTextReplacing(fileName, WriteNewick(gRoot, true), refusal);
}

const std::string& LoadedDataFile() {
    return gLoadedDataFile;
}
