// Trees as Newick text: writing the live tree with its taxon names, and reading a tree
// over the loaded taxa. Called by the app (Save Tree, opening a tree file, --newick) and
// by the fuzz target. No GL, no X.
#pragma once

#include "base/refusal.h"
#include "clade/clade.h"

#include <string>
#include <vector>

// The tree under root in Newick with the taxa's names and a line end, e.g.
// "((Frog,Lizard),Shark);\n". A name that holds a blank, a control character (CR, LF,
// tab, ...), one of ()[]':;, or an underscore, or that is empty or starts with a UTF-8
// byte-order mark, is put in single quotes, with a quote inside it doubled; names are
// written as their bytes. Every tree over the loaded taxa reads back as itself (ReadNewick)
// when NewickReadsBack allows it.
// With states, every internal node is followed by a comment that other readers skip,
// [&states={0,1,1}], holding the states it shows (the editor's rule reads the states a
// tree held before each change, so a tree reopened without them could show other
// figures), and the root's comment adds the matrix they belong to, matrix=HEX, and the
// live outgroup's taxa (gOutgroup), outgroup={0,3}.
std::string WriteNewick(const CladeNode* root, bool withStates = false);

// Whether a tree over the loaded taxa, as WriteNewick writes it, reads back as itself.
// Returns false with the problem in *refusal's text (when given; the caller names the
// file) when no taxa are loaded (no data file, or one of no taxa) or two taxa share a
// name, which no tree file can tell apart.
bool NewickReadsBack(Refusal* refusal);

// A tree read from Newick text, not yet applied: node i's children (or, for a leaf, the
// taxon index), node 0 the root, parents before children in pre-order.
struct NewickTree {
    struct Node {
        int left = -1; // child indices; both -1 for a leaf
        int right = -1;
        int taxon = -1;              // index into gTaxa for a leaf
        std::vector<int32_t> states; // an internal node's saved states, when keepsStates
    };
    std::vector<Node> nodes;
    // Every internal node carries the states it was saved with, for the loaded matrix.
    bool keepsStates = false;
    // The outgroup the tree was saved with (a mask of gTaxa entries, as rooting.h has
    // them), when it keeps its states; 0 otherwise.
    uint64_t outgroup = 0;
};

// Reads text (the whole content of a file named fileName, used only in messages) as a tree
// over the loaded taxa. Branch lengths, internal labels, [...] comments and white space are
// ignored; an unquoted underscore reads as a blank; a quoted name may be empty; a basal
// trichotomy (A,B,C) is rooted at its first part, as (A,(B,C)); a node with a single child
// stands for that child. Returns true with *tree filled when the leaves are exactly the
// loaded taxa, each once. Returns false with *refusal (when given: fileName, line, column
// and problem, long names cut) for a syntax error, an unknown or missing taxon, a taxon
// twice, a node with three or more children below the root, more than one tree, or no
// matrix loaded; *tree is then untouched. Changes nothing else; prints nothing.
// The states a tree was written with are kept (keepsStates) only when every internal node
// has them, in range, for a matrix with the fingerprint the root's comment names;
// otherwise they are ignored, as are all other comments, and the tree reads as plain.
bool ReadNewick(const std::string& text, const std::string& fileName, NewickTree* tree,
                Refusal* refusal);

// Builds the tree as new nodes (taking ids in pre-order, root first) with first states
// by the initial rule applied children first, or the states it was saved with when it
// keeps them, and puts it in place of the live tree (which is released; the release hook
// hears of it). The caller rebuilds it (RebuildTreeKeepingStates when it keeps its states)
// and lists it.
void ApplyNewickTree(const NewickTree& tree);
