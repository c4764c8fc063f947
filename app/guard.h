// Ends the program cleanly on an error that nothing else handles: the font renderer
// throws its message text (const char*), the font's start-up a RefusalError, and such an
// exception must never unwind through GLUT's C frames. main wraps start-up, and every
// GLUT callback wraps its body, in RunGuarded. Changes no GL state.
#pragma once

#include "base/refusal.h"

#include <exception>

// Flushes stdout, shows cause (when its text is not empty) in the notice, then the
// refusal as "quillmoor: ..." on stderr, and exits with status 1.
[[noreturn]] void DieWithRefusal(const Refusal& refusal, const Refusal& cause = Refusal());

// DieWithRefusal for a message with no file: "quillmoor: MESSAGE" on stderr.
[[noreturn]] void DieWithMessage(const char* message);

// Runs body; any exception ends the program through DieWithRefusal.
template <typename Body> void RunGuarded(Body&& body) {
    try {
        body();
    } catch (const RefusalError& error) {
        DieWithRefusal(error.refusal(), error.cause());
    } catch (const char* message) {
        DieWithMessage(message);
    } catch (const std::exception& error) {
        DieWithMessage(error.what());
    } catch (...) {
        DieWithMessage("unexpected error");
    }
}
