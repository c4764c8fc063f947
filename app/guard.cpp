// Fatal-error exit for the editor (see guard.h). Called from main and the GLUT callbacks
// through RunGuarded; changes no GL state.
#include "app/guard.h"

#include <cstdio>
#include <cstdlib>

void DieWithMessage(const char* message) {
    std::fflush(stdout);
    std::fprintf(stderr, "quillmoor: %s\n", message != nullptr ? message : "unknown error");
    std::fflush(stderr);
    std::exit(1);
}
