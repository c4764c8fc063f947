// Entry of the editor: answers --help and --version, writes a picture without a window
// for --export, or else starts GLUT and the window, builds and lists the empty start-up
// tree, loads a data file named on the command line, and runs the GLUT main loop. Any
// error thrown during start-up ends the program with status 1 and its message on stderr.
#include "app/command_line.h"
#include "app/guard.h"
#include "app/loading.h"
#include "app/picture.h"
#include "app/shell.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    gContinuousFrames = TakeFlag(&argc, argv, "--continuous");
    const int infoStatus = AnswerInfoOptions(argc, argv, stdout, stderr);
    if (infoStatus >= 0) return infoStatus;
    const char* picture = nullptr;
    const char* pictureData = nullptr;
    switch (FindExportArguments(argc, argv, &picture, &pictureData, stderr)) {
    case 0:
        return ExportWithoutWindow(picture, pictureData, stderr);
    case 1:
        return 1;
    default:
        break;
    }

    glutInit(&argc, argv);
    const char* dataFile = nullptr;
    if (!FindDataFileArgument(argc, argv, &dataFile, stderr)) return 2;

    RunGuarded([&] {
        StartEditor();
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
