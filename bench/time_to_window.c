/* Starts a program and prints the milliseconds from the start until a top-level window
 * with the given title is mapped, then the program's pid; the program keeps running.
 * Usage: time_to_window TITLE PROGRAM [ARG...]   (needs DISPLAY)
 * Used by window_figures.py; it watches MapNotify on the root window, so no polling. */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

static double NowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

/* The title may sit on the mapped window itself or, with a window manager, on a child. */
static int HasTitle(Display* dpy, Window w, const char* title) {
    char* name = NULL;
    int match = 0;
    if (XFetchName(dpy, w, &name) && name) {
        match = strcmp(name, title) == 0;
        XFree(name);
    }
    return match;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s TITLE PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "time_to_window: no display\n");
        return 2;
    }
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);
    double start = NowMs();
    pid_t pid = fork();
    if (pid == 0) {
        /* The program's console must not hold the caller's pipe open. */
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    for (;;) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type == MapNotify && HasTitle(dpy, ev.xmap.window, argv[1])) break;
    }
    printf("%.2f %d\n", NowMs() - start, (int)pid);
    fflush(stdout);
    XCloseDisplay(dpy);
    return 0;
}
