// Pointer and keyboard input: the window-to-tree mapping, the pick and drop passes over
// the tree and the key commands, over the interaction state (interaction.h). The GLUT
// callbacks (On...) are registered by the shell; the Handle... functions take the window
// size and the modifiers as arguments so that tests can drive them without a window. No
// GL state is changed here.
#pragma once

#include "app/interaction.h"

struct KeyPress;

// Window pixels to tree units for a window of the given size, with N = gTaxonCount.
float WindowToTreeX(float px, int windowWidth);
float WindowToTreeY(float py, int windowHeight);

// The pick pass, pre-order from node: toggles the flag of every non-root node within 0.2
// of the press (and skips its children), clears the flag of every other visited node.
void PickNode(CladeNode* node);
// Returns true when node or any node below it has isDragged set.
bool AnyDragged(const CladeNode* node);
// The drop-target pass, pre-order from node, against the pointer position.
void FindDropTarget(CladeNode* node);

// The mouse and motion rules, for a window of windowWidth x windowHeight pixels. A left
// press closes the help overlay (and does nothing else), or is left to a control it lies
// on, or drops the carried node on the drop target, or (off every node) traces the
// character whose list or panel line it lies on, or runs the pick pass. A left release
// after the held button moved drops the carried node on the drop target, if there is one.
void HandleMouse(int button, int state, float px, float py, int windowWidth, int windowHeight);
void HandlePassiveMotion(float px, float py, int windowWidth, int windowHeight);
// Motion with a button held: aims exactly as passive motion does, and marks the press as
// dragged, so that its release drops the node it picked.
void HandleHeldMotion(float px, float py, int windowWidth, int windowHeight);
// A key press: closes the help overlay (taking the key) or runs the key's command.
// Returns true when a command ran. Clears the message line either way. A modifier key
// alone (Shift, Ctrl, Alt) is no action: it changes nothing shown.
bool HandleKey(const KeyPress& press);

// The key event as the keyboard callbacks see it: the key (a character, or a GLUT special
// code when special) and GLUT's modifier bits of the event. Shift counts only when a Shift
// key's own event said it is down (Caps Lock sets GLUT's Shift bit too), and a Shift key's
// events keep that record. Returns what HandleKey returns.
bool HandleKeyEvent(int key, bool special, int glutModifiers);
// A special key released: only the Shift keys' records change.
void HandleSpecialKeyUp(int key);

// GLUT callbacks. The window size is asked from GLUT at each event.
void OnMouse(int button, int state, int px, int py);
void OnPassiveMotion(int px, int py);
void OnMotion(int px, int py);
void OnKeyboard(unsigned char key, int px, int py);
void OnKeyboardUp(unsigned char key, int px, int py);
void OnSpecialKey(int key, int px, int py);
void OnSpecialKeyUp(int key, int px, int py);
