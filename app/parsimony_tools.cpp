// The parsimony tools (see parsimony_tools.h): the preview and hint computed for the
// frame, and the search run from a one-shot GLUT timer after the frame that says
// "Searching...". Called by the input code, the command table and the frame's view of the
// picture. Touches no GL.
#include "app/parsimony_tools.h"

#include "app/frame_request.h"
#include "app/messages.h"
#include "app/tree_change.h"
#include "clade/parsimony.h"
#include "display/display.h"
#include "display/parsimony_layout.h"

#include <GL/freeglut.h>

#include <cassert>
#include <cstdio>
#include <string>

namespace {

bool gPanelShown = false;
bool gSearchRequested = false;

// "(-2)", "(+1)", "(same)".
std::string Change(int now, int before) {
    if (now == before) return "(same)";
    char text[24];
    std::snprintf(text, sizeof text, "(%+d)", now - before);
    return text;
}

std::string Figures(const TreeScore& score, const TreeScore& before) {
    return std::to_string(score.events) + " events " + Change(score.events, before.events) + ", " +
           std::to_string(score.length) + " steps " + Change(score.length, before.length);
}

void RunRequestedSearch(int) {
    if (!gSearchRequested) return;
    gSearchRequested = false;
    FindBestTree();
    RequestFrame();
}

} // namespace

bool ParsimonyPanelShown() {
    return gPanelShown;
}

void ToggleParsimonyPanel() {
    gPanelShown = !gPanelShown;
    RequestFrame();
}

void UpdateDropPreview() {
    gDropPreview = DropPreview();
    if (!gDragging || gDragNode == nullptr || gRoot == nullptr) return;
    gDropPreview.moved = gDragNode;
    gDropPreview.current = ScoreTree(gRoot);
    gDropPreview.drops = PreviewDrops(gRoot, gDragNode);
}

const DropPreview* CurrentDropPreview() {
    if (!gDragging || gDropPreview.moved == nullptr || gDropPreview.moved != gDragNode)
        return nullptr;
    return &gDropPreview;
}

const DropFigures* PreviewedDrop(const CladeNode* target) {
    const DropPreview* preview = CurrentDropPreview();
    if (preview == nullptr || target == nullptr) return nullptr;
    for (const DropFigures& drop : preview->drops)
        if (drop.target == target) return &drop;
    return nullptr;
}

std::string DropHereText(const TreeScore& current, const TreeScore& drop) {
    return "Drop here: " + Figures(drop, current);
}

void ShowHint() {
    gHint = {nullptr, nullptr};
    if (gRoot == nullptr) return;
    const TreeScore current = ScoreTree(gRoot);
    const MoveChoice choice = BestSingleMove(gRoot);
    if (!choice.found || choice.score.events >= current.events) {
        ShowMessage("No single move helps: " + std::to_string(current.events) + " events");
        return;
    }
    const TrialArena arena(gRoot);
    // The arena's sources are the live nodes themselves.
    gHint = {arena.Source(choice.move.moved), arena.Source(choice.move.target)};
    ShowMessage("Marked move gives " + Figures(choice.score, current));
}

const HintMarks* CurrentHint() {
    return gHint.moved != nullptr ? &gHint : nullptr;
}

void RequestBestTreeSearch() {
    if (gRoot == nullptr) return;
    gSearchRequested = true;
    ShowMessage("Searching...");
}

void StartRequestedSearch() {
    // GLUT runs due timers before it draws; a timer set after this frame's swap therefore
    // runs after the picture with the message is on screen.
    if (gSearchRequested) glutTimerFunc(0, RunRequestedSearch, 0);
}

bool FindBestTree() {
    gSearchRequested = false;
    if (gRoot == nullptr) return false;
    ForgetDragState();
    const SearchOutcome outcome = SearchBetterTree(gRoot, MatrixSeed());
    if (outcome.moves.empty()) {
        ShowMessage("No better tree found: " + std::to_string(outcome.start.events) + " events, " +
                    std::to_string(outcome.start.length) + " steps");
        return false;
    }
    ChangeTree({TreeChange::Kind::ApplyMoves, nullptr, nullptr, nullptr, &outcome.moves});
    assert(ScoreTree(gRoot) == outcome.best);
    ShowMessage("Best tree found: " + Figures(outcome.best, outcome.start));
    return true;
}

const ParsimonyView* CurrentParsimonyView() {
    static ParsimonyView view;
    const DropPreview* preview = CurrentDropPreview();
    const DropFigures* aimed = PreviewedDrop(gDropTarget);
    const HintMarks* hint = CurrentHint();
    if (!gPanelShown && preview == nullptr && hint == nullptr) return nullptr;
    view.panel = gPanelShown;
    view.marks.clear();
    if (preview != nullptr) view.marks = DropMarks(preview->drops, preview->current, gDropTarget);
    view.hintMoved = hint != nullptr ? hint->moved : nullptr;
    view.hintTarget = hint != nullptr ? hint->target : nullptr;
    view.dropHere = aimed != nullptr ? DropHereText(preview->current, aimed->score) : "";
    return &view;
}

void ResetParsimonyTools() {
    gPanelShown = false;
    gSearchRequested = false;
    gDropPreview = DropPreview();
    gHint = {nullptr, nullptr};
}
