// FindMainWindowHandle against a real GLUT window under Xvfb: no handle before a GL
// context exists, then the very window GLUT made (checked through X itself).
#include "platform/platform.h"

#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>
#include <X11/Xlib.h>

TEST(WindowHandle, IsTheGlutWindowOnceItExists) {
    FindMainWindowHandle();
    EXPECT_EQ(gWindowHandle, 0ul) << "no GL context yet";

    EnsureTestWindow(640, 480);
    FindMainWindowHandle();
    ASSERT_NE(gWindowHandle, 0ul);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display, gWindowHandle, &attributes), 0);
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);
    char* name = nullptr;
    ASSERT_NE(XFetchName(display, gWindowHandle, &name), 0);
    EXPECT_STREQ(name, "Quillmoor test");
    XFree(name);
    XCloseDisplay(display);
}
