// What the picture shows of a most parsimonious reconstruction of the tree: the change
// markers, the total and the character lists by the fewest changes instead of the
// editor's rule, and the trace of one character (every branch in the colour of the states
// its node may have). The app keeps the reconstruction and says which views are on; the
// scene builders read this. Plain data and the trace's colours; no GL.
#pragma once

#include "clade/reconstruction.h"
#include "display/palette.h"
#include "matrix/matrix.h"

// The views of a reconstruction computed for the live tree (gRoot), every character.
struct ReconstructionView {
    const Reconstruction* reconstruction = nullptr;
    bool fewestChanges = false; // markers, total and lists follow the reconstruction
    int traced = -1;            // the character whose states colour the branches, or -1
};

// The reconstruction the markers, the total and the lists follow, or null for the
// editor's own rule (no view, or the fewest-change view off).
inline const Reconstruction* FewestChangesOf(const ReconstructionView* view) {
    return view != nullptr && view->fewestChanges ? view->reconstruction : nullptr;
}
// The character traced, or -1 when there is no trace (no view, no character, or one the
// reconstruction has not computed).
inline int TracedOf(const ReconstructionView* view) {
    if (view == nullptr || view->reconstruction == nullptr) return -1;
    return view->reconstruction->Computed(view->traced) ? view->traced : -1;
}

// The trace's colour of a state, from the colour-blind-safe palette (palette.h). A
// character with more than eight states repeats the colours from its ninth; the legend
// still names every state.
constexpr int kTraceColourCount = kSafeColourCount;
inline const float* TraceStateColour(int state) {
    return kSafeColours[(state % kTraceColourCount + kTraceColourCount) % kTraceColourCount];
}
// A branch whose node may have more than one state: grey, and drawn in dashes.
constexpr float kTraceAmbiguousColour[3] = {0.6f, 0.6f, 0.6f};

// The states a character's cells allow, together: the states its trace can show.
StateSet TraceableStates(int character);
