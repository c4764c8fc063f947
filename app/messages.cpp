// The message line's text and its expiry (see messages.h). Called by the app's load path,
// commands and input callbacks. The expiry is one GLUT timer per message, told apart by a
// serial number, so an old timer never removes a newer message; no idle callback runs.
#include "app/messages.h"

#include "app/frame_request.h"

#include <GL/freeglut.h>

namespace {

std::string gMessage;
int gMessageSerial = 0;

void ExpireMessage(int serial) {
    if (serial == gMessageSerial) ClearMessage();
}

} // namespace

void ShowMessage(const std::string& text) {
    gMessage = text;
    ++gMessageSerial;
    // Window-free tests run the commands without GLUT; there is no timer to set then.
    if (HaveWindow()) glutTimerFunc(kMessageLifetimeMs, ExpireMessage, gMessageSerial);
    RequestFrame();
}

void ClearMessage() {
    if (gMessage.empty()) return;
    gMessage.clear();
    ++gMessageSerial;
    RequestFrame();
}

const std::string& CurrentMessage() {
    return gMessage;
}
