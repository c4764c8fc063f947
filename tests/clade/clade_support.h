// Helpers shared by the tree tests: a matrix put straight into the tables, the tree
// written as a short shape string, the console text of an operation, and one check of
// every invariant the tree must keep between operations.
#pragma once

#include "clade/clade.h"
#include "matrix/cell_sets.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

// Starts every test from a fresh program: empty matrix, no tree, ids from 0, no hook.
class CladeTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// Fills the tables with taxa named names; states[t][c] is taxon t's state of character
// c (every row the same length). State names are "s0", "s1", ...
void SetMatrix(const std::vector<std::string>& names, const std::vector<std::vector<int>>& states);

// Runs action with stdout captured; returns what it printed.
std::string Captured(const std::function<void()>& action);

// BuildInitialTree and RebuildTree over the current tables; returns the listing.
std::string BuildAndList();

// The subtree as nested parentheses of taxon names, e.g. "(T1,(T2,T3))".
std::string Shape(const CladeNode* node);

// Nodes of the tree in pre-order, left before right.
std::vector<CladeNode*> PreOrder();

// The taxon leaf of the given name, or nullptr.
CladeNode* FindTaxon(const char* name);

// Everything a node shows to the rest of the program, for the whole tree in pre-order.
std::string Fingerprint();

// Every invariant of a rebuilt tree over gTaxonCount taxa: links, node count, levels,
// positions, taxon records, state ranges and the event total.
testing::AssertionResult TreeIsSound();

// Writes content to a new file in a temporary folder; returns its path.
std::string WriteTempFile(const std::string& name, const std::string& content);

// Fills the tables with n taxa and random cells: character c has StatesOf(c) states
// (1 to 4), and from character 1 on, every third character has some missing cells (every
// state) and every third after it some polymorphic ones (two or more states), in
// gCellSets as a reader publishes them.
void SetRandomCells(int n, int characters, std::mt19937& random);
inline int StatesOf(int character) {
    return 1 + character % 4;
}

// A tree as each node's parent (-1 for the root), nodes in the order they were made:
// node 2k is taxon k's leaf, node 2k - 1 the joint that brought it in.
using Parents = std::vector<int>;
// Every labelled rooted binary tree of n taxa: taxon k goes on each branch of every tree
// of the first k taxa, the root's stem included ((2n - 3)!! trees).
std::vector<Parents> AllRootedTrees(int n);
// The tree as new nodes (ids = positions, leaves copies of gTaxa); node i is nodes[i].
// Delete it with DeleteTree on the root (the node whose parent is -1).
std::vector<CladeNode*> BuildParents(const Parents& tree);

// One character solved by brute force on a tree: every assignment of the states
// 0 .. states - 1 to the internal nodes, a leaf costing nothing when its parent's state
// is in its cell's set (CellStates) and one change otherwise. steps is the fewest
// changes; mpr[i] the states that node i has in some assignment with that many (for a
// leaf: its parent's state when the cell allows it, else any state of its cell).
struct BruteForce {
    int steps;
    std::vector<StateSet> mpr;
};
BruteForce SolveByBruteForce(const Parents& tree, int character, int states);
