// The builders of the scene's items, one per part of the picture, and the small text
// helper they share. Not part of the display interface; only display/*.cpp include it.
// Each appends to the scene in the order the window draws; none touches GL.
#pragma once

#include <cstddef>

#include "clade/clade.h"
#include "display/scene.h"

// Discs, branches, root stem, labels and the picked node's panel of the subtree.
void AddTree(Scene& scene, const CladeNode* node, const CladeNode* dropTarget);
// Markers and outlines of the subtree; the changes of markers within reach of the pointer
// go to scene.hoveredChanges. Returns the number of change events on the subtree's branches.
int AddChangeMarkers(Scene& scene, const CladeNode* node, float pointerX, float pointerY);
// The bottom line's hover texts: those of scene.hoveredChanges, then the full name of leaf
// (when not null), between leftBound and rightBound; sets scene.hoverTextLeft. After
// every marker, so that the text lies over them.
void AddHoverTexts(Scene& scene, const CladeNode* leaf, float leftBound, float rightBound);
void AddAncestralPanel(Scene& scene);
void AddNodePanel(Scene& scene, const CladeNode* node);
void AddDragIndicator(Scene& scene, const CladeNode* dragNode, const CladeNode* dropTarget);
// The parsimony panel, the drop preview's badges, the hint's rings and the "Drop here" line
// that view.parsimony asks for (nothing without it); after the markers and the event total.
void AddParsimonyTools(Scene& scene, const SceneView& view);

// A text run of length bytes at (x, y) percent, size percent of the window height.
void AddText(Scene& scene, float x, float y, int size, const float rgb[3], const char* text,
             std::size_t length);
// The same for a NUL-terminated text.
void AddText(Scene& scene, float x, float y, int size, const float rgb[3], const char* text);

// The scene that the single-part Draw functions of display.h build and replay at once;
// emptied at each use.
Scene& ScratchScene();
