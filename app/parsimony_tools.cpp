// The parsimony tools (see parsimony_tools.h): the preview and hint computed for the
// frame, the rooting on a picked group, the search run from a one-shot GLUT timer after the
// frame that says "Searching...", and the trees it kept. Called by the input code, the
// command table and the frame's view of the picture. Touches no GL.
#include "app/parsimony_tools.h"

#include "app/frame_request.h"
#include "app/messages.h"
#include "app/reconstruction_views.h"
#include "app/tree_change.h"
#include "clade/parsimony.h"
#include "clade/search.h"
#include "display/display.h"
#include "display/parsimony_layout.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <string>
#include <vector>

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

// "12 events, 10 steps".
std::string Figures(const TreeScore& score) {
    return std::to_string(score.events) + " events, " + std::to_string(score.length) + " steps";
}

std::string Figures(const TreeScore& score, const TreeScore& before) {
    return std::to_string(score.events) + " events " + Change(score.events, before.events) + ", " +
           std::to_string(score.length) + " steps " + Change(score.length, before.length);
}

// The equally good trees of the last search, with what they were searched for: they are
// offered only while the matrix and the outgroup are the same.
struct KeptTrees {
    std::vector<FoundTree> trees;
    bool more = false;      // the search met more than it kept
    TaxonMask outgroup = 0; // gOutgroup when they were searched
    uint32_t matrix = 0;    // MatrixSeed() of the matrix searched
};
KeptTrees gKept;

SearchGoal ShownGoal() {
    return FewestChangesShown() ? SearchGoal::kShortest : SearchGoal::kFewestEvents;
}

// "12 events", "12 steps", "1 step": the figure the goal minimises.
std::string GoalFigure(const TreeScore& score, SearchGoal goal) {
    const int figure = PrimaryFigure(score, goal);
    if (goal == SearchGoal::kFewestEvents) return std::to_string(figure) + " events";
    return std::to_string(figure) + (figure == 1 ? " step" : " steps");
}

// "Lamprey", or "a group of 3 taxa".
std::string GroupName(TaxonMask group) {
    int count = 0;
    int taxon = -1;
    for (int t = 0; t < gTaxonCount && t < kMaxTaxa; ++t) {
        if ((group & TaxonBit(t)) == 0) continue;
        ++count;
        taxon = t;
    }
    if (count == 1) return gTaxa[taxon].name;
    return "a group of " + std::to_string(count) + " taxa";
}

// The taxa of each internal node, sorted: two rooted trees are the same, whatever the
// order of children, exactly when these lists are. Post-order, left before right.
TaxonMask CladesOf(const CladeNode* node, std::vector<TaxonMask>* clades) {
    if (node == nullptr) return 0;
    if (node->left == nullptr && node->right == nullptr) return TaxaBelow(node);
    const TaxonMask below = CladesOf(node->left, clades) | CladesOf(node->right, clades);
    clades->push_back(below);
    return below;
}
TaxonMask CladesOf(const NewickTree& tree, int node, std::vector<TaxonMask>* clades) {
    const NewickTree::Node& at = tree.nodes[node];
    if (at.left < 0) return TaxonBit(at.taxon);
    const TaxonMask below = CladesOf(tree, at.left, clades) | CladesOf(tree, at.right, clades);
    clades->push_back(below);
    return below;
}

// The kept tree in place, or -1 when the tree is none of them.
int KeptTreeInPlace() {
    std::vector<TaxonMask> live;
    CladesOf(gRoot, &live);
    std::sort(live.begin(), live.end());
    for (int k = 0; k < static_cast<int>(gKept.trees.size()); ++k) {
        std::vector<TaxonMask> kept;
        if (!gKept.trees[k].tree.nodes.empty()) CladesOf(gKept.trees[k].tree, 0, &kept);
        std::sort(kept.begin(), kept.end());
        if (kept == live) return k;
    }
    return -1;
}

// One step through the kept trees, forward (+1) or back (-1).
void StepKeptTrees(int direction) {
    if (gRoot == nullptr || gKept.trees.empty() || gKept.matrix != MatrixSeed()) {
        ShowMessage("No equally good trees kept: Ctrl+B searches for them");
        return;
    }
    if (gKept.outgroup != gOutgroup) {
        ShowMessage("The kept trees have another outgroup: Ctrl+B searches again");
        return;
    }
    ForgetDragState();
    const int count = static_cast<int>(gKept.trees.size());
    const int now = KeptTreeInPlace();
    const int next = now < 0 ? (direction > 0 ? 0 : count - 1) : (now + direction + count) % count;
    const FoundTree& found = gKept.trees[next];
    if (next != now) {
        ChangeTree({TreeChange::Kind::ApplyTree, nullptr, nullptr, &found.tree});
        assert(ScoreTree(gRoot) == found.score);
    }
    ShowMessage("Tree " + std::to_string(next + 1) + " of " + std::to_string(count) + ": " +
                Figures(found.score));
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
    gDropPreview.drops = PreviewDrops(gRoot, gDragNode, gOutgroup);
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
    const MoveChoice choice = BestSingleMove(gRoot, gOutgroup);
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

void RootOnPickedGroup() {
    if (!gDragging || gDragNode == nullptr || gRoot == nullptr) {
        ShowMessage("Nothing picked: pick a leaf or a group, then root the tree on it");
        return;
    }
    const TaxonMask group = TaxaBelow(gDragNode);
    if (!ChangeTree({TreeChange::Kind::Reroot, gDragNode})) {
        ShowMessage("The tree is already rooted on " + GroupName(group) + ", the outgroup");
        return;
    }
    assert(IsRootedOn(gRoot, group) && TaxaBelow(gRoot->left) == group);
    ShowMessage("Rooted on " + GroupName(group) + ", now the outgroup");
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
    const SearchGoal goal = ShownGoal();
    TreeSearchOutcome outcome = SearchBestTrees(gRoot, {goal, gOutgroup, MatrixSeed()});
    assert(!outcome.trees.empty());
    gKept = {std::move(outcome.trees), outcome.moreTrees, gOutgroup, MatrixSeed()};
    const FoundTree& best = gKept.trees.front();
    // A tree rooted elsewhere (a student's drop broke the outgroup) takes a tree rooted on
    // it that is no worse; otherwise only a better tree replaces the tree in place.
    const bool better = Better(best.score, outcome.start, goal) ||
                        (!outcome.startRooted && !Better(outcome.start, best.score, goal));
    if (!better) {
        ShowMessage("No better tree found: " + Figures(outcome.start));
        return false;
    }
    ChangeTree({TreeChange::Kind::ApplyTree, nullptr, nullptr, &best.tree});
    assert(ScoreTree(gRoot) == best.score);
    const int count = static_cast<int>(gKept.trees.size());
    const std::string howMany = gKept.more   ? "over " + std::to_string(count) + " trees"
                                : count == 1 ? "1 tree"
                                             : std::to_string(count) + " trees";
    ShowMessage("Best tree found: " + GoalFigure(best.score, goal) + ", " + howMany +
                " this short");
    return true;
}

void NextKeptTree() {
    StepKeptTrees(+1);
}

void PreviousKeptTree() {
    StepKeptTrees(-1);
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
    gKept = KeptTrees();
}
