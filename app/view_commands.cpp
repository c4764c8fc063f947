// The view commands (see view_commands.h): steps of the text scale, presentation mode and
// full screen. Each change asks for a frame; the settings file follows at the next frame.
// No GL state.
#include "app/view_commands.h"

#include "app/frame_request.h"
#include "app/messages.h"
#include "display/display.h"
#include "display/text_places.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

constexpr int kTextSteps[] = {75, 90, 100, 110, 125, 150, 175, 200, 250};
static_assert(kTextSteps[0] == kLeastTextScale &&
                  kTextSteps[std::size(kTextSteps) - 1] == kMostTextScale,
              "the steps span the scale");

void SayTextSize() {
    ShowMessage("Text size: " + std::to_string(gTextScalePercent) + " %");
    RequestFrame();
}

} // namespace

int TextSizePercent() {
    return gTextScalePercent;
}

void SetTextSizePercent(int percent) {
    gTextScalePercent = std::clamp(percent, kLeastTextScale, kMostTextScale);
    RequestFrame();
}

void LargerText() {
    const int* next =
        std::upper_bound(std::begin(kTextSteps), std::end(kTextSteps), gTextScalePercent);
    if (next != std::end(kTextSteps)) gTextScalePercent = *next;
    SayTextSize();
}

void SmallerText() {
    const int* below =
        std::lower_bound(std::begin(kTextSteps), std::end(kTextSteps), gTextScalePercent);
    if (below != std::begin(kTextSteps)) gTextScalePercent = *(below - 1);
    SayTextSize();
}

void DefaultTextSize() {
    gTextScalePercent = 100;
    SayTextSize();
}

bool PresentationMode() {
    return gPresentationMode;
}

void SetPresentationMode(bool on) {
    gPresentationMode = on;
    RequestFrame();
}

void TogglePresentation() {
    SetPresentationMode(!gPresentationMode);
    ShowMessage(gPresentationMode ? "Presentation mode: on" : "Presentation mode: off");
}

void ToggleFullScreen() {
    glutFullScreenToggle();
    RequestFrame();
}
