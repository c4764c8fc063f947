// Keeping the work in the editor: Save Tree through its chooser, and the question "Save
// the tree first?" before the tree is thrown away (Ctrl+Q, the window's close button,
// another data file opened). Called by the frame's dialog requests (commands.cpp) and by
// GLUT's close callback; the dialogs are shown from the frame, never from an input
// callback. No GL state.
#pragma once

#include "base/refusal.h"

#include <string>

// A save chooser, then the writer; the outcome goes to the message line (a refusal to the
// console as well, through ShowRefusal): done followed by the file's name. Returns true
// when the file was written; false when the chooser was cancelled or the write failed.
bool SaveThroughChooser(bool (*choose)(std::string*), bool (*write)(const char*, Refusal*),
                        const char* done);

// Save Tree: the "Save Tree" chooser and the Newick writer, as SaveThroughChooser. When
// the tree was saved it counts as saved, its recovery file goes, and the result is true.
bool SaveTreeThroughChooser();

// Before the tree is thrown away; true when the caller may go on. With no unsaved work
// (recovery.h) nothing is asked: true. Otherwise the question "Save the tree first?"
// (Save, Don't save, Cancel): Save runs Save Tree, true only when the tree was saved;
// Don't save removes the recovery file, true; Cancel, Escape or closing the question
// change nothing, false. When no question can be shown (no display, no dialog module),
// stderr says where the unsaved tree is kept, the recovery file stays, and the result is
// true.
bool SettleUnsavedWork();

// A file chosen in the editor: a tree file is applied at once (a change, undoable); a
// data file is opened once SettleUnsavedWork allows it. When the answer was Don't save
// but the data file is refused, the tree stays, and so does its recovery file.
void OpenChosenFile(const std::string& path);

// GLUT's close callback: the window goes, at the end of the main loop or because the
// window system destroyed it. When the unsaved tree is kept only in its recovery file,
// stderr says where (once).
void OnWindowClosing();
