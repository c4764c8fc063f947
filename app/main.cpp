// Entry of the editor: answers --help, --version and --report, starts GLUT and the window, builds
// and lists the empty start-up tree, loads a data file named on the command line, and
// runs the GLUT main loop. Any error thrown during start-up ends the program with
// status 1 and its message on stderr.
#include "app/command_line.h"
#include "app/guard.h"
#include "app/loading.h"
#include "app/report.h"
#include "app/shell.h"

#include <GL/freeglut.h>

int main(int argc, char** argv) {
    gContinuousFrames = TakeFlag(&argc, argv, "--continuous");
    const int infoStatus = AnswerInfoOptions(argc, argv, stdout, stderr);
    if (infoStatus >= 0) return infoStatus;
    const int reportStatus = AnswerReportOption(argc, argv, stdout, stderr);
    if (reportStatus >= 0) return reportStatus;

    glutInit(&argc, argv);
    const char* dataFile = nullptr;
    if (!FindDataFileArgument(argc, argv, &dataFile, stderr)) return 2;

    RunGuarded([&] {
        StartEditor();
        // A refusal is told once, on stderr, and on the window's message line.
        if (dataFile != nullptr) OpenDataFile(dataFile, nullptr, LoadReport::CommandLine);
    });
    glutMainLoop();
    return 0;
}
