// Shows one real platform dialog over a GLUT window and prints what it returned, for
// dialog_gui_test.py to drive with xdotool under Xvfb.
// Usage: dialog_probe message|open|save. After the result line it keeps its window until
// its standard input ends, so that a dialog that goes only with the process is caught.
#include "platform/platform.h"
#include "tests/support/gl_test_window.h"

#include <GL/freeglut.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
void NoDisplay() {}

void Linger() {
    pollfd input = {0, POLLIN, 0};
    char buffer[64];
    while (true) {
        glutMainLoopEvent();
        if (poll(&input, 1, 10) > 0 && read(0, buffer, sizeof buffer) <= 0) return;
    }
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog_probe message|open|save\n");
        return 2;
    }
    const char* mode = argv[1];
    int glutArgc = 1;
    PinSoftwareDriver();
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(10, 10);
    glutInitWindowSize(400, 300);
    glutCreateWindow("Quillmoor probe");
    glutDisplayFunc(NoDisplay);
    FindMainWindowHandle();
    for (int i = 0; i < 10; ++i) {
        glutMainLoopEvent();
    }
    std::printf("window: %lu\n", gWindowHandle);
    std::fflush(stdout);

    if (std::strcmp(mode, "message") == 0) {
        ShowMessageBox("Quillmoor Error!", "Can't find required file: Another.fnt");
        std::printf("result: closed\n");
        std::fflush(stdout);
        Linger();
        return 0;
    }
    FileDialogOptions options;
    options.save = std::strcmp(mode, "save") == 0;
    options.title = "Pick a Data File";
    options.filters = {{"CSV files", "*.csv"}, {"All files", "*"}};
    options.proposedName = "Data.csv";
    options.defaultExtension = "csv";
    std::string path = "untouched";
    const bool confirmed = ShowFileDialog(options, path);
    std::printf("result: %s %s\n", confirmed ? "true" : "false", path.c_str());
    std::fflush(stdout);
    Linger();
    return 0;
}
