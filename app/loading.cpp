// The load path (see loading.h). Called by main (the command line) and the frame (the
// chooser). Changes no GL state; prints the listing, or one refusal line.
#include "app/loading.h"

#include "app/messages.h"
#include "clade/clade.h"
#include "clade/history.h"
#include "matrix/matrix.h"

#include <cstdio>

void AdoptLoadedMatrix(bool list) {
    // Replacing the tree tells the release hook, which forgets the drag state.
    BuildInitialTree();
    if (list)
        RebuildTree();
    else
        RebuildTreeWithoutListing();
    ResetHistory();
}

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
    if (LoadCharacterMatrix(fileName, &reason, false)) {
        AdoptLoadedMatrix(report != LoadReport::Figures);
        return true;
    }
    if (reason.empty()) reason = std::string("cannot load ") + fileName;
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
    if (whyNot != nullptr) *whyNot = reason;
    return false;
}
