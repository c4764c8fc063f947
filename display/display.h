// Drawing the model: the scene of a frame (banner, tree with its labels, change markers
// and event total, character panels, drag indicator) built as a list of items, its GL
// back end, the projections, and single-part Draw functions. Reads the model, never
// changes it. The builders need the font's metrics; the Draw functions need the GL context.
#pragma once

#include <functional>

#include <string>

#include "clade/clade.h"
#include "display/scene.h"

// Number of change events in the tree the last frame drew (DrawChangeMarkers adds its own).
extern int gEventCount;
// Left end (percent) of the hover texts the last frame drew; 100 when none.
extern float gHoverTextLeft;
// Presentation mode, for a projected picture that readers of any colour vision follow: the
// change markers drawn larger, each with its character's number (1-based) inside, and
// the characters in the colour-blind-safe palette (CharacterColour), and every line of the
// character lists at one size (cut, never shrunk), led by its marker number, as a legend
// of the markers (text_places.h). False by default, which draws the usual picture to the
// pixel. Set by the app's view commands.
extern bool gPresentationMode;

// A character's colour for its markers, hover texts and list lines: its row of
// gCharacterColors, or in presentation mode one of the colour-blind-safe palette's
// (palette.h), which repeat every seven characters (the markers' numbers tell apart two
// characters that share one).
const float* CharacterColour(int character);

// The whole picture of the window for the model (gRoot) and view, into *scene (its
// storage is kept: a scene rebuilt each frame stops allocating). Items come in drawing
// order; scene->eventTotal is the total shown.
void BuildFrameScene(const SceneView& view, Scene* scene);
// The character whose line in the scene's lists or panel (scene.characterLines) holds the
// point, in percent of the window; of lines that overlap, the one drawn last. -1 for none.
int CharacterLineAt(const Scene& scene, float x, float y);
// Replays scene into GL in list order; a WindowControls item calls drawControls (when
// set), which may leave any projection behind.
void DrawScene(const Scene& scene, const std::function<void()>& drawControls = {});

// Screen space: 400 x 300 units over the window, y down, z -10..10.
void SetScreenProjection();
// Tree units: the view of TreeViewOf(gTaxonCount) (geometry.h), x -1 .. N+2 and y about
// -(N+1)/2 (top) .. (N+1)/2 (bottom).
void SetTreeProjection();

// Tree position to text percent (4 percent right of and above the point).
float TreeXToPercent(float x);
float TreeYToPercent(float y);

// The parts of the picture one at a time, each built and drawn at once in the tree
// projection (tests and callers that want one part):
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

// One line of the help overlay: keys (null or empty for a heading) and what they do.
struct HelpLine {
    const char* keys;
    const char* text;
};
// Appends what only the window shows, over the picture: the message line (when message is
// not empty), under the banner between the ancestral list and the tree, on a pale box
// that ends short of the tree (gRoot) and its leaf labels, text size 3, or 2 when it is
// long, cut with "..." when even that is too wide; and
// the help overlay (when help is given), a box over the middle of the window listing the
// lines.
void AddWindowOverlays(Scene& scene, const char* message, const HelpLine* help, int helpCount);

// text as it fits in width percent at the current text size: whole, or cut at a character
// boundary (never inside a UTF-8 sequence) and ended with "...".
std::string FitText(const char* text, float width);

// Puts the display's own state back to its start: gEventCount 0, presentation mode off, no
// scene half built. For tests.
void ResetDisplay();
