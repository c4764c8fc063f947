// DrawTree: node discs, branch bands, the root stem, leaf labels and the picked node's
// panel. Called by the frame on gRoot right after SetTreeProjection. Resets the tree
// projection at every node (labels leave other matrices behind), leaves the current colour
// and text settings at whatever was drawn last.
#include <GL/gl.h>

#include <cassert>

#include "display/display.h"
#include "display/primitives.h"
#include "font/text.h"
#include "matrix/matrix.h"

namespace {

constexpr float kDiscRadius = 0.2f;
constexpr float kBranchHalfWidth = 0.1f;
constexpr float kStemLength = 1.0f;
constexpr float kStemHalfHeight = 0.05f;
constexpr float kDiscDepth = 0.1f; // in front of branches (z 0) under the depth test

constexpr float kPickedBranch[3] = {0.7f, 0.7f, 0.7f};
constexpr float kTargetBranch[3] = {1.0f, 0.5f, 0.0f};
constexpr float kPlainBranch[3] = {0.5f, 0.0f, 0.0f};

// The picked test comes first: a picked node's branch is grey even while it is the target.
const float* BranchColour(const CladeNode* child, const CladeNode* dropTarget) {
    if (child->isDragged) return kPickedBranch;
    if (child == dropTarget) return kTargetBranch;
    return kPlainBranch;
}

void DrawBranch(const CladeNode* from, const CladeNode* to, const CladeNode* dropTarget) {
    glColor3fv(BranchColour(to, dropTarget));
    glBegin(GL_QUADS);
    glVertex3f(from->x - kBranchHalfWidth, from->y, 0.0f);
    glVertex3f(from->x + kBranchHalfWidth, from->y, 0.0f);
    glVertex3f(to->x + kBranchHalfWidth, to->y, 0.0f);
    glVertex3f(to->x - kBranchHalfWidth, to->y, 0.0f);
    glEnd();
}

// Label size in percent of the window height: smaller as the column of leaves fills up.
int LabelSize(int taxonCount) {
    if (taxonCount > 15) return 4;
    if (taxonCount > 10) return 5;
    if (taxonCount > 5) return 6;
    return 7;
}

void DrawLabel(const CladeNode* node) {
    const int n = gTaxonCount;
    // The leaf's gTaxa record is the authority for its name; a leaf without one (never
    // built by the model) falls back on its own copy rather than reading through null.
    const char* name = node->source != nullptr ? node->source->name : node->name;
    TextSetColor(0.0f, 0.0f, 0.0f);
    TextSetSize(LabelSize(n));
    const int shift = n / 5;
    TextPrint(TreeXToPercent(node->x) - static_cast<float>(shift),
              TreeYToPercent(node->y) + static_cast<float>(shift), name);
}

} // namespace

// Pre-order: the node's disc, then its left branch and whole left subtree, then its right
// branch and subtree, then its own stem, label and panel. Assumes every child's parent
// link points back at the node it hangs from.
void DrawTree(const CladeNode* node, const CladeNode* dropTarget) {
    assert(node != nullptr);
    SetTreeProjection();

    const bool isRoot = node == gRoot;
    const float red = isRoot ? 1.0f : 0.0f;
    const float blue = node->isDragged ? 1.0f : 0.0f;
    const float centre[3] = {red, 1.0f, blue};
    const float rim[3] = {red, 0.3f, blue};
    DrawDisc(node->x, node->y, kDiscDepth, kDiscRadius, centre, rim);

    for (const CladeNode* child : {node->left, node->right}) {
        if (child == nullptr) continue;
        assert(child->parent == node);
        DrawBranch(node, child, dropTarget);
        DrawTree(child, dropTarget);
    }

    if (isRoot) {
        glColor3fv(node == dropTarget ? kTargetBranch : kPlainBranch);
        glRectf(node->x - kStemLength, node->y - kStemHalfHeight, node->x,
                node->y + kStemHalfHeight);
    }
    if (node->isTaxon) DrawLabel(node);
    if (node->isDragged) DrawNodePanel(node);
}
