// The message line: what the console says about a failed user action (a refused or
// unreadable file, a failed save), and short answers to commands ("Nothing to undo"),
// shown in the window until the next click or key, or for about 8 seconds. Called by the
// load path and the commands; the frame draws it. No GL state; the expiry is a GLUT timer.
#pragma once

#include <string>

// How long a message stays when nothing else happens, in milliseconds.
constexpr unsigned kMessageLifetimeMs = 8000;

// Shows text on the message line (replacing any earlier message) and asks for a frame.
void ShowMessage(const std::string& text);
// Removes the message, if any, and asks for a frame when there was one.
void ClearMessage();
// The message shown now; empty when there is none.
const std::string& CurrentMessage();
