// The editor's commands in one table: each with its menu entry, its keys and its line in
// the help overlay, so the right-button menu, the keyboard and the help never disagree.
// Called by the input callbacks (keys), GLUT (menu) and the frame (help, open requests).
// No GL state is changed here.
#pragma once

#include "display/display.h"

#include <vector>

// What the keyboard callback knows about a key: its code (a character, or a GLUT special
// key code when special), and which modifiers were held.
struct KeyPress {
    int key;
    bool special; // a GLUT_KEY_... code (F1, arrows), not a character
    bool ctrl;
    bool alt;
    bool shift; // a Shift key held down (not Caps Lock)
};

// Runs the commands bound to the key, if any, in table order (Escape has two: put down,
// end the trace); returns true when one ran. With Ctrl or Alt held, no plain-key command
// runs (freeglut passes Ctrl+1 as '1').
bool RunKeyCommand(const KeyPress& press);

// Creates the right-button menu of the current window, one entry per command.
void CreateCommandMenu();

// The help overlay is shown from F1 or '?' until the next key or click.
bool HelpShown();
void HideHelp();
// Every command with its keys, in menu order.
const std::vector<HelpLine>& CommandKeyLines();
// The help overlay's lines: mouse actions, then every command with its keys.
const std::vector<HelpLine>& HelpLines();

// A file chooser asked for from the keyboard or the menu: the frame takes the request and
// runs it before it draws (a modal dialog is not shown from inside a key or menu call).
enum class FileDialogRequest { None, Open, SaveTree, ExportPicture };
FileDialogRequest TakeFileDialogRequest();
// Shows the chooser and does what was asked: opens the chosen data or tree file; saves the
// tree as Newick; exports the picture. A failure is told on the console and the message
// line, a success on the message line.
void RunFileDialog(FileDialogRequest request);

// Puts the command state back to its start (no help shown, no request). For tests.
void ResetCommands();
