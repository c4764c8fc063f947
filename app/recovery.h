// The recovery file and the unsaved work. After every change, the tree as it stands
// (Newick with its states and outgroup) is written to a file of the user's state folder,
// keyed by the data file's path and contents, so that a crash, a kill or a closed window
// loses nothing; the load path puts that tree back when the same data file is opened
// again. What counts as unsaved work (for the question before the tree is thrown away) is
// kept here too. Called by the change step, the load path, Save Tree and the question.
// No GL state.
#pragma once

#include "base/refusal.h"
#include "clade/newick.h"

#include <string>

// Turns the recovery file on, its files in folder (with a trailing slash; made at the
// first write), or off with an empty folder. Off by default: the windowless modes and the
// tests keep nothing unless they ask.
void EnableRecovery(const std::string& folder);

// Brings the recovery file up to date with the live tree; the change step calls it after
// every change that changed the tree, the question after a refused load. newHistory (a
// data file loaded): the tree becomes the tree as loaded and as saved, and no recovery
// file is written or removed until FindRecoveredTree names the data file. Otherwise, when
// recovery is on for a data file: a tree that differs from the tree as loaded and from
// the tree last saved is written (in full or not at all, with the number of undo steps
// since the load); a tree equal to either needs no recovery, and the file is removed. A
// tree that would not read back (two taxa of one name) is not kept. The first failure to
// write is told (stderr and message line), once a run.
void UpdateRecoveryFile(bool newHistory);

// A tree kept in a recovery file, read over the loaded taxa.
struct RecoveredTree {
    NewickTree tree;
    int changes = 0; // undo steps from the loaded tree when it was written
};

// Called by the load path once dataFile has loaded: from now on the recovery file is
// dataFile's (its absolute path and its contents as they are now). Returns true with
// *found when that file holds a tree for this data file that reads over the loaded taxa.
// Returns false when recovery is off, there is no such file, or the file names another
// data file (two names of one key; it is left alone); and false with *refusal (the
// recovery file, its line and problem) when the file cannot be read, is not a recovery
// file, or its tree does not read. Changes nothing else.
bool FindRecoveredTree(const char* dataFile, RecoveredTree* found, Refusal* refusal);

// True when taxa are loaded and the live tree differs from the tree as loaded and from the
// tree last saved (its Newick with states, so a tree of the same shape showing other
// figures differs too).
bool HasUnsavedWork();
// The tree was saved (Save Tree) or read from a tree file: it counts as saved, and the
// recovery file goes.
void MarkTreeSaved();
// "Don't save": the recovery file goes; the tree still counts as unsaved.
void DiscardRecoveryFile();

// The recovery file of the loaded data file, or empty when recovery is off or no data
// file is loaded. Whether it exists depends on the tree.
const std::string& RecoveryFile();
// When the recovery file holds the unsaved tree now, says where on stderr, once a run:
// the editor ends, or its window goes, with the work kept only there.
void TellWhereWorkIsKept();
