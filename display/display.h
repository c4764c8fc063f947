// Drawing the model: projections, the tree with its labels, the change markers and the
// event count, the character panels and the drag indicator. Reads the model, never
// changes it. Called once per frame by the app; needs the GL context current.
#pragma once

#include "clade/clade.h"

#include <string>

// Number of change events drawn by the last DrawChangeMarkers pass (the frame zeroes it).
extern int gEventCount;
// Left end (percent) of the hover text the last DrawChangeMarkers pass drew; 100 when none.
extern float gHoverTextLeft;

// Screen space: 400 x 300 units over the window, y down, z -10..10.
void SetScreenProjection();
// Tree units: x -1 .. N+2, y -(N+1)/2 (top) .. (N+1)/2 (bottom), N = gTaxonCount.
void SetTreeProjection();

// Tree position to text percent (4 percent right of and above the point).
float TreeXToPercent(float x);
float TreeYToPercent(float y);

// Discs, branches, root stem, labels and the picked node's panel for the subtree.
// dropTarget is the node whose branch is lit (may be null).
void DrawTree(const CladeNode* node, const CladeNode* dropTarget);
// Change markers of the subtree, hover text for a marker near (pointerX, pointerY),
// and every change added to gEventCount.
void DrawChangeMarkers(const CladeNode* node, float pointerX, float pointerY);
// "Ancestral Characters:" and the root's states.
void DrawAncestralPanel();
// "This Node's" / "Derived Characters:" and the node's states that differ from the root's.
void DrawNodePanel(const CladeNode* node);
// Insertion point on dropTarget's branch, the new node's place and an arc from dragNode.
void DrawDragIndicator(const CladeNode* dragNode, const CladeNode* dropTarget);

// The message line, under the banner between the ancestral list and the leaf labels, on a
// pale box: text size 3, or 2 when it is long, cut with "..." when even that is too wide.
void DrawMessageLine(const char* text);

// One line of the help overlay: keys (null or empty for a heading) and what they do.
struct HelpLine {
    const char* keys;
    const char* text;
};
// The help overlay: a box over the middle of the window listing the lines.
void DrawHelpOverlay(const HelpLine* lines, int count);

// text as it fits in width percent at the current text size: whole, or cut at a character
// boundary (never inside a UTF-8 sequence) and ended with "...".
std::string FitText(const char* text, float width);

// Puts the display's own state back to its start: gEventCount 0, no outline queued. For tests.
void ResetDisplay();
