// Entry of the editor: answers the windowless modes (--newick, --export, --report), --help
// and --version, or else starts GLUT and the window, builds and lists the empty start-up
// tree, keeps the GL driver loaded to the end, loads the files named on the command line,
// and runs the GLUT main loop. Any error thrown during start-up ends the program with
// status 1 and its message on stderr.
#include "app/command_line.h"
#include "app/guard.h"
#include "app/headless.h"
#include "app/loading.h"
#include "app/shell.h"
#include "platform/platform.h"

#include <GL/freeglut.h>

int main(int argc, char** argv) {
    const int headlessStatus = RunHeadlessMode(argc, argv, stdout, stderr);
    if (headlessStatus >= 0) return headlessStatus;
    gContinuousFrames = TakeFlag(&argc, argv, "--continuous");
    const int infoStatus = AnswerInfoOptions(argc, argv, stdout, stderr);
    if (infoStatus >= 0) return infoStatus;

    glutInit(&argc, argv);
    const char* dataFile = nullptr;
    const char* treeFile = nullptr;
    if (!FindDataFileArgument(argc, argv, &dataFile, stderr, &treeFile)) return 2;

    RunGuarded([&] {
        StartEditor();
        // Leak reports at exit must still be able to name the GL driver (see
        // KeepGlDriverLoaded), so the sanitizer build closes cleanly.
        KeepGlDriverLoaded();
        // A refusal is told once, on stderr, and on the window's message line.
        if (dataFile != nullptr && OpenDataFile(dataFile, nullptr, Audience::CommandLine) &&
            treeFile != nullptr)
            OpenTreeFile(treeFile, nullptr, Audience::CommandLine);
    });
    glutMainLoop();
    return 0;
}
