// The search for the best trees that keep the outgroup: it minimises the figure the
// screen shows (SearchGoal), keeps every distinct tree it meets at the best figure (up to
// kMaxKeptTrees), and hands them back as whole trees rooted on the outgroup, to be applied
// through ApplyNewickTree. Called by the app (Ctrl+B, --search), the tests and the
// benchmarks. No GL, no output; takes no node number and touches no live tree.
#pragma once

#include "clade/moves.h"
#include "clade/newick.h"
#include "clade/rooting.h"

#include <cstdint>
#include <vector>

constexpr int kMaxKeptTrees = 100;
// Up to this many taxa the shortest length is proven by branch and bound, and every tree
// of that length is met; beyond, a heuristic (SPR moves from several starting trees).
constexpr int kExactSearchTaxa = 10;

struct SearchSettings {
    SearchGoal goal = SearchGoal::kFewestEvents;
    // The taxa every tree is rooted on. Empty, or holding every taxon, reads as the first
    // taxon alone; bits past the loaded taxa are ignored.
    TaxonMask outgroup = 0;
    uint32_t seed = 0; // MatrixSeed(): the same file gives the same answer
};

struct FoundTree {
    // Rooted on the outgroup: the root's first child holds exactly its taxa.
    NewickTree tree;
    // What the tree shows once applied as a whole tree (ApplyNewickTree, then the rebuild,
    // as the app's ApplyTree change does): its Total Events and its length. The events
    // are those of a freshly built tree: the editor's rule reads the states a tree held
    // before, so the same shape reached by drops may show other events.
    TreeScore score;
};

struct TreeSearchOutcome {
    TreeScore start;          // the tree searched from, as it stands (ScoreTree)
    bool startRooted = false; // the tree searched from is rooted on the outgroup
    TaxonMask outgroup = 0;   // the outgroup used (the settings' one, or the first taxon)
    // Every distinct tree (as a rooted tree: the order of children does not count) met at
    // the best primary figure of the goal, the best by the goal first, then in the order
    // met; at most kMaxKeptTrees. trees[0] is the answer. Never empty for a tree.
    std::vector<FoundTree> trees;
    bool moreTrees = false; // more such trees were met than kept
    // The shortest length is proven (at most kExactSearchTaxa taxa): with the goal
    // kShortest, trees then holds every shortest tree (unless moreTrees).
    bool exactLength = false;
};

// Searches from the tree under root (the live tree, or any tree over the loaded taxa):
// from it rooted on the outgroup (RootedCopy: re-rooted when the outgroup is a clade of
// it, else the outgroup's taxa first and the rest second), and from further starting
// trees drawn from the seed. Every tree it keeps is rooted on the outgroup, and no move
// ever breaks that. Under a second at 19 taxa and 19 characters.
//
// How the app applies a result: the tree replaces the live tree as one ApplyTree change
// (TreeChange::tree = &outcome.trees[k].tree), which then shows outcome.trees[k].score;
// the outgroup stays as it is (gOutgroup). Whether that is better than the tree as it
// stands is the app's call: compare the score with start by the goal (Better with the
// goal), and mind startRooted (a tree that was not rooted on the outgroup gains a root).
TreeSearchOutcome SearchBestTrees(const CladeNode* root, const SearchSettings& settings);

// The score of a tree over the loaded taxa (as ReadNewick gives it) once applied as a
// whole tree: the same as ApplyNewickTree, the rebuild and ScoreTree give, without
// building any node. An empty tree scores 0.
TreeScore ScoreAppliedTree(const NewickTree& tree);
