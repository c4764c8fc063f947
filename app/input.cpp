// Pointer and keyboard input (see input.h). The pick pass here is the only writer of
// CladeNode::isDragged besides the interaction state's reset. Called by GLUT between
// frames; changes no GL state.
#include "app/input.h"

#include "app/commands.h"
#include "app/controls.h"
#include "app/frame_request.h"
#include "app/guard.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "app/picture.h"
#include "app/reconstruction_views.h"
#include "app/tree_change.h"
#include "display/display.h"
#include "display/geometry.h"
#include "font/font_renderer.h"

#include <GL/freeglut.h>

#include <cassert>
#include <cmath>

namespace {

// How far the pointer may lie off a branch, and how much of each branch end is kept free
// (tree units); how near a press must be to pick a node is InPickSquare's (geometry.h).
constexpr double kBranchWidth = 0.2;
constexpr double kBranchEndGap = 0.2;
// The root's stem: from one unit to 0.2 units left of the root, 0.1 units either side.
constexpr double kStemFar = 1.0;
constexpr double kStemNear = 0.2;
constexpr double kStemHalfHeight = 0.1;

// The carried node goes next to the drop target, as one undoable change.
void DropCarriedNode() {
    ChangeTree({TreeChange::Kind::Drop, gDragNode, gDropTarget});
}

// GLUT's modifier bits of the key event being handled; none when window-free tests call
// the callbacks without GLUT.
int EventModifiers() {
    return glutGet(GLUT_INIT_STATE) ? glutGetModifiers() : 0;
}

// Any key or click is a new action: the message of the last one goes, and so does the
// help overlay, which takes the key or click that closes it.
bool NewActionClosesHelp() {
    ClearMessage();
    ClearHint();
    if (!HelpShown()) return false;
    HideHelp();
    RequestFrame();
    return true;
}

// Pre-order: true when the point (tree units) is over some node's disc.
bool OverAnyNode(const CladeNode* node, float x, float y) {
    if (node == nullptr) return false;
    return InPickSquare(x - node->x, y - node->y) || OverAnyNode(node->left, x, y) ||
           OverAnyNode(node->right, x, y);
}

// A press on the line of a character in a list or the parsimony panel, where the frame
// draws it now (the scene is built again for the press: the lines' places depend on the
// whole frame), traces that character; a press on a node picks the node instead. Without
// a font (window-free tests) there are no lines to press on.
bool PressTracesCharacter() {
    if (gRoot == nullptr || gFontRenderer.GetFontCount() == 0) return false;
    if (OverAnyNode(gRoot, gPressX, gPressY)) return false;
    static Scene scene; // kept, as the frame's is
    BuildFrameScene(CurrentSceneView(), &scene);
    const int character =
        CharacterLineAt(scene, static_cast<float>(TreeToPercentX(gPressX, gTaxonCount)),
                        static_cast<float>(TreeToPercentY(gPressY, gTaxonCount)));
    if (character < 0) return false;
    ToggleTraceOf(character);
    return true;
}

} // namespace

float WindowToTreeX(float px, int windowWidth) {
    return PixelToTreeX(px, static_cast<float>(windowWidth), gTaxonCount);
}

float WindowToTreeY(float py, int windowHeight) {
    return PixelToTreeY(py, static_cast<float>(windowHeight), gTaxonCount);
}

// Pre-order, left before right. A hit node's children are not visited and keep their
// flags; every internal node is assumed to have its children linked back to it.
void PickNode(CladeNode* node) {
    assert(node != nullptr);
    const float dx = gPressX - node->x;
    const float dy = gPressY - node->y;
    if (node != gRoot && InPickSquare(dx, dy)) {
        node->isDragged = !node->isDragged;
        gDragNode = node;
        return;
    }
    node->isDragged = false;
    if (node->left != nullptr) {
        assert(node->left->parent == node);
        PickNode(node->left);
    }
    if (node->right != nullptr) {
        assert(node->right->parent == node);
        PickNode(node->right);
    }
}

// Pre-order, stops at the first flagged node; absent children count as not dragged.
bool AnyDragged(const CladeNode* node) {
    if (node == nullptr) return false;
    return node->isDragged || AnyDragged(node->left) || AnyDragged(node->right);
}

// Pre-order, left before right; the last matching node wins. Every non-root node is
// assumed to have a parent (it is reached through its parent's link).
void FindDropTarget(CladeNode* node) {
    assert(node != nullptr);
    const float px = gPointerX;
    const float py = gPointerY;
    bool matches;
    if (node == gRoot) {
        matches = node->x - kStemFar < px && px < node->x - kStemNear &&
                  std::fabs(py - node->y) < kStemHalfHeight;
        if (matches) gDropTarget = node;
    } else {
        const CladeNode* parent = node->parent;
        assert(parent != nullptr);
        const float numerator = std::fabs((parent->x - node->x) * (node->y - py) -
                                          (parent->y - node->y) * (node->x - px));
        const double dxLine = parent->x - node->x;
        const double dyLine = parent->y - node->y;
        const float distance =
            static_cast<float>(numerator / std::sqrt(dyLine * dyLine + dxLine * dxLine));
        matches = !parent->isDragged && px < node->x - kBranchEndGap &&
                  px > parent->x + kBranchEndGap && distance < kBranchWidth;
        if (matches && !node->isDragged) gDropTarget = node;
    }
    if (matches) return;
    if (gDropTarget == node) gDropTarget = nullptr;
    if (node->left != nullptr) FindDropTarget(node->left);
    if (node->right != nullptr) FindDropTarget(node->right);
}

void HandleMouse(int button, int state, float px, float py, int windowWidth, int windowHeight) {
    if (button != GLUT_LEFT_BUTTON) return;
    if (state == GLUT_UP) {
        // Press, drag, release: a release after the held button moved drops the node the
        // press picked, exactly as a second click would. A release without motion (a plain
        // click) or without a target leaves the node picked.
        const bool dragged = gHeldMotion;
        gHeldMotion = false;
        if (dragged && gDragging && gDropTarget != nullptr && gDragNode != nullptr)
            DropCarriedNode();
        return;
    }
    if (state != GLUT_DOWN) return;
    gHeldMotion = false;
    if (NewActionClosesHelp()) return;
    gPressPending = true;
    gPressX = WindowToTreeX(px, windowWidth);
    gPressY = WindowToTreeY(py, windowHeight);
    // A press on a control is the control's alone: it does not also pick or drop.
    if (PressHitsDrawnControl(gPressX, gPressY)) return;
    if (gDragging && gDropTarget != nullptr && gDragNode != nullptr) {
        DropCarriedNode();
        return;
    }
    // The pick stays as it is: a node's own list may be the one pressed on.
    if (PressTracesCharacter()) return;
    if (gRoot == nullptr) return;
    PickNode(gRoot);
    gDragging = AnyDragged(gRoot);
    UpdateDropPreview(); // once per pick, not on every motion
}

void HandlePassiveMotion(float px, float py, int windowWidth, int windowHeight) {
    gPointerX = WindowToTreeX(px, windowWidth);
    gPointerY = WindowToTreeY(py, windowHeight);
    if (gDragging && gRoot != nullptr) FindDropTarget(gRoot);
}

void HandleHeldMotion(float px, float py, int windowWidth, int windowHeight) {
    gHeldMotion = true;
    HandlePassiveMotion(px, py, windowWidth, windowHeight);
}

bool HandleKey(const KeyPress& press) {
    if (press.special && IsModifierKey(press.key)) return false;
    if (NewActionClosesHelp()) return false;
    return RunKeyCommand(press);
}

bool HandleKeyEvent(int key, bool special, int glutModifiers) {
    if (special) NoteShiftKey(key, true);
    KeyPress press{key, special, false, false, false};
    press.ctrl = (glutModifiers & GLUT_ACTIVE_CTRL) != 0;
    press.alt = (glutModifiers & GLUT_ACTIVE_ALT) != 0;
    press.shift = (glutModifiers & GLUT_ACTIVE_SHIFT) != 0 && ShiftKeyDown();
    return HandleKey(press);
}

void HandleSpecialKeyUp(int key) {
    NoteShiftKey(key, false);
}

// The event's pixel is taken in the drawn area (the viewport), which the handlers see as
// their window: a window kept larger than 4:3 leaves a blank margin outside it.
void OnMouse(int button, int state, int px, int py) {
    RunGuarded([&] {
        const DrawnArea area = CurrentDrawnArea();
        HandleMouse(button, state, AreaPixelX(static_cast<float>(px), area),
                    AreaPixelY(static_cast<float>(py), area), static_cast<int>(area.width),
                    static_cast<int>(area.height));
        RequestFrame();
    });
}

void OnPassiveMotion(int px, int py) {
    RunGuarded([&] {
        const DrawnArea area = CurrentDrawnArea();
        HandlePassiveMotion(AreaPixelX(static_cast<float>(px), area),
                            AreaPixelY(static_cast<float>(py), area), static_cast<int>(area.width),
                            static_cast<int>(area.height));
        RequestFrame(); // the hover text and the drop target follow the pointer
    });
}

void OnMotion(int px, int py) {
    RunGuarded([&] {
        const DrawnArea area = CurrentDrawnArea();
        HandleHeldMotion(AreaPixelX(static_cast<float>(px), area),
                         AreaPixelY(static_cast<float>(py), area), static_cast<int>(area.width),
                         static_cast<int>(area.height));
        RequestFrame();
    });
}

void OnKeyboard(unsigned char key, int, int) {
    RunGuarded([&] {
        if (HandleKeyEvent(key, false, EventModifiers())) RequestFrame();
    });
}

void OnKeyboardUp(unsigned char, int, int) {}

void OnSpecialKey(int key, int, int) {
    RunGuarded([&] {
        if (HandleKeyEvent(key, true, EventModifiers())) RequestFrame();
    });
}

void OnSpecialKeyUp(int key, int, int) {
    HandleSpecialKeyUp(key);
}
