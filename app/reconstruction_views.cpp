// The views of a reconstruction (see reconstruction_views.h): the switches, the trace's
// character, and the reconstruction of the live tree, kept until the change step reports
// another tree. Called by the commands, the input code and the picture's view. Touches no
// GL.
#include "app/reconstruction_views.h"

#include "app/frame_request.h"
#include "app/messages.h"
#include "app/tree_change.h"
#include "clade/clade.h"

#include <cstring>
#include <string>

namespace {

bool gFewestChanges = false;
int gTraced = -1;
int gLastTraced = 0; // what 't' traces next, in this data file

// The reconstruction of the live tree at the version it was computed at. Tens of KB: one
// for the program, filled in place.
Reconstruction gReconstruction;
bool gComputed = false;
TreeVersion gComputedAt{0, 0};
TreeVersion gSeen{0, 0}; // the last version the trace state was brought up to

// A new data file's characters are not the ones traced: the trace ends, and 't' starts
// from the first again. Any other change keeps the trace on the new tree.
void FollowTheTree() {
    const TreeVersion now = LiveTreeVersion();
    if (now.histories != gSeen.histories) {
        gTraced = -1;
        gLastTraced = 0;
    }
    gSeen = now;
    if (gTraced >= gCharacterCount) gTraced = -1;
}

// Recomputed only when the change step has changed the tree since, or when the live root
// is not the reconstruction's (a tree put in place without the change step: tests).
const Reconstruction& CurrentReconstruction() {
    const TreeVersion now = LiveTreeVersion();
    const bool sameRoot =
        gReconstruction.NodeCount() > 0 ? gReconstruction.Node(0) == gRoot : gRoot == nullptr;
    if (!gComputed || now.changes != gComputedAt.changes || !sameRoot) {
        gReconstruction.Compute(gRoot);
        gComputed = true;
        gComputedAt = now;
    }
    return gReconstruction;
}

std::string CharacterName(int c) {
    return std::string(gCharacterNames[c], strnlen(gCharacterNames[c], kMatrixNameSize));
}

void Step(int by) {
    FollowTheTree();
    if (gTraced < 0 || gCharacterCount <= 0) return;
    TraceCharacter((gTraced + by + gCharacterCount) % gCharacterCount);
}

} // namespace

bool FewestChangesShown() {
    return gFewestChanges;
}

void ToggleFewestChanges() {
    gFewestChanges = !gFewestChanges;
    ShowMessage(gFewestChanges ? "Markers by the fewest changes (m: the editor's rule)"
                               : "Markers by the editor's rule (m: the fewest changes)");
    RequestFrame();
}

int TracedCharacter() {
    FollowTheTree();
    return gTraced;
}

bool TraceCharacter(int c) {
    FollowTheTree();
    if (c < 0 || c >= gCharacterCount) {
        EndTrace();
        return false;
    }
    gTraced = c;
    gLastTraced = c;
    ShowMessage("Tracing " + CharacterName(c) + " (" + std::to_string(c + 1) + " of " +
                std::to_string(gCharacterCount) + "): arrows for the others, Escape ends");
    RequestFrame();
    return true;
}

void ToggleTrace() {
    FollowTheTree();
    if (gTraced >= 0) {
        EndTrace();
        return;
    }
    if (gCharacterCount <= 0) {
        ShowMessage("No character to trace");
        return;
    }
    TraceCharacter(gLastTraced < gCharacterCount ? gLastTraced : 0);
}

void EndTrace() {
    if (gTraced < 0) return;
    gTraced = -1;
    RequestFrame();
}

void TraceNextCharacter() {
    Step(1);
}

void TracePreviousCharacter() {
    Step(-1);
}

void ToggleTraceOf(int c) {
    FollowTheTree();
    if (c == gTraced) {
        EndTrace();
        return;
    }
    TraceCharacter(c);
}

int CharacterNamed(const char* name) {
    for (int c = 0; c < gCharacterCount && c < kMaxCharacters; ++c) {
        if (std::strncmp(gCharacterNames[c], name, kMatrixNameSize) == 0) return c;
    }
    return -1;
}

const ReconstructionView* CurrentReconstructionView() {
    static ReconstructionView view;
    FollowTheTree();
    if (!gFewestChanges && gTraced < 0) return nullptr;
    if (gRoot == nullptr) return nullptr;
    view.reconstruction = &CurrentReconstruction();
    view.fewestChanges = gFewestChanges;
    view.traced = gTraced;
    return &view;
}

void ResetReconstructionViews() {
    gFewestChanges = false;
    gTraced = -1;
    gLastTraced = 0;
    gComputed = false;
    gSeen = LiveTreeVersion();
}
