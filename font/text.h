// Screen text in percent of the window: the functions the rest of the program calls.
// Each drawing call queues one string on gFontRenderer, draws it at once and leaves
// GL_BLEND and GL_TEXTURE_2D disabled and GL_DEPTH_TEST enabled.
#pragma once

#include "base/refusal.h"

#include <string>

// Window size recorded by TextInit; every percentage refers to it.
extern int gTextWindowWidth;
extern int gTextWindowHeight;

// Loads "Another.fnt" as font "Another", selects it, records the window size. The
// characters past Latin-1 come from the page files beside the font file it found
// (Another-0100.fnt and so on), each read the first time a text holds one of its
// characters; TextInit itself reads none. Needs the window and its GL context. Shows
// nothing. When the font cannot be set up it
// throws RefusalError (what() "FILE: PROBLEM", FILE as it was looked for): the renderer's
// message, or kFontTableCutShort; when the file is missing, the error's cause is the
// renderer's missing-file refusal, for the caller to show in the notice.
void TextInit();
// The same without a window or GL (for pictures made from the command line): reads the
// font's metrics only, and those of its pages as texts need them, so text measures as it
// does in the window but cannot be drawn, and records width x height as the window size. Returns
// false with the font file and the problem in *refusal.
bool TextInitWithoutWindow(int width, int height, Refusal* refusal);
void TextPrint(float x, float y, const char* text);
void TextPrintCentered(float y, const char* text);
void TextPrintShadowed(float y, const char* text);
void TextSetSize(float size); // percent of the window height
void TextSetColor(float red, float green, float blue);
float TextGetWidth(const char* text); // percent of the window width
// The glyph cell height that TextSetSize(size) gives, in percent of the window height
// (the text layer rounds it down to whole pixels of the start-up window).
float TextHeightPercent(float size);
void TextSetRotation(float degrees);
