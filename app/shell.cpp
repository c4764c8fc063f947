// Start-up, the frame routine and reshape (see shell.h). Start-up sets the clear colour,
// shading, point and line smoothing, depth test, normalisation, the blend function and
// the screen projection; every frame sets its own projections again.
#include "app/shell.h"

#include "app/commands.h"
#include "app/controls.h"
#include "app/guard.h"
#include "app/input.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "app/picture.h"
#include "app/settings.h"
#include "app/tree_change.h"
#include "app/unsaved_work.h"
#include "clade/clade.h"
#include "display/display.h"
#include "display/text_places.h"
#include "font/text.h"
#include "platform/platform.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

unsigned gFrameSleepMs = 10;
unsigned long gFramesDrawn = 0;

namespace {

constexpr int kWindowX = 10;
constexpr int kWindowY = 10;
constexpr char kWindowTitle[] = "Quillmoor";

void DisplayFrameBody() {
    ++gFramesDrawn;
    // The button is tested before anything is drawn: a file it loads changes the tree this
    // frame shows. A click it claims, or an open asked for from the keyboard or the menu,
    // earns one more frame (the press is consumed). A press it does not claim expires.
    BeginControls();
    Button openFile;
    const ButtonPlace place = OpenFileButtonPlace(MeasureText);
    InitPushButton(openFile, place.x, place.y, place.size, place.label, false);
    const bool clicked = ClaimPress(openFile);
    EndControls();
    // The window's close button asks what Ctrl+Q asks.
    if (TakeCloseRequest()) RequestQuit();
    const FileDialogRequest request = clicked ? FileDialogRequest::Open : TakeFileDialogRequest();
    const bool changedByFrame = request != FileDialogRequest::None;
    RunFileDialog(request);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    static Scene scene; // kept from frame to frame, so its storage is reused
    BuildFrameScene(CurrentSceneView(), &scene);
    gEventCount = scene.eventTotal;
    gHoverTextLeft = scene.hoverTextLeft;
    const std::vector<HelpLine>& help = HelpLines();
    AddWindowOverlays(scene, CurrentMessage().c_str(), HelpShown() ? help.data() : nullptr,
                      static_cast<int>(help.size()));
    DrawScene(scene, [&openFile] { DrawButton(openFile); });

    SleepMs(gFrameSleepMs);
    glutSwapBuffers();
    StartRequestedSearch(); // after the picture that says "Searching..."
    KeepSettings();         // every change of a setting asks for this frame
    if (gContinuousFrames || changedByFrame) glutPostRedisplay();
}

} // namespace

void InitWindow() {
    glutInitWindowPosition(kWindowX, kWindowY);
    glutInitWindowSize(kStartWindowWidth, kStartWindowHeight);
    glutCreateWindow(kWindowTitle);
    FindMainWindowHandle();
    TextInit();
    RegisterCallbacks();
    // 255 is clamped to 1: a white background with alpha 0.
    glClearColor(255.0f, 255.0f, 255.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    // Blending stays off: only the text renderer turns it on, for its own drawing.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetScreenProjection();
}

void InitDrawingState() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_LINE_SMOOTH);
}

void StartEditor() {
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    InstallNodeReleaseHook();
    InitWindow();
    InterceptWindowClose();
    InitDrawingState();
    CreateCommandMenu();
    ChangeTree({TreeChange::Kind::StartTree});
}

void RegisterCallbacks() {
    glutDisplayFunc(DisplayFrame);
    glutIdleFunc(gContinuousFrames ? DisplayFrame : nullptr);
    glutKeyboardFunc(OnKeyboard);
    glutKeyboardUpFunc(OnKeyboardUp);
    glutPassiveMotionFunc(OnPassiveMotion);
    glutMotionFunc(OnMotion);
    glutSpecialFunc(OnSpecialKey);
    glutSpecialUpFunc(OnSpecialKeyUp);
    glutMouseFunc(OnMouse);
    // Runs as the window goes: at the end, or when the window system destroyed it.
    glutCloseFunc(OnWindowClosing);
    glutReshapeFunc(OnReshape);
}

void DisplayFrame() {
    RunGuarded(DisplayFrameBody);
}

WindowSize FourThreeSize(int width, int height) {
    const double fourThirdsOfHeight = height * (4.0 / 3.0);
    if (fourThirdsOfHeight < width) return {static_cast<int>(fourThirdsOfHeight), height};
    return {width, static_cast<int>(width * 0.75)};
}

void OnReshape(int width, int height) {
    RunGuarded([&] {
        const WindowSize size = FourThreeSize(width, height);
        // Asked for only when the window is not 4:3 yet: a GLUT that calls this callback
        // from inside glutReshapeWindow (the browser's does) would otherwise never return.
        if (size.width != width || size.height != height)
            glutReshapeWindow(size.width, size.height);
        glViewport(0, 0, size.width, size.height);
        // A new size moves the button's zone over a pending press, and stretches the text.
        RequestFrame();
    });
}
