// Frame requests (see frame_request.h). Posts a GLUT redisplay; changes no GL state.
#include "app/frame_request.h"

#include <GL/freeglut.h>

bool gContinuousFrames = false;

bool HaveWindow() {
    return glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0;
}

void RequestFrame() {
    if (gContinuousFrames || !HaveWindow()) return;
    glutPostRedisplay();
}
