// The event total as the program shows it: the real frame routine runs in a window under
// Xvfb, after a load and after drops made through the real pointer handlers, and its
// gEventCount must equal the model's count for the tree it drew.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/input.h"
#include "app/loading.h"
#include "app/shell.h"
#include "clade/clade.h"
#include "display/display.h"
#include "matrix/matrix.h"
#include "tests/display/display_gl_support.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class FrameEventsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char arg0[] = "frame-test";
        char* argv[] = {arg0, nullptr};
        PinSoftwareDriver();
        glutInit(&argc, argv);
        glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
        StartEditor(); // frames run only when asked for, never behind the test's back
        gFrameSleepMs = 0;
        for (int i = 0; i < 20; ++i)
            glutMainLoopEvent(); // let the window map
    }
};

// Window pixel of a point in tree units (inverse of the input's mapping).
float PixelX(float x) {
    return (x + 1.0f) / (gTaxonCount + 3.0f) * kWidth;
}
float PixelY(float y) {
    return (y + (gTaxonCount + 1.0f) * 0.5f) / (gTaxonCount + 1.0f) * kHeight;
}

void Press(float x, float y) {
    HandleMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, PixelX(x), PixelY(y), kWidth, kHeight);
}
void Move(float x, float y) {
    HandlePassiveMotion(PixelX(x), PixelY(y), kWidth, kHeight);
}

// Picks `moved` with a press on its disc, aims at the middle of `target`'s branch (or the
// root's stem) and drops it there with a second press.
void DragAndDrop(CladeNode* moved, CladeNode* target) {
    Press(moved->x, moved->y);
    ASSERT_TRUE(gDragging);
    ASSERT_EQ(gDragNode, moved);
    if (target == gRoot) {
        Move(target->x - 0.5f, target->y);
    } else {
        Move((target->parent->x + target->x) / 2.0f, (target->parent->y + target->y) / 2.0f);
    }
    ASSERT_EQ(gDropTarget, target);
    DisplayFrame(); // the frame with the indicator must leave the count alone
    EXPECT_EQ(gEventCount, CountChangeEvents(gRoot));
    Press(0.0f, 0.0f); // any press drops while a target is set
    ASSERT_FALSE(gDragging);
}

CladeNode* LowestLeaf() {
    CladeNode* n = gRoot;
    while (n->right != nullptr)
        n = n->right;
    return n;
}

} // namespace

TEST_F(FrameEventsTest, TotalFollowsTheTreeAfterLoadAndEveryDrop) {
    DisplayFrame();
    EXPECT_EQ(gEventCount, 0); // the start-up tree has neither characters nor branches

    char path[] = "/tmp/qm-frame-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream out(path);
        out << "Frame test\nid,name,a,b,c,d,e,f,UNUSED,UNUSED\n"
               "1,Wings,0,1,1,0,2,2\n"
               "2,Shell,x,x,y,y,x,y\n"
               "3,Horns,p,q,r,p,q,r\n"
               "4,UNUSED\n";
    }
    std::string why;
    const bool opened = OpenDataFile(path, &why);
    std::remove(path);
    ASSERT_TRUE(opened) << why;

    DisplayFrame();
    EXPECT_GT(gEventCount, 0);
    EXPECT_EQ(gEventCount, CountChangeEvents(gRoot));

    // The lowest leaf onto the top leaf's branch, the top leaf onto the root's stem, and
    // an inner node onto a leaf outside it; after each, the next frame counts the new tree.
    for (int round = 0; round < 2; ++round) {
        DragAndDrop(LowestLeaf(), gRoot->left);
        DisplayFrame();
        EXPECT_EQ(gEventCount, CountChangeEvents(gRoot)) << "round " << round;

        DragAndDrop(gRoot->left, gRoot);
        DisplayFrame();
        EXPECT_EQ(gEventCount, CountChangeEvents(gRoot)) << "round " << round;

        CladeNode* inner = gRoot->right->isTaxon ? gRoot->left : gRoot->right;
        CladeNode* outside = inner == gRoot->left ? gRoot->right : gRoot->left;
        while (!outside->isTaxon)
            outside = outside->left;
        DragAndDrop(inner, outside);
        DisplayFrame();
        EXPECT_EQ(gEventCount, CountChangeEvents(gRoot)) << "round " << round;
    }

    // A second frame of the same tree shows the same total: the frame starts from zero.
    const int total = gEventCount;
    DisplayFrame();
    EXPECT_EQ(gEventCount, total);
}
