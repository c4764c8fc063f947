// The undo and redo stacks (see history.h): whole trees, moved in and out of the live
// tree through ReplaceTree, so an undo or redo copies nothing. Called by the app's
// change step. No GL state; prints nothing.
#include "clade/history.h"

#include <vector>

namespace {

// Pre-order: a stored tree keeps no pick marks, so it comes back with nothing picked.
void ClearPickFlags(CladeNode* node) {
    if (node == nullptr) return;
    node->isDragged = false;
    ClearPickFlags(node->left);
    ClearPickFlags(node->right);
}

struct History {
    std::vector<CladeNode*> undo; // oldest first
    std::vector<CladeNode*> redo; // the most recently undone last
    CladeNode* pending = nullptr; // the tree before the command under way
    CladeNode* loaded = nullptr;  // the tree as the data file gave it

    static void Drop(std::vector<CladeNode*>& trees) {
        for (CladeNode* tree : trees)
            DeleteTree(tree);
        trees.clear();
    }
    void Clear() {
        Drop(undo);
        Drop(redo);
        DeleteTree(pending);
        DeleteTree(loaded);
        pending = loaded = nullptr;
    }
    ~History() { Clear(); }
};

History gHistory;

// Moves tree in as the live tree and the live tree onto stack `to`.
void SwapIn(CladeNode* tree, std::vector<CladeNode*>& to) {
    CladeNode* previous = ReplaceTree(tree);
    ClearPickFlags(previous);
    to.push_back(previous);
}

} // namespace

void ResetHistory() {
    gHistory.Clear();
    gHistory.loaded = CloneTree(gRoot);
    ClearPickFlags(gHistory.loaded);
}

void BeginTreeChange() {
    DeleteTree(gHistory.pending);
    gHistory.pending = CloneTree(gRoot);
    ClearPickFlags(gHistory.pending);
}

bool EndTreeChange() {
    CladeNode* before = gHistory.pending;
    gHistory.pending = nullptr;
    if (SameTree(before, gRoot)) {
        DeleteTree(before);
        return false;
    }
    gHistory.undo.push_back(before);
    History::Drop(gHistory.redo);
    return true;
}

namespace {

// One step back (from undo to redo) or forward (from redo to undo).
bool Step(std::vector<CladeNode*>& from, std::vector<CladeNode*>& to) {
    if (from.empty()) return false;
    CladeNode* tree = from.back();
    from.pop_back();
    SwapIn(tree, to);
    return true;
}

} // namespace

bool UndoTreeChange() {
    return Step(gHistory.undo, gHistory.redo);
}

bool RedoTreeChange() {
    return Step(gHistory.redo, gHistory.undo);
}

bool RevertToLoadedTree() {
    if (gHistory.loaded == nullptr || SameTree(gHistory.loaded, gRoot)) return false;
    History::Drop(gHistory.redo);
    SwapIn(CloneTree(gHistory.loaded), gHistory.undo);
    return true;
}

std::size_t UndoStepCount() {
    return gHistory.undo.size();
}

std::size_t RedoStepCount() {
    return gHistory.redo.size();
}
