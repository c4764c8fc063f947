// The editor's shell: window creation, the fixed GL state, the callback table, the frame
// routine and the 4:3 reshape rule. Called by main (start-up) and by GLUT (frames and
// reshapes); the frame benchmark and in-process tests call DisplayFrame directly.
#pragma once

#include "app/frame_request.h"

// Pause at the end of every frame, in milliseconds; the frame benchmark sets it to 0.
extern unsigned gFrameSleepMs;

// Frames drawn since start-up; lets tests see whether the loop is idle.
extern unsigned long gFramesDrawn;

// Opens the 800 x 600 window "Quillmoor" at (10, 10), finds its native handle, loads the
// font, registers the callbacks and sets the fixed GL state. Needs glutInit first. The
// font layer throws its message text when the font cannot be set up.
void InitWindow();
// Random seed, polygon fill mode and line smoothing.
void InitDrawingState();
// The whole start-up after glutInit and before the main loop: display mode, the node
// release hook, the window (its close button taken over: see InterceptWindowClose), the
// drawing state, and the empty tree built and listed.
// Shared by main, the frame benchmark and the in-process tests. Throws the font layer's
// message text when the font cannot be set up.
void StartEditor();
// Registers every GLUT callback, display (and idle, when continuous) first, reshape last.
// The close callback says where unsaved work is kept when the window goes.
void RegisterCallbacks();
// One frame: a click on "Open File", a use of the close button (and the dialog or the
// question), then the frame's scene -- banner, the button, tree, change markers and the
// event total, the ancestral panel, the drag indicator -- the pause and the swap, and the
// settings written when one changed; then one more frame when this one changed what is
// shown, or always when continuous.
void DisplayFrame();
// GLUT reshape callback: holds the window at 4:3 and sets the viewport to it.
void OnReshape(int width, int height);

struct WindowSize {
    int width;
    int height;
};
// The 4:3 rule: a window wider than 4:3 keeps its height, any other keeps its width; the
// other side is truncated toward zero.
WindowSize FourThreeSize(int width, int height);
