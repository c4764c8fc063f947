// Re-attachments tried before they are made (every drop of a picked node, the hint, the
// search), each on a private copy with the same Reattach and UpdateTree a real drop uses,
// printing nothing, taking no node number, calling no release hook; and the replay of found
// moves on the live tree. Called by the app's pick pass and commands, tests, benchmarks. No GL.
#pragma once

#include "clade/clade.h"
#include "clade/rooting.h"

#include <cstdint>
#include <vector>

// What a tree shows and what it needs: its Total Events (the change events of the state
// rule, as the screen counts them) and its parsimony length.
struct TreeScore {
    int events = 0;
    int length = 0;
};
inline bool operator==(const TreeScore& a, const TreeScore& b) {
    return a.events == b.events && a.length == b.length;
}
// Fewer events first, then the shorter tree.
inline bool Better(const TreeScore& a, const TreeScore& b) {
    return a.events != b.events ? a.events < b.events : a.length < b.length;
}
TreeScore ScoreTree(const CladeNode* root);

// The figure a search minimises, the one the screen shows: Total Events (then the length)
// in the default view, or the length (then the events) in the fewest-changes view and
// for the windowless search.
enum class SearchGoal { kFewestEvents, kShortest };
// The figure the goal minimises first.
inline int PrimaryFigure(const TreeScore& score, SearchGoal goal) {
    return goal == SearchGoal::kFewestEvents ? score.events : score.length;
}
inline int SecondaryFigure(const TreeScore& score, SearchGoal goal) {
    return goal == SearchGoal::kFewestEvents ? score.length : score.events;
}
// a is better than b for the goal: a lower primary figure, or the same and a lower
// secondary one.
inline bool Better(const TreeScore& a, const TreeScore& b, SearchGoal goal) {
    const int pa = PrimaryFigure(a, goal);
    const int pb = PrimaryFigure(b, goal);
    return pa != pb ? pa < pb : SecondaryFigure(a, goal) < SecondaryFigure(b, goal);
}

// A re-attachment named by pre-order positions (0 is the root, left before right) in the
// tree it applies to, so that it means the same on a copy and on the tree copied.
struct TreeMove {
    int moved = -1;
    int target = -1;
};

// One block of nodes that holds a fresh copy of a source tree for each trial: no
// allocation per trial. The source must not change while the arena refers to it.
class TrialArena {
  public:
    explicit TrialArena(const CladeNode* root);
    int NodeCount() const { return static_cast<int>(source_.size()); }
    const CladeNode* Source(int index) const { return source_[index]; }
    // The pre-order position of node in the source, or -1.
    int IndexOf(const CladeNode* node) const;
    // True when the move is allowed in the source (CanReattach of the two nodes).
    bool Allowed(TreeMove move) const;
    // Copies the source, makes the move on the copy with a joint numbered jointId (no id
    // is taken from gNextNodeId), rebuilds the copy and scores it. Needs Allowed(move).
    TreeScore Try(TreeMove move, int32_t jointId);
    // The copy as the last Try left it (its root); valid until the next Try.
    const CladeNode* TrialRoot() const { return trialRoot_; }

  private:
    CladeNode* Copy();
    std::vector<const CladeNode*> source_;   // pre-order
    std::vector<int> parent_, left_, right_; // positions of each node's links, -1 for none
    std::vector<CladeNode> nodes_;           // the copy, then room for the joint
    const CladeNode* trialRoot_ = nullptr;
};

// The score of dropping moved next to each node the user could aim at: every node but
// moved and its two children, the root (its stem) included, in pre-order. Empty when moved
// is null or the root. Every drop is listed, a student's drop may break the outgroup;
// breaksOutgroup marks those that would (always false with the default empty outgroup),
// so that the badges' "best" can leave them out.
struct DropFigures {
    const CladeNode* target;
    TreeScore score;
    bool breaksOutgroup = false;
};
std::vector<DropFigures> PreviewDrops(const CladeNode* root, const CladeNode* moved,
                                      TaxonMask outgroup = 0);

// The best single re-attachment of the tree: the fewest events, then the shortest tree,
// then the first moved node in pre-order and, for that node, the first target. Moves that
// would break the outgroup (when the tree is rooted on it) are left out; the default empty
// outgroup leaves out nothing. found is false when the tree has no allowed move at all
// (fewer than three taxa, or none that keeps the outgroup).
struct MoveChoice {
    bool found = false;
    TreeMove move;
    TreeScore score;
};
MoveChoice BestSingleMove(const CladeNode* root, TaxonMask outgroup = 0);

// A seed that depends only on the matrix (names and states): the same file, the same search.
uint32_t MatrixSeed();
