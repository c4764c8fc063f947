// Immediate-mode on-screen controls: a control is built, drawn and tested in one call per
// frame and remembers nothing; only the pending press (input.h) spans frames. Called by
// the frame routine. Drawing switches to the screen projection and leaves it in place.
#pragma once

#include "display/geometry.h"

constexpr int kButtonLabelSize = 80; // 79 characters and the terminator

struct Button {
    float x;      // left anchor, percent of the window width
    float y;      // top anchor, percent of the window height
    float width;  // label width, percent of the window width
    float height; // 0.8 x textSize, percent of the window height
    char label[kButtonLabelSize];
    float textSize; // percent of the window height
    bool disabled;
};

// Builds, draws and tests a push button. Returns true when the pending press hits it
// (the press is then consumed), false otherwise.
bool DoButton(float x, float y, float textSize, const char* label);

// Fills a Button; measures the label at textSize (which stays the current text size).
// A label longer than 79 characters is cut to 79.
void InitPushButton(Button& button, float x, float y, float textSize, const char* label,
                    bool disabled);
// Draws the three-layer octagon body in screen space, then the label.
void DrawButton(const Button& button);
// The box the button's body and shadow are drawn in, percent of the drawn area: a press
// hits the button exactly there, whatever the window's size (display/geometry.h).
PercentBox ButtonBox(const Button& button);
// True when (x, y), in tree units, lies in the button's box (edges included).
bool InButtonZone(const Button& button, float x, float y);
// Tests the pending press against the button's box. Returns true (and clears
// gPressPending) when it hits; false when disabled, nothing is pending or the press lies
// outside.
bool HitButton(const Button& button);

// A frame's controls: BeginControls forgets the buttons of the previous frame; each
// DoButton remembers its own; EndControls lets a press that none of them claimed expire,
// so that a later resize or load can never move a button under an old press.
void BeginControls();
void EndControls();
// Tests the pending press against a button the frame draws (HitButton) and remembers the
// button as drawn. Returns true when the press hit it (the press is then consumed).
bool ClaimPress(const Button& button);
// True when (x, y), in tree units, lies on a button the last frame drew: such a press is
// the control's alone, and does not also pick a node beneath it.
bool PressHitsDrawnControl(float x, float y);
