// How the window shows the picture to a room: the text scale (Ctrl+=, Ctrl+-, Ctrl+0),
// presentation mode (F5) and full screen (F11). Called by the command table and the
// settings; holds the values the display reads (gTextScalePercent, gPresentationMode).
// No GL state.
#pragma once

// The text scale in percent: one of the steps 75, 90, 100, 110, 125, 150, 175, 200, 250.
int TextSizePercent();
// Sets the scale without a message (the settings); a value between steps is kept as given,
// within 75 to 250.
void SetTextSizePercent(int percent);
// The next step up or down, or back to 100; each says "Text size: N %" on the message line.
void LargerText();
void SmallerText();
void DefaultTextSize();

// Presentation mode: one text size for every panel line, the marker numbers in the lists
// as a legend, numbered markers in a colour-blind-safe palette. Says which on the message line.
bool PresentationMode();
void SetPresentationMode(bool on);
void TogglePresentation();

// Full screen on and off (the window manager's, or the browser's).
void ToggleFullScreen();
