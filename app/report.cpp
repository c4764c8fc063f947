// The parsimony report (see report.h). Called by the windowless --report mode; prints to
// the stream it is given. No GL, no X.
#include "app/report.h"

#include "clade/clade.h"
#include "clade/parsimony.h"

void WriteParsimonyReport(std::FILE* out) {
    const ParsimonyFigures figures = ComputeParsimony(gRoot);
    for (int c = 0; c < gCharacterCount && c < kMaxCharacters; ++c)
        std::fprintf(out, "%s: %d %s (minimum %d)\n", gCharacterNames[c], figures.steps[c],
                     figures.steps[c] == 1 ? "step" : "steps", figures.minimum[c]);
    std::fprintf(out, "Length: %d\nLower bound: %d\nConsistency index: %.2f\n", figures.length,
                 figures.lowerBound, ConsistencyIndex(figures));
    std::fflush(out);
}
