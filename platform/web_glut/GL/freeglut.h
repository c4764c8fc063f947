// The browser's GLUT (Emscripten's, with web_library.js in front of it) under the name the
// program includes on the desktop: freeglut's standard API, and the few freeglut additions
// the program uses, which web_library.js provides.
#pragma once

#include <GL/freeglut_std.h>

#define GLUT_INIT_STATE 0x007C

#define GLUT_KEY_SHIFT_L 0x0070
#define GLUT_KEY_SHIFT_R 0x0071
#define GLUT_KEY_CTRL_L 0x0072
#define GLUT_KEY_CTRL_R 0x0073
#define GLUT_KEY_ALT_L 0x0074
#define GLUT_KEY_ALT_R 0x0075
#define GLUT_KEY_SUPER_L 0x0076
#define GLUT_KEY_SUPER_R 0x0077

#ifdef __cplusplus
extern "C" {
#endif
// Ends the program's event handling: in the page, the editor stops and says so.
void glutLeaveMainLoop(void);
// The window is about to close: a page's window never does (the tab closes with the
// page), so the callback is kept and never called.
void glutCloseFunc(void (*callback)(void));
// Full screen on and off: the page's, through the browser's full-screen request.
void glutFullScreenToggle(void);
#ifdef __cplusplus
}
#endif
