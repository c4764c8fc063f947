// Ends the program cleanly on an error that nothing else handles: the font renderer
// throws its message text (const char*), and such an exception must never unwind through
// GLUT's C frames. main wraps start-up, and every GLUT callback wraps its body, in
// RunGuarded. Changes no GL state.
#pragma once

#include <exception>

// Prints "quillmoor: MESSAGE" on stderr, flushes stdout and exits with status 1.
[[noreturn]] void DieWithMessage(const char* message);

// Runs body; any exception ends the program through DieWithMessage.
template <typename Body> void RunGuarded(Body&& body) {
    try {
        body();
    } catch (const char* message) {
        DieWithMessage(message);
    } catch (const std::exception& error) {
        DieWithMessage(error.what());
    } catch (...) {
        DieWithMessage("unexpected error");
    }
}
