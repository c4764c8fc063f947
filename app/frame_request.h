// Asking for frames. The editor draws only when something shown may have changed, so every
// change of state asks for one frame here; nothing else in app/ needs the shell for that.
// Called by the input callbacks, the commands, the message line and the change step.
#pragma once

// Frames normally run only when something they show may have changed: an input event, a
// reshape or expose, or a change made by the frame itself (a click on "Open File"), and
// the loop otherwise sleeps in the window system. With gContinuousFrames (the
// --continuous option, for comparisons and tests) the frame is also the idle callback and
// asks for the next frame at its end, so frames follow each other without pause.
extern bool gContinuousFrames;

// Asks GLUT for one more frame (a no-op in continuous mode, where one is always coming,
// and without a window, where window-free tests drive the callbacks).
void RequestFrame();

// True when GLUT runs and has a window: timers and redisplays can be asked for.
bool HaveWindow();
