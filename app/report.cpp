// The --report answer (see report.h). Called by main before glutInit; loads through the
// app's one load path and prints to the streams it is given. No GL, no X.
#include "app/report.h"

#include "app/loading.h"
#include "clade/parsimony.h"

#include <cstring>

namespace {

void WriteFigures(std::FILE* out) {
    const ParsimonyFigures figures = ComputeParsimony(gRoot);
    for (int c = 0; c < gCharacterCount && c < kMaxCharacters; ++c)
        std::fprintf(out, "%s: %d steps (minimum %d)\n", gCharacterNames[c], figures.steps[c],
                     figures.minimum[c]);
    std::fprintf(out, "Length: %d\nLower bound: %d\nConsistency index: %.2f\n", figures.length,
                 figures.lowerBound, ConsistencyIndex(figures));
    std::fflush(out);
}

} // namespace

int AnswerReportOption(int argc, char** argv, std::FILE* out, std::FILE* err) {
    int at = 1;
    while (at < argc && std::strcmp(argv[at], "--report") != 0)
        ++at;
    if (at == argc) return -1;
    const int given = argc - at - 1;
    if (given < 1) {
        std::fprintf(err, "quillmoor: --report needs a data file (try --help)\n");
        return 2;
    }
    const char* dataFile = argv[at + 1];
    // The tree argument: `--report DATA.csv TREE.nwk` reports on the tree read from
    // TREE.nwk once tree files can be read; until then the report is on the start tree and
    // a second file is refused.
    if (given > 1) {
        std::fprintf(err,
                     "quillmoor: --report takes one data file; tree files cannot be read yet\n");
        return 2;
    }
    if (!OpenDataFile(dataFile, nullptr, LoadReport::Figures)) return 1;
    WriteFigures(out);
    return 0;
}
