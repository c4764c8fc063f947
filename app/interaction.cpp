// The interaction state (see interaction.h). Only the input code and the release hook
// write the pick; CladeNode::isDragged is the one part that lives on the nodes, because
// the pick pass reads it there. Changes no GL state.
#include "app/interaction.h"

#include "app/frame_request.h"

#include <GL/freeglut.h>

float gPressX = 0.0f;
float gPressY = 0.0f;
float gPointerX = 0.0f;
float gPointerY = 0.0f;
bool gPressPending = false;
bool gHeldMotion = false;
bool gDragging = false;
CladeNode* gDragNode = nullptr;
CladeNode* gDropTarget = nullptr;
DropPreview gDropPreview;
HintMarks gHint{nullptr, nullptr};

namespace {

unsigned gShiftKeys = 0; // bit 0: left Shift down, bit 1: right Shift down

// Visits every node of the subtree in pre-order and clears its pick flag; absent children
// (null links) end the walk there.
void ClearDragFlags(CladeNode* node) {
    if (node == nullptr) return;
    node->isDragged = false;
    ClearDragFlags(node->left);
    ClearDragFlags(node->right);
}

// The clade code calls this just before it frees nodes (null: a whole tree). Any release
// changes the tree the preview and the hint were computed on.
void ForgetReleasedNode(const CladeNode* released) {
    gDropPreview = DropPreview();
    gHint = {nullptr, nullptr};
    if (released == nullptr || released == gDragNode || released == gDropTarget) {
        gDragNode = nullptr;
        gDropTarget = nullptr;
        gDragging = false;
    }
}

} // namespace

void NoteShiftKey(int specialKey, bool down) {
    const unsigned bit = specialKey == GLUT_KEY_SHIFT_L   ? 1u
                         : specialKey == GLUT_KEY_SHIFT_R ? 2u
                                                          : 0u;
    if (down)
        gShiftKeys |= bit;
    else
        gShiftKeys &= ~bit;
}

bool ShiftKeyDown() {
    return gShiftKeys != 0;
}

bool IsModifierKey(int specialKey) {
    return specialKey >= GLUT_KEY_SHIFT_L && specialKey <= GLUT_KEY_SUPER_R;
}

void ForgetDragState() {
    gDragNode = nullptr;
    gDropTarget = nullptr;
    gDragging = false;
    gDropPreview = DropPreview();
    ClearDragFlags(gRoot);
    RequestFrame();
}

void ClearHint() {
    if (gHint.moved == nullptr) return;
    gHint = {nullptr, nullptr};
    RequestFrame();
}

void InstallNodeReleaseHook() {
    SetNodeReleaseHook(ForgetReleasedNode);
}

void ResetInteraction() {
    gPressX = gPressY = 0.0f;
    gPointerX = gPointerY = 0.0f;
    gPressPending = false;
    gHeldMotion = false;
    gDragging = false;
    gDragNode = nullptr;
    gDropTarget = nullptr;
    gDropPreview = DropPreview();
    gHint = {nullptr, nullptr};
    gShiftKeys = 0;
}
