// Test-only GLUT window; see gl_test_window.h.
#include "tests/support/gl_test_window.h"

#include <dlfcn.h>
#include <GL/freeglut.h>

#include <chrono>
#include <initializer_list>
#include <thread>

namespace {
int gTestWindow = 0;
void NoDisplay() {}

} // namespace

// Mesa unloads its driver before LeakSanitizer looks at the heap, so the driver's caches
// show up as leaks from "<unknown module>" that no suppression can name. Keeping the
// software driver loaded keeps its name on those frames, and lsan.supp covers them.
void PinSoftwareDriver() {
    for (const char* path :
         {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
          "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
        if (dlopen(path, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE) != nullptr) return;
    }
}

void EnsureTestWindow(int width, int height) {
    if (gTestWindow != 0) {
        glutSetWindow(gTestWindow);
        return;
    }
    PinSoftwareDriver();
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
