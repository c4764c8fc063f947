// The picture of the window as data and as a file: the view of the interaction state
// that the frame draws, picture export through the cairo module (loaded at the first
// export), and the windowless `--export` run. Called by the frame, by the commands that
// export, and by main. Changes no GL state.
#pragma once

#include "base/refusal.h"
#include "display/scene.h"

// The window's size at start-up, in pixels; pictures made without a window take it too.
constexpr int kStartWindowWidth = 800;
constexpr int kStartWindowHeight = 600;

// The interaction state the window's picture shows now: the lit branch, the carried node
// (while one is carried), the pointer, the parsimony tools' marks and the views of the
// reconstruction (fewest-change markers, the trace).
SceneView CurrentSceneView();

// Writes the picture the window shows now (without the button) to path; the format follows
// the extension (.png, .svg, .pdf; anything else refused). PNG at scale 2 by default.
// Returns false with *refusal (when given; its file is path) and leaves any earlier file
// at path untouched (WriteFileReplacing: a temporary file beside it, then a rename; a link
// there is followed). Shows nothing.
bool ExportPicture(const char* path, Refusal* refusal);

// `quillmoor --export PICTURE DATA [TREE]`, after the files are loaded: writes the tree's
// picture with no window and no X display; the window size is taken as the start-up size
// and text is measured with the baked font. Returns false with *refusal (the font file's,
// or the picture's).
bool ExportWithoutWindow(const char* picturePath, Refusal* refusal);
