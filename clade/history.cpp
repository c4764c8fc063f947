// The undo and redo stacks (see history.h): whole trees with their outgroups, moved in
// and out of the live tree through ReplaceTree, so an undo or redo copies nothing. Called
// by the app's change step. No GL state; prints nothing.
#include "clade/history.h"

#include "clade/rooting.h"

#include <vector>

namespace {

// Pre-order: a stored tree keeps no pick marks, so it comes back with nothing picked.
void ClearPickFlags(CladeNode* node) {
    if (node == nullptr) return;
    node->isDragged = false;
    ClearPickFlags(node->left);
    ClearPickFlags(node->right);
}

// A tree of the history and the outgroup it had.
struct Step {
    CladeNode* tree;
    TaxonMask outgroup;
};

struct History {
    std::vector<Step> undo;   // oldest first
    std::vector<Step> redo;   // the most recently undone last
    Step pending{nullptr, 0}; // the tree before the command under way
    Step loaded{nullptr, 0};  // the tree as the data file gave it

    static void Drop(std::vector<Step>& steps) {
        for (Step& step : steps)
            DeleteTree(step.tree);
        steps.clear();
    }
    void Clear() {
        Drop(undo);
        Drop(redo);
        DeleteTree(pending.tree);
        DeleteTree(loaded.tree);
        pending = loaded = {nullptr, 0};
    }
    ~History() { Clear(); }
};

History gHistory;

// A copy of the live tree, without pick marks, and the live outgroup.
Step LiveStep() {
    Step step{CloneTree(gRoot), gOutgroup};
    ClearPickFlags(step.tree);
    return step;
}

// Moves step in as the live tree and outgroup, and the live ones onto stack `to`.
void SwapIn(Step step, std::vector<Step>& to) {
    CladeNode* previous = ReplaceTree(step.tree);
    ClearPickFlags(previous);
    to.push_back({previous, gOutgroup});
    gOutgroup = step.outgroup;
}

} // namespace

void ResetHistory() {
    gHistory.Clear();
    gHistory.loaded = LiveStep();
}

void BeginTreeChange() {
    DeleteTree(gHistory.pending.tree);
    gHistory.pending = LiveStep();
}

bool EndTreeChange() {
    const Step before = gHistory.pending;
    gHistory.pending = {nullptr, 0};
    if (SameTree(before.tree, gRoot) && before.outgroup == gOutgroup) {
        DeleteTree(before.tree);
        return false;
    }
    gHistory.undo.push_back(before);
    History::Drop(gHistory.redo);
    return true;
}

namespace {

// One step back (from undo to redo) or forward (from redo to undo).
bool Move(std::vector<Step>& from, std::vector<Step>& to) {
    if (from.empty()) return false;
    const Step step = from.back();
    from.pop_back();
    SwapIn(step, to);
    return true;
}

} // namespace

bool UndoTreeChange() {
    return Move(gHistory.undo, gHistory.redo);
}

bool RedoTreeChange() {
    return Move(gHistory.redo, gHistory.undo);
}

bool RevertToLoadedTree() {
    const Step& loaded = gHistory.loaded;
    if (loaded.tree == nullptr || (SameTree(loaded.tree, gRoot) && loaded.outgroup == gOutgroup))
        return false;
    History::Drop(gHistory.redo);
    SwapIn({CloneTree(loaded.tree), loaded.outgroup}, gHistory.undo);
    return true;
}

std::size_t UndoStepCount() {
    return gHistory.undo.size();
}

std::size_t RedoStepCount() {
    return gHistory.redo.size();
}
