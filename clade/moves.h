// Re-attachments tried before they are made (every drop of a picked node, the hint, the
// search), each on a private copy with the same Reattach and UpdateTree a real drop uses,
// printing nothing, taking no node number, calling no release hook; and the replay of found
// moves on the live tree. Called by the app's pick pass and commands, tests, benchmarks. No GL.
#pragma once

#include "clade/clade.h"

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

  private:
    CladeNode* Copy();
    std::vector<const CladeNode*> source_;   // pre-order
    std::vector<int> parent_, left_, right_; // positions of each node's links, -1 for none
    std::vector<CladeNode> nodes_;           // the copy, then room for the joint
};

// The score of dropping moved next to each node the user could aim at: every node but
// moved and its two children, the root (its stem) included, in pre-order. Empty when moved
// is null or the root.
struct DropFigures {
    const CladeNode* target;
    TreeScore score;
};
std::vector<DropFigures> PreviewDrops(const CladeNode* root, const CladeNode* moved);

// The best single re-attachment of the tree: the fewest events, then the shortest tree,
// then the first moved node in pre-order and, for that node, the first target. found is
// false when the tree has no allowed move at all (fewer than three taxa).
struct MoveChoice {
    bool found = false;
    TreeMove move;
    TreeScore score;
};
MoveChoice BestSingleMove(const CladeNode* root);

// A search from the tree under root: repeated best single moves while they improve the
// score, from the tree itself and from a few restarts, each a couple of random moves of
// the tree drawn from seed. moves leads from the tree to the best tree found (empty when
// none beats the start); best is never worse than start.
struct SearchOutcome {
    TreeScore start;
    TreeScore best;
    std::vector<TreeMove> moves;
};
SearchOutcome SearchBetterTree(const CladeNode* root, uint32_t seed);
// A seed that depends only on the matrix (names and states): the same file, the same search.
uint32_t MatrixSeed();

// Makes the moves on the live tree, in order: real joints with real ids, nodes released
// through ReleaseLiveNode, UpdateTree after each. Prints nothing; the caller lists.
void ApplyMovesToLiveTree(const std::vector<TreeMove>& moves);
