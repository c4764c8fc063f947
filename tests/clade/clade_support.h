// Helpers shared by the tree tests: a matrix put straight into the tables, the tree
// written as a short shape string, the console text of an operation, and one check of
// every invariant the tree must keep between operations.
#pragma once

#include "clade/clade.h"

#include <gtest/gtest.h>

#include <functional>
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
