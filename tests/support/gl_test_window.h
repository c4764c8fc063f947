// A real GLUT window for GL tests (run under Xvfb), created once per test process.
// Leaves its GL context current with the viewport over the whole window.
#pragma once

// Opens the window on first use (double-buffered RGB with depth, at (10, 10)).
// Later calls only make sure the context is current.
void EnsureTestWindow(int width = 800, int height = 600);

// Lets GLUT handle pending window-system events (map, reshape) for a moment.
void PumpTestWindow(int rounds = 10);

// Keeps the software GL driver loaded to the end of the process, so that LeakSanitizer can
// name the driver's caches (lsan.supp). EnsureTestWindow does it; tests that open their
// window another way call it before glutInit.
void PinSoftwareDriver();
