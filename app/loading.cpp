// The load path (see loading.h). Called by main (the command line) and the frame (the
// chooser). Changes no GL state; prints the listing, or one refusal line.
#include "app/loading.h"

#include "app/messages.h"
#include "app/tree_change.h"
#include "clade/clade.h"
#include "clade/newick.h"
#include "matrix/matrix.h"
#include "nexus/nexus.h"
#include "platform/platform.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string gLoadedDataFile;

// Tells a refusal once on the console, as report says, and on the message line.
void TellRefusal(const std::string& reason, const char* fileName, LoadReport report) {
    if (report == LoadReport::Console) {
        std::printf("%s\n", reason.c_str());
        std::fflush(stdout);
    } else if (reason.find(fileName) != std::string::npos) {
        std::fprintf(stderr, "quillmoor: %s\n", reason.c_str());
    } else {
        std::fprintf(stderr, "quillmoor: cannot load %s: %s\n", fileName, reason.c_str());
    }
    std::fflush(stderr);
    ShowMessage(WithoutFolder(reason, fileName));
}

} // namespace

std::string WithoutFolder(const std::string& text, const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos || path.empty()) return text;
    const std::string name = path.substr(slash + 1);
    std::string out = text;
    for (std::string::size_type at = out.find(path); at != std::string::npos;
         at = out.find(path, at + name.size())) {
        out.replace(at, path.size(), name);
    }
    return out;
}

bool OpenDataFile(const char* fileName, std::string* whyNot, LoadReport report) {
    std::string reason;
    std::string firstTree;
    const bool loaded = IsNexusFile(fileName)
                            ? LoadNexusMatrix(fileName, &reason, false, &firstTree)
                            : LoadCharacterMatrix(fileName, &reason, false);
    if (loaded) {
        gLoadedDataFile = fileName;
        ChangeTree({TreeChange::Kind::StartTree});
        // A NEXUS file's own first tree opens with it when it covers exactly its taxa;
        // one that does not is left out, as is any other block the editor does not show.
        NewickTree tree;
        if (!firstTree.empty() && ReadNewick(firstTree, fileName, &tree, nullptr))
            ChangeTree({TreeChange::Kind::LoadedTree, nullptr, nullptr, &tree});
        return true;
    }
    if (reason.empty()) reason = std::string("cannot load ") + fileName;
    TellRefusal(reason, fileName, report);
    if (whyNot != nullptr) *whyNot = reason;
    return false;
}

bool OpenTreeFile(const char* fileName, std::string* whyNot, LoadReport report) {
    std::string reason;
    std::string text;
    NewickTree tree;
    if (ReadWholeDataFile(fileName, &text, &reason, false) &&
        ReadNewick(text, fileName, &tree, &reason)) {
        ChangeTree({TreeChange::Kind::ApplyTree, nullptr, nullptr, &tree});
        return true;
    }
    TellRefusal(reason, fileName, report);
    if (whyNot != nullptr) *whyNot = reason;
    return false;
}

bool IsTreeFileName(const char* fileName) {
    const char* dot = std::strrchr(fileName, '.');
    const char* slash = std::strrchr(fileName, '/');
    if (dot == nullptr || (slash != nullptr && dot < slash)) return false;
    for (const char* extension : {".nwk", ".tre", ".tree", ".newick"})
        if (strcasecmp(dot, extension) == 0) return true;
    return false;
}

bool OpenAnyFile(const char* fileName, LoadReport report) {
    if (IsTreeFileName(fileName)) return OpenTreeFile(fileName, nullptr, report);
    return OpenDataFile(fileName, nullptr, report);
}

bool SaveTreeFile(const char* fileName, std::string* whyNot) {
    const std::string text = WriteNewick(gRoot);
    const auto write = [](std::FILE* out, void* context, std::string* problem) {
        const std::string& bytes = *static_cast<const std::string*>(context);
        if (std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size()) return true;
        *problem = std::string("cannot write: ") + std::strerror(errno);
        return false;
    };
    return WriteFileReplacing(fileName, write, const_cast<std::string*>(&text), whyNot);
}

void TellFailure(const std::string& reason, const char* fileName) {
    TellRefusal(reason, fileName, LoadReport::Console);
}

const std::string& LoadedDataFile() {
    return gLoadedDataFile;
}
