// Test-only GLUT window; see gl_test_window.h.
#include "tests/support/gl_test_window.h"

#include <GL/freeglut.h>

#include <chrono>
#include <thread>

namespace {
int gTestWindow = 0;
void NoDisplay() {}
} // namespace

void EnsureTestWindow(int width, int height) {
    if (gTestWindow != 0) {
        glutSetWindow(gTestWindow);
        return;
    }
    int argc = 1;
    char arg0[] = "gl-test";
    char* argv[] = {arg0, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(10, 10);
    glutInitWindowSize(width, height);
    gTestWindow = glutCreateWindow("Quillmoor test");
    glutDisplayFunc(NoDisplay);
    PumpTestWindow();
    glViewport(0, 0, width, height);
}

void PumpTestWindow(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
