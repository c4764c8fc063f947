// Entry of the editor: answers --help and --version, starts GLUT and the window, builds
// and lists the empty start-up tree, keeps the GL driver loaded to the end, loads a data
// file named on the command line, and runs the GLUT main loop. Any error thrown during
// start-up ends the program with status 1 and its message on stderr.
#include "app/command_line.h"
#include "app/guard.h"
#include "app/loading.h"
#include "app/shell.h"
#include "platform/platform.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    gContinuousFrames = TakeFlag(&argc, argv, "--continuous");
    const int infoStatus = AnswerInfoOptions(argc, argv, stdout, stderr);
    if (infoStatus >= 0) return infoStatus;

    glutInit(&argc, argv);
    const char* dataFile = nullptr;
    if (!FindDataFileArgument(argc, argv, &dataFile, stderr)) return 2;

    RunGuarded([&] {
        StartEditor();
        // Leak reports at exit must still be able to name the GL driver (see
        // KeepGlDriverLoaded), so the sanitizer build closes cleanly.
        KeepGlDriverLoaded();
        if (dataFile != nullptr) {
            std::string whyNot;
            if (!OpenDataFile(dataFile, &whyNot)) {
                // The reader's reasons usually name the file (and line) already.
                if (whyNot.find(dataFile) != std::string::npos) {
                    std::fprintf(stderr, "quillmoor: %s\n", whyNot.c_str());
                } else {
                    std::fprintf(stderr, "quillmoor: cannot load %s: %s\n", dataFile,
                                 whyNot.empty() ? "unreadable data file" : whyNot.c_str());
                }
                std::fflush(stderr);
            }
        }
    });
    glutMainLoop();
    return 0;
}
