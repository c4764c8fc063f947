// When frames run: the real start-up and callbacks in a window under Xvfb, with the GLUT
// loop pumped by the test. An idle editor draws nothing; each input event, reshape or
// click that the frame claims is followed by frames until the picture has caught up; and
// the continuous loop (the control) keeps drawing, which shows that the counter counts.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/input.h"
#include "app/shell.h"
#include "clade/clade.h"
#include "display/display.h"
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
        PumpFor(1.0); // map, expose and reshape settle
    }
};

TEST_F(IdleFrames, NothingIsDrawnWhileNothingHappens) {
    EXPECT_GT(gFramesDrawn, 0u) << "the expose of the new window draws the first frame";
    EXPECT_EQ(PumpFor(2.0), 0u);
}

TEST_F(IdleFrames, EachEventIsFollowedByAFrameAndThenQuiet) {
    OnPassiveMotion(400, 300);
    EXPECT_GE(PumpFor(0.3), 1u) << "passive motion moves the hover text and the target";
    EXPECT_EQ(PumpFor(0.5), 0u);

    OnKeyboard('f', 0, 0);
    EXPECT_GE(PumpFor(0.3), 1u);
    EXPECT_EQ(PumpFor(0.5), 0u);

    OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 5, 590); // empty space: stays pending
    EXPECT_GE(PumpFor(0.3), 1u);
    EXPECT_TRUE(gPressPending);
    EXPECT_EQ(PumpFor(0.5), 0u);

    OnReshape(800, 600);
    EXPECT_GE(PumpFor(0.3), 1u) << "a reshape moves the button's zone and stretches text";
    EXPECT_EQ(PumpFor(0.5), 0u);
}

TEST_F(IdleFrames, TheContinuousLoopKeepsDrawing) {
    gContinuousFrames = true;
    RegisterCallbacks();
    glutPostRedisplay();
    EXPECT_GT(PumpFor(0.5), 10u);
    gContinuousFrames = false;
    RegisterCallbacks();
    PumpFor(0.2); // the frame already asked for drains
    EXPECT_EQ(PumpFor(0.5), 0u);
}

} // namespace
