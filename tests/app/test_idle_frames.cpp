// When frames run: the real start-up and callbacks in a window under Xvfb, with the GLUT
// loop pumped by the test. An idle editor draws nothing; each input event, reshape or
// click that the frame claims is followed by frames until the picture has caught up; and
// the continuous loop (the control) keeps drawing, which shows that the counter counts.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/input.h"
#include "app/messages.h"
#include "app/shell.h"
#include "clade/clade.h"
#include "display/display.h"
#include "platform/platform.h"
#include "tests/support/gl_test_window.h"

namespace {

// Runs the GLUT loop for about `seconds`, as glutMainLoop would, and returns how many
// frames were drawn meanwhile.
unsigned long PumpFor(double seconds) {
    const unsigned long before = gFramesDrawn;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return gFramesDrawn - before;
}

// Pumps the loop until no frame has come for half a second, for at most `limit` seconds.
// Returns the frames drawn meanwhile, and sets *settled to whether it went quiet: an event
// may take a few frames to settle (a reshape answers itself once), but never goes on.
unsigned long PumpUntilQuiet(bool* settled, double limit = 10.0) {
    const unsigned long before = gFramesDrawn;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(limit);
    *settled = false;
    while (!*settled && std::chrono::steady_clock::now() < end) {
        *settled = PumpFor(0.5) == 0;
    }
    return gFramesDrawn - before;
}

class IdleFrames : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        PinSoftwareDriver();
        int argc = 1;
        char arg0[] = "idle-test";
        char* argv[] = {arg0, nullptr};
        glutInit(&argc, argv);
        glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
        StartEditor();
    }

    void SetUp() override {
        gContinuousFrames = false;
        RegisterCallbacks();
        bool settled = false;
        PumpUntilQuiet(&settled); // map, expose and reshape
        ASSERT_TRUE(settled);
    }
};

TEST_F(IdleFrames, NothingIsDrawnWhileNothingHappens) {
    EXPECT_GT(gFramesDrawn, 0u) << "the expose of the new window draws the first frame";
    EXPECT_EQ(PumpFor(2.0), 0u);
}

TEST_F(IdleFrames, EachEventIsFollowedByAFrameAndThenQuiet) {
    struct Event {
        const char* what;
        void (*send)();
    };
    const Event events[] = {
        // The hover text and the drop target follow the pointer.
        {"passive motion", [] { OnPassiveMotion(400, 300); }},
        {"key", [] { OnKeyboard('f', 0, 0); }},
        // A press on empty space is offered to the controls of the next frame.
        {"press", [] { OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 5, 590); }},
        // A new size moves the button's zone and stretches the text.
        {"reshape", [] { OnReshape(800, 600); }},
    };
    for (const Event& event : events) {
        event.send();
        bool settled = false;
        EXPECT_GE(PumpUntilQuiet(&settled), 1u) << event.what;
        EXPECT_TRUE(settled) << event.what << " left the loop drawing";
    }
    EXPECT_FALSE(gPressPending) << "a press no control claimed expires after its frame";
}

TEST_F(IdleFrames, TheContinuousLoopKeepsDrawing) {
    gContinuousFrames = true;
    RegisterCallbacks();
    glutPostRedisplay();
    EXPECT_GT(PumpFor(1.0), 3u) << "frames follow each other with no event at all";
    gContinuousFrames = false;
    RegisterCallbacks();
    bool settled = false;
    PumpUntilQuiet(&settled); // the frame already asked for drains
    EXPECT_TRUE(settled);
}

// A press that misses the button expires with its frame: resizing the window until the
// button's zone covers that spot opens nothing. A fresh press on the button opens the
// chooser once, and a chosen file that cannot be opened is told on the message line.
TEST_F(IdleFrames, OnlyAFreshPressOnTheButtonOpensTheChooser) {
    static int choosers;
    choosers = 0;
    SetFileDialogHook([](const FileDialogOptions&, std::string& path) {
        ++choosers;
        path = "/nowhere/no-such.csv";
        return true;
    });
    bool settled = false;
    const auto pressAt = [&](int px, int py) {
        OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, px, py);
        OnMouse(GLUT_LEFT_BUTTON, GLUT_UP, px, py);
        PumpUntilQuiet(&settled);
    };
    const auto resize = [&](int width, int height) {
        glutReshapeWindow(width, height);
        PumpUntilQuiet(&settled);
        ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), width);
    };
    pressAt(493, 24);  // on the banner, left of the button in this window
    resize(1200, 900); // the zone now covers the press's place in tree units
    EXPECT_EQ(choosers, 0) << "a stale press opened the chooser";
    resize(800, 600);
    pressAt(740, 20);
    EXPECT_EQ(choosers, 1);
    EXPECT_EQ(CurrentMessage(), "cannot open no-such.csv");
    SetFileDialogHook(nullptr);
}

} // namespace
