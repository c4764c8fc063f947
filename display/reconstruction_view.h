// What the picture shows of a most parsimonious reconstruction of the tree: the change
// markers, the total and the character lists by the fewest changes instead of the
// editor's rule, and the trace of one character (every branch in the colour of the states
// its node may have). The app keeps the reconstruction and says which views are on; the
// scene builders read this. Plain data and the trace's palette; no GL.
#pragma once

#include "clade/reconstruction.h"
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

// The trace's colour of a state: the Okabe-Ito palette, which readers with any common
// colour-vision deficiency tell apart, with its yellow and black last (yellow is faint on
// white, and black is the labels' colour). A character with more than eight states
// repeats the colours from its ninth; the legend still names every state.
constexpr int kTraceColourCount = 8;
inline const float* TraceStateColour(int state) {
    static constexpr float kPalette[kTraceColourCount][3] = {
        {0.902f, 0.624f, 0.0f},   // orange
        {0.0f, 0.447f, 0.698f},   // blue
        {0.0f, 0.620f, 0.451f},   // bluish green
        {0.835f, 0.369f, 0.0f},   // vermilion
        {0.337f, 0.706f, 0.914f}, // sky blue
        {0.800f, 0.475f, 0.655f}, // reddish purple
        {0.941f, 0.894f, 0.259f}, // yellow
        {0.0f, 0.0f, 0.0f},       // black
    };
    return kPalette[(state % kTraceColourCount + kTraceColourCount) % kTraceColourCount];
}
// A branch whose node may have more than one state: grey, and drawn in dashes.
constexpr float kTraceAmbiguousColour[3] = {0.6f, 0.6f, 0.6f};

// The states a character's cells allow, together: the states its trace can show.
StateSet TraceableStates(int character);
