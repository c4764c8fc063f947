// Headless modes (see headless.h): the same load path as the editor, with the listings
// left out, then one answer on stdout. Called by main; no GL, no window.
#include "app/headless.h"

#include "app/loading.h"
#include "clade/clade.h"
#include "clade/newick.h"

#include <cstring>
#include <string>

namespace {

// Loads DATA and, when given, TREE, quietly; refusals go to stderr in one line each.
bool LoadQuietly(const char* dataFile, const char* treeFile) {
    if (!OpenDataFile(dataFile, nullptr, LoadReport::CommandLine, false)) return false;
    return treeFile == nullptr || OpenTreeFile(treeFile, nullptr, LoadReport::CommandLine, false);
}

int PrintNewick(const char* dataFile, const char* treeFile, std::FILE* out) {
    if (!LoadQuietly(dataFile, treeFile)) return 1;
    const std::string text = WriteNewick(gRoot);
    std::fwrite(text.data(), 1, text.size(), out);
    return std::fflush(out) == 0 ? 0 : 1;
}

} // namespace

int RunHeadlessMode(int argc, char** argv, std::FILE* out, std::FILE* err) {
    if (argc < 2 || std::strcmp(argv[1], "--newick") != 0) return -1;
    const int files = argc - 2;
    if (files < 1 || files > 2 || (files == 2 && !IsTreeFileName(argv[3]))) {
        std::fprintf(err, "quillmoor: --newick needs a data file and at most one tree file "
                          "(try --help)\n");
        return 2;
    }
    return PrintNewick(argv[2], files == 2 ? argv[3] : nullptr, out);
}
