// The message line and the help overlay: text on a plain box, drawn last in a frame so
// that it lies over the drawing. Called by the frame. Selects the screen projection,
// changes the current colour and the text size and colour.
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "display/display.h"
#include "font/text.h"

namespace {

// Percent to screen units (400 x 300 over the window).
constexpr float kUnitsPerPercentX = 4.0f;
constexpr float kUnitsPerPercentY = 3.0f;
// In front of everything the frame draws under the depth test (markers stack up to ~2).
constexpr float kOverlayDepth = 5.0f;

// The message line's place: under the banner, right of the ancestral list's two columns
// and left of the leaf column's labels, where the tree never reaches (no branch rises
// faster than half a unit per unit, so the tree stays below the line from the root to the
// top leaf).
constexpr float kMessageLeft = 42.0f;
constexpr float kMessageRight = 84.0f;
constexpr float kMessageTop = 6.0f;
constexpr int kMessageSizes[] = {3, 2}; // the first that fits; the last is cut if needed

constexpr float kMessageBox[3] = {1.0f, 0.96f, 0.72f};
constexpr float kMessageText[3] = {0.35f, 0.0f, 0.0f};
constexpr float kHelpBox[3] = {0.97f, 0.97f, 1.0f};
constexpr float kHelpEdge[3] = {0.2f, 0.2f, 0.5f};

void FillBox(float left, float top, float right, float bottom, const float rgb[3]) {
    SetScreenProjection();
    glColor3fv(rgb);
    glRectf(left * kUnitsPerPercentX, top * kUnitsPerPercentY, right * kUnitsPerPercentX,
            bottom * kUnitsPerPercentY);
}

void FillBoxAt(float left, float top, float right, float bottom, float z, const float rgb[3]) {
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, z);
    FillBox(left, top, right, bottom, rgb);
    glPopMatrix();
}

} // namespace

std::string FitText(const char* text, float width) {
    std::string fitted = text;
    if (TextGetWidth(text) <= width) return fitted;
    static const char kEllipsis[] = "...";
    while (!fitted.empty() && TextGetWidth((fitted + kEllipsis).c_str()) > width) {
        fitted.pop_back();
        // Never end inside a UTF-8 sequence: drop its continuation bytes and its lead byte.
        while (!fitted.empty() && (static_cast<unsigned char>(fitted.back()) & 0xC0) == 0x80)
            fitted.pop_back();
        if (!fitted.empty() && (static_cast<unsigned char>(fitted.back()) & 0x80) != 0)
            fitted.pop_back();
    }
    return fitted + kEllipsis;
}

void DrawMessageLine(const char* text) {
    if (text == nullptr || text[0] == '\0') return;
    const float room = kMessageRight - kMessageLeft - 2.0f;
    int size = kMessageSizes[0];
    for (int candidate : kMessageSizes) {
        size = candidate;
        TextSetSize(size);
        if (TextGetWidth(text) <= room) break;
    }
    const std::string shown = FitText(text, room);
    const float bottom = kMessageTop + static_cast<float>(size) + 1.0f;
    FillBoxAt(kMessageLeft, kMessageTop, kMessageRight, bottom, kOverlayDepth, kMessageBox);
    TextSetColor(kMessageText[0], kMessageText[1], kMessageText[2]);
    TextPrint(kMessageLeft + 1.0f, kMessageTop + 0.5f, shown.c_str());
}

void DrawHelpOverlay(const HelpLine* lines, int count) {
    constexpr float kLeft = 8.0f;
    constexpr float kRight = 92.0f;
    constexpr float kTop = 6.0f;
    constexpr float kRoom = 92.0f; // height for the lines, percent
    constexpr float kKeyColumn = 11.0f;
    constexpr float kTextColumn = 38.0f;
    // Lines 3.5 percent apart while they fit, closer (and smaller) when there are many.
    const float step = std::min(3.5f, kRoom / static_cast<float>(count > 0 ? count : 1));
    const int size = step >= 3.2f ? 3 : 2;
    const float bottom = kTop + 1.0f + static_cast<float>(count) * step + 0.5f;
    FillBoxAt(kLeft - 0.4f, kTop - 0.6f, kRight + 0.4f, bottom + 0.6f, kOverlayDepth, kHelpEdge);
    FillBoxAt(kLeft, kTop, kRight, bottom, kOverlayDepth + 0.1f, kHelpBox);
    float y = kTop + 1.0f;
    for (int i = 0; i < count; ++i, y += step) {
        const HelpLine& line = lines[i];
        const bool heading = line.keys == nullptr || line.keys[0] == '\0';
        TextSetSize(size);
        if (heading) {
            TextSetColor(kHelpEdge[0], kHelpEdge[1], kHelpEdge[2]);
            TextPrint(kKeyColumn - 2.0f, y, line.text);
            continue;
        }
        TextSetColor(0.0f, 0.0f, 0.0f);
        TextPrint(kKeyColumn, y, FitText(line.keys, kTextColumn - kKeyColumn - 1.0f).c_str());
        TextPrint(kTextColumn, y, FitText(line.text, kRight - kTextColumn - 1.0f).c_str());
    }
}
