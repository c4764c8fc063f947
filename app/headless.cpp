// Headless modes (see headless.h): the same load path as the editor, with the listings
// left out, then one answer; refusals are shown through ShowRefusal. Called by main; no
// GL, no window.
#include "app/headless.h"

#include "app/guard.h"
#include "app/loading.h"
#include "app/picture.h"
#include "app/reconstruction_views.h"
#include "app/refusals.h"
#include "app/report.h"
#include "app/tree_change.h"
#include "clade/clade.h"
#include "clade/newick.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// --trace NAME of --export: the character the picture traces (null: none).
const char* gTraceName = nullptr;

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

// --export PICTURE DATA [TREE] [--trace NAME]
int WritePicture(const char* picture, std::FILE*, std::FILE* err) {
    if (gTraceName != nullptr && !TraceCharacter(CharacterNamed(gTraceName)))
        return Fail(err, std::string("--trace: the data file has no character named \"") +
                             gTraceName + "\"");
    Refusal refusal;
    const bool written = ExportWithoutWindow(picture, &refusal);
    EndTrace();
    if (written) return 0;
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

// The options a mode takes besides its files, each with one value: taken out of the
// arguments before the files are counted, wherever they stand after the mode's flag.
struct ModeOption {
    const char* mode;
    const char* flag;
    const char** value;
};
const ModeOption kModeOptions[] = {
    {"--export", "--trace", &gTraceName},
};

// Copies argv (argc >= 2) into *rest, null-terminated, without the options of its mode,
// and sets their values (null when not given); false when an option lacks its value.
bool TakeModeOptions(int argc, char** argv, std::vector<char*>* rest) {
    rest->assign(argv, argv + argc);
    bool complete = true;
    for (const ModeOption& option : kModeOptions) {
        *option.value = nullptr;
        if (std::strcmp(argv[1], option.mode) != 0) continue;
        for (std::size_t i = 2; i < rest->size();) {
            if (std::strcmp((*rest)[i], option.flag) != 0) {
                ++i;
                continue;
            }
            const std::size_t end = std::min(i + 2, rest->size());
            if (end == i + 2) *option.value = (*rest)[i + 1];
            complete = complete && end == i + 2;
            rest->erase(rest->begin() + static_cast<std::ptrdiff_t>(i),
                        rest->begin() + static_cast<std::ptrdiff_t>(end));
        }
    }
    rest->push_back(nullptr);
    return complete;
}

} // namespace

int RunHeadlessMode(int argc, char** argv, std::FILE* out, std::FILE* err) {
    if (argc < 2) return -1;
    std::vector<char*> rest;
    const bool optionsTaken = TakeModeOptions(argc, argv, &rest);
    argc = static_cast<int>(rest.size()) - 1;
    argv = rest.data();
    for (const HeadlessMode& mode : kModes) {
        if (std::strcmp(argv[1], mode.flag) != 0) continue;
        const int first = mode.takesOutput ? 3 : 2; // the data file's place
        const int files = argc - first;
        if (!optionsTaken || files < 1 || files > 2 ||
            (files == 2 && !IsTreeFileName(argv[first + 1])))
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
