// The two fixed projections (screen space and tree units) and the tree-to-percent
// conversions used to place leaf labels. Called by the frame, the controls and DrawTree.
// Changes GL_PROJECTION and leaves GL_MODELVIEW selected; the model-view matrix is untouched.
#include "display/display.h"

#include <GL/gl.h>

#include "matrix/matrix.h"

void SetScreenProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 400.0, 300.0, 0.0, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
}

void SetTreeProjection() {
    // N + 2 and N + 1 are integer sums, converted before the halving.
    const int n = gTaxonCount;
    const double halfHeight = static_cast<double>(n + 1) * 0.5;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, static_cast<double>(n + 2), halfHeight, -halfHeight, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
}

float TreeXToPercent(float x) {
    const int n = gTaxonCount;
    return static_cast<float>((x + 1.0) * 100.0 / (n + 3) + 4.0);
}

float TreeYToPercent(float y) {
    const int n = gTaxonCount;
    return static_cast<float>((y + 0.5 * n + 0.5) * 100.0 / (n + 1) - 4.0);
}
