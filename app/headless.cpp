// Headless modes (see headless.h): the same load path as the editor, with the listings
// left out, then one answer; refusals are shown through ShowRefusal. Called by main; no
// GL, no window.
#include "app/headless.h"

#include "app/guard.h"
#include "app/loading.h"
#include "app/picture.h"
#include "app/refusals.h"
#include "app/report.h"
#include "app/tree_change.h"
#include "clade/clade.h"
#include "clade/newick.h"

#include <cstring>
#include <string>

namespace {

// Loads DATA and, when given, TREE (the caller has turned the listing off); a refusal
// goes to stderr in one line.
bool LoadQuietly(const char* dataFile, const char* treeFile) {
    if (!OpenDataFile(dataFile, nullptr, Audience::Windowless)) return false;
    return treeFile == nullptr || OpenTreeFile(treeFile, nullptr, Audience::Windowless);
}

int Fail(std::FILE* err, const std::string& why) {
    std::fprintf(err, "quillmoor: %s\n", why.c_str());
    std::fflush(err);
    return 1;
}

// --newick DATA [TREE]
int PrintNewick(const char*, std::FILE* out, std::FILE* err) {
    const std::string text = WriteNewick(gRoot);
    std::fwrite(text.data(), 1, text.size(), out);
    if (std::fflush(out) != 0) return Fail(err, "cannot write the tree on standard output");
    return 0;
}

// --export PICTURE DATA [TREE]
int WritePicture(const char* picture, std::FILE*, std::FILE*) {
    Refusal refusal;
    if (ExportWithoutWindow(picture, &refusal)) return 0;
    ShowRefusal(refusal, Audience::Windowless);
    return 1;
}

// --report DATA [TREE]
int PrintReport(const char*, std::FILE* out, std::FILE* err) {
    WriteParsimonyReport(out);
    return std::ferror(out) ? Fail(err, "cannot write the report on standard output") : 0;
}

struct HeadlessMode {
    const char* flag;
    bool takesOutput; // a file to write comes before the data file
    const char* usage;
    int (*run)(const char* output, std::FILE* out, std::FILE* err);
};

const HeadlessMode kModes[] = {
    {"--newick", false, "--newick FILE.csv [TREE.nwk]", PrintNewick},
    {"--export", true, "--export PICTURE FILE.csv [TREE.nwk]", WritePicture},
    {"--report", false, "--report FILE.csv [TREE.nwk]", PrintReport},
};

} // namespace

int RunHeadlessMode(int argc, char** argv, std::FILE* out, std::FILE* err) {
    if (argc < 2) return -1;
    for (const HeadlessMode& mode : kModes) {
        if (std::strcmp(argv[1], mode.flag) != 0) continue;
        const int first = mode.takesOutput ? 3 : 2; // the data file's place
        const int files = argc - first;
        if (files < 1 || files > 2 || (files == 2 && !IsTreeFileName(argv[first + 1])))
            return Fail(err, std::string("usage: quillmoor ") + mode.usage + " (try --help)");
        int status = 1;
        SetTreeListing(false); // the output holds the answer alone
        RunGuarded([&] {
            if (LoadQuietly(argv[first], files == 2 ? argv[first + 1] : nullptr))
                status = mode.run(mode.takesOutput ? argv[2] : nullptr, out, err);
        });
        SetTreeListing(true);
        return status;
    }
    return -1;
}
