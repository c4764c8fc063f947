// Drawing the parsimony tools from their layouts (parsimony_layout.h): the panel, the
// marks of a drop preview, the hint's marks and the "Drop here" line. Thin GL drawers;
// where things go is decided by the layout functions. Called by the frame; needs the GL
// context current.
#pragma once

#include "display/parsimony_layout.h"

// Text width through the baked font: the TextWidthFn of the real window. Changes the
// current text size.
float MeasureText(const char* text, int size);

// In the screen projection (selected here): a pale box with a grey edge, then the lines.
// Changes the current colour and the text size and colour.
void DrawParsimonyPanel(const PanelLayout& layout);
// In the tree projection: a square badge per mark, in front of the change markers. A drop
// that lowers Total Events shows a dark blue badge with a minus, one that keeps it a light
// grey badge with an equals sign, one that raises it an orange badge with a plus. Changes
// the current colour.
void DrawDropMarks(const std::vector<BranchMark>& marks);
// In the tree projection: violet rings around the node to move and the middle of the
// branch to move it to. Changes the current colour.
void DrawHintMarks(const CladeNode* moved, const CladeNode* target);
// The line as placed. Changes the text size and colour.
void DrawDropHereText(const DropHerePlace& place);
