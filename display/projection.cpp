// The two fixed projections (screen space and tree units) and the tree-to-percent
// conversions used to place leaf labels, all from the view geometry.h gives. Called by the
// frame, the controls and DrawTree. Changes GL_PROJECTION and leaves GL_MODELVIEW
// selected; the model-view matrix is untouched.
#include "display/display.h"

#include <GL/gl.h>

#include "display/geometry.h"
#include "matrix/matrix.h"

void SetScreenProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kScreenWidth, kScreenHeight, 0.0, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
}

void SetTreeProjection() {
    const TreeView view = TreeViewOf(gTaxonCount);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(view.left, view.right, view.bottom, view.top, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
}

// A label's point lies 4 percent right of and above the node's centre.
float TreeXToPercent(float x) {
    return static_cast<float>(TreeToPercentX(x, gTaxonCount) + 4.0);
}

float TreeYToPercent(float y) {
    return static_cast<float>(TreeToPercentY(y, gTaxonCount) - 4.0);
}
