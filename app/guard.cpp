// Fatal-error exit for the editor (see guard.h). Called from main and the GLUT callbacks
// through RunGuarded; shows the error through ShowRefusal; changes no GL state.
#include "app/guard.h"

#include "app/refusals.h"

#include <cstdio>
#include <cstdlib>

void DieWithRefusal(const Refusal& refusal, const Refusal& cause) {
    std::fflush(stdout);
    if (!cause.text.empty()) ShowRefusal(cause, Audience::Notice);
    ShowRefusal(refusal, Audience::Windowless);
    std::exit(1);
}

void DieWithMessage(const char* message) {
    DieWithRefusal(Refusal{"", 0, 0, message != nullptr ? message : "unknown error"});
}
