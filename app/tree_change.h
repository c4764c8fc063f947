// The one step through which the live tree changes: every drop, key move, re-rooting, tree
// file, search, undo, redo, "back to the loaded tree" and load comes here. The step
// forgets the pick, records the change for undo (or starts a new history), lists the tree
// once and asks for a frame. Called by the input code, the commands, the load path and the
// parsimony tools. No GL state.
#pragma once

#include "clade/clade.h"
#include "clade/moves.h"

#include <vector>

struct NewickTree;

struct TreeChange {
    enum class Kind {
        Drop,         // moved goes next to target (the "Connecting" line comes first)
        ApplyTree,    // the tree read from a file takes the place of the tree
        Compact,      // single-child nodes go
        Reroot,       // the tree is rooted on moved, whose taxa become the outgroup
        Undo,         // the tree before the last change comes back
        Redo,         // the tree after the last undone change comes back
        BackToLoaded, // the tree as the data file gave it comes back
        // Not undoable: the start of a new history.
        StartTree,  // the comb over the matrix just loaded (or the empty one at start-up)
        LoadedTree, // the tree a data file carries, in place of the comb
    };
    Kind kind;
    CladeNode* moved = nullptr;       // Drop, Reroot
    CladeNode* target = nullptr;      // Drop
    const NewickTree* tree = nullptr; // ApplyTree, LoadedTree
};

// Makes the change. Returns true when the tree changed (always, for a new history); the
// tree is then listed on stdout (but after a compaction, which only tidies it). A change that
// changes nothing (a refused drop, nothing to undo, a re-rooting on the group that already
// roots the tree and is the outgroup) leaves no undo step and lists nothing. A re-rooting
// that only makes the group the outgroup, the tree already rooted on it, is a change.
// A drop that leaves the tree no longer rooted on the outgroup is made (the tree is the
// student's) and the message line says "The outgroup no longer roots the tree".
bool ChangeTree(const TreeChange& what);

// How often the live tree has changed through ChangeTree since the program started: every
// change that changed it, and the new histories (loads) among them. What is computed from
// the tree (a reconstruction) is computed again when the count it was made at is past.
struct TreeVersion {
    unsigned changes;
    unsigned histories;
};
TreeVersion LiveTreeVersion();

// Whether changes list the tree on stdout; on by default. The windowless modes turn it off,
// since their output holds other things.
void SetTreeListing(bool on);
