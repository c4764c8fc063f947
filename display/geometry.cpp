// The drawn area of the current window, asked from GL (see geometry.h). Called by the
// input callbacks and the arc painter, with the window's GL context current; changes no
// GL state.
#include "display/geometry.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

DrawnArea CurrentDrawnArea() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int corners[4] = {viewport[0], viewport[1], viewport[2], viewport[3]};
    return ViewportArea(corners, glutGet(GLUT_WINDOW_HEIGHT));
}
