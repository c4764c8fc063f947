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
#include "clade/search.h"

#include <cstring>
#include <string>
#include <vector>

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

// What the command line gave a mode besides its data and tree files.
struct ModeArguments {
    const char* output = nullptr;   // the file to write, for a mode that takes one
    bool all = false;               // --all
    const char* outgroup = nullptr; // --outgroup NAME; null: the outgroup as loaded
    const char* trace = nullptr;    // --trace NAME: the character the picture traces
};

// --newick DATA [TREE]
int PrintNewick(const ModeArguments&, std::FILE* out, std::FILE* err) {
    const std::string text = WriteNewick(gRoot);
    std::fwrite(text.data(), 1, text.size(), out);
    if (std::fflush(out) != 0) return Fail(err, "cannot write the tree on standard output");
    return 0;
}

// --export PICTURE DATA [TREE] [--trace NAME]
int WritePicture(const ModeArguments& args, std::FILE*, std::FILE* err) {
    if (args.trace != nullptr && !TraceCharacter(CharacterNamed(args.trace)))
        return Fail(err, std::string("--trace: the data file has no character named \"") +
                             args.trace + "\"");
    Refusal refusal;
    const bool written = ExportWithoutWindow(args.output, &refusal);
    EndTrace();
    if (written) return 0;
    ShowRefusal(refusal, Audience::Windowless);
    return 1;
}

// --report DATA [TREE]
int PrintReport(const ModeArguments&, std::FILE* out, std::FILE* err) {
    WriteParsimonyReport(out);
    return std::ferror(out) ? Fail(err, "cannot write the report on standard output") : 0;
}

// How many taxa are named name; *taxa gets the last of them.
int TaxaNamed(const char* name, TaxonMask* taxa) {
    int count = 0;
    for (int t = 0; t < gTaxonCount && t < kMaxTaxa; ++t) {
        if (std::strcmp(gTaxa[t].name, name) != 0) continue;
        ++count;
        *taxa = TaxonBit(t);
    }
    return count;
}

// --search [--all] DATA [TREE] [--outgroup NAME]: the length is the figure an answer key
// needs, since it does not depend on the order of earlier changes as Total Events does.
// Each tree is applied as the editor applies a search's tree and written from there, so
// the answer is the tree the editor would show.
int PrintBestTrees(const ModeArguments& args, std::FILE* out, std::FILE* err) {
    TaxonMask outgroup = gOutgroup;
    if (args.outgroup != nullptr) {
        const int named = TaxaNamed(args.outgroup, &outgroup);
        const std::string quoted = std::string("\"") + args.outgroup + "\"";
        if (named == 0) return Fail(err, "--outgroup: no taxon is named " + quoted);
        if (named > 1) return Fail(err, "--outgroup: more than one taxon is named " + quoted);
    }
    const TreeSearchOutcome outcome =
        SearchBestTrees(gRoot, {SearchGoal::kShortest, outgroup, MatrixSeed()});
    const std::size_t count = args.all ? outcome.trees.size() : 1;
    for (std::size_t k = 0; k < count && k < outcome.trees.size(); ++k) {
        ChangeTree({TreeChange::Kind::ApplyTree, nullptr, nullptr, &outcome.trees[k].tree});
        const std::string text = WriteNewick(gRoot);
        std::fwrite(text.data(), 1, text.size(), out);
    }
    if (std::fflush(out) != 0) return Fail(err, "cannot write the trees on standard output");
    return 0;
}

struct HeadlessMode {
    const char* flag;
    bool takesOutput;   // a file to write comes before the data file
    bool searchOptions; // --all and --outgroup NAME may stand anywhere after the flag
    bool traceOption;   // --trace NAME may stand anywhere after the flag
    const char* usage;
    int (*run)(const ModeArguments& args, std::FILE* out, std::FILE* err);
};

const HeadlessMode kModes[] = {
    {"--newick", false, false, false, "--newick FILE.csv [TREE.nwk]", PrintNewick},
    {"--export", true, false, true, "--export PICTURE FILE.csv [TREE.nwk] [--trace NAME]",
     WritePicture},
    {"--report", false, false, false, "--report FILE.csv [TREE.nwk]", PrintReport},
    {"--search", false, true, false, "--search [--all] FILE.csv [TREE.nwk] [--outgroup NAME]",
     PrintBestTrees},
};

// Splits the arguments after the flag (and the output file) into the options the mode
// takes and its files; false when an option lacks its value.
bool TakeArguments(const HeadlessMode& mode, int argc, char** argv, ModeArguments* args,
                   std::vector<const char*>* files) {
    int i = 2;
    if (mode.takesOutput && i < argc) args->output = argv[i++];
    for (; i < argc; ++i) {
        if (mode.searchOptions && std::strcmp(argv[i], "--all") == 0) {
            args->all = true;
        } else if (mode.searchOptions && std::strcmp(argv[i], "--outgroup") == 0) {
            if (++i == argc) return false;
            args->outgroup = argv[i];
        } else if (mode.traceOption && std::strcmp(argv[i], "--trace") == 0) {
            if (++i == argc) return false;
            args->trace = argv[i];
        } else {
            files->push_back(argv[i]);
        }
    }
    return args->output != nullptr || !mode.takesOutput;
}

} // namespace

int RunHeadlessMode(int argc, char** argv, std::FILE* out, std::FILE* err) {
    if (argc < 2) return -1;
    for (const HeadlessMode& mode : kModes) {
        if (std::strcmp(argv[1], mode.flag) != 0) continue;
        ModeArguments args;
        std::vector<const char*> files;
        const bool fits = TakeArguments(mode, argc, argv, &args, &files);
        if (!fits || files.empty() || files.size() > 2 ||
            (files.size() == 2 && !IsTreeFileName(files[1])))
            return Fail(err, std::string("usage: quillmoor ") + mode.usage + " (try --help)");
        int status = 1;
        SetTreeListing(false); // the output holds the answer alone
        RunGuarded([&] {
            if (LoadQuietly(files[0], files.size() == 2 ? files[1] : nullptr))
                status = mode.run(args, out, err);
        });
        SetTreeListing(true);
        return status;
    }
    return -1;
}
