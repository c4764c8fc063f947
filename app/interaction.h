// The interaction state, in one place: the press, the pointer, the pick and its aimed
// target, the drop preview, the hint marks, the Shift keys held, and the release hook that
// keeps all of it off freed nodes. Written by the input callbacks and the parsimony tools,
// read by the frame and the commands. No GL state; depends on no other app file but the
// frame request.
#pragma once

#include "clade/clade.h"
#include "clade/moves.h"

#include <vector>

// Last left press and current pointer position, in tree units.
extern float gPressX;
extern float gPressY;
extern float gPointerX;
extern float gPointerY;
// A left press that no on-screen control has claimed yet.
extern bool gPressPending;
// The held button moved since the last press: its release drops the picked node.
extern bool gHeldMotion;
// Some node is picked up; the next press on a drop target drops it.
extern bool gDragging;
// The node most recently picked; meaningful only while gDragging is true.
extern CladeNode* gDragNode;
// The node whose branch (or, for the root, whose stem) is under the pointer; may be null.
extern CladeNode* gDropTarget;

// The drop preview: computed once when a node is picked, for every place it could go.
struct DropPreview {
    const CladeNode* moved = nullptr; // the picked node; null when there is no preview
    TreeScore current;                // the tree as it stands
    std::vector<DropFigures> drops;   // one per target, in pre-order
};
extern DropPreview gDropPreview;

// The hint: the single re-attachment marked until the next action (both null: none).
struct HintMarks {
    const CladeNode* moved;
    const CladeNode* target;
};
extern HintMarks gHint;

// The Shift keys, as their own key events reported them, in the order the keys came: a
// key is handled with the Shift state of its own moment, however late it is handled.
void NoteShiftKey(int specialKey, bool down);
bool ShiftKeyDown();
// True for the special codes of Shift, Ctrl, Alt and Super: keys that are not actions.
bool IsModifierKey(int specialKey);

// Forgets the carried node, the drop target and the preview, and clears every isDragged
// flag in the current tree. Asks for a frame.
void ForgetDragState();
// The hint marks go (any key or click); asks for a frame when there were some.
void ClearHint();

// Registers the clade release hook that keeps the pick, the target, the preview and the
// hint off freed nodes.
void InstallNodeReleaseHook();

// Puts every part of the interaction state back to its start value. For tests.
void ResetInteraction();
