// The GL drawers of the parsimony tools (see parsimony_drawing.h): boxes, badges, rings
// and text at the places the layout functions give. Called by the frame. The panel selects
// the screen projection; the marks draw in whatever tree projection is current. Changes
// the current colour and the text size and colour.
#include "display/parsimony_drawing.h"

#include "display/display.h"
#include "font/text.h"
#include "matrix/matrix.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// Percent to screen units (400 x 300 over the window).
constexpr float kUnitsPerPercentX = 4.0f;
constexpr float kUnitsPerPercentY = 3.0f;
// Behind the message line and the help overlay (depth 5 and up), in front of the markers
// (depth up to about 2.2) under the depth test.
constexpr float kPanelDepth = 4.0f;
constexpr float kMarkDepth = 3.0f;
constexpr float kHintDepth = 3.3f;

constexpr float kPanelEdge[3] = {0.6f, 0.6f, 0.6f};
constexpr float kPanelFill[3] = {0.98f, 0.98f, 0.93f};
constexpr float kBlack[3] = {0.0f, 0.0f, 0.0f};
constexpr float kHintColour[3] = {0.6f, 0.0f, 0.8f};
constexpr float kDropHereColour[3] = {0.0f, 0.0f, 0.5f};

// The badge of each effect: fill, symbol colour, symbol bars in the badge's own frame
// (half size 1): left, top, right, bottom.
struct Badge {
    float fill[3];
    float symbol[3];
    int bars;
    float bar[2][4];
};
constexpr Badge kLowers = {
    {0.0f, 0.3f, 0.9f}, {1.0f, 1.0f, 1.0f}, 1, {{-0.6f, -0.14f, 0.6f, 0.14f}}};
constexpr Badge kKeeps = {{0.85f, 0.85f, 0.85f},
                          {0.0f, 0.0f, 0.0f},
                          2,
                          {{-0.6f, -0.4f, 0.6f, -0.14f}, {-0.6f, 0.14f, 0.6f, 0.4f}}};
constexpr Badge kRaises = {{1.0f, 0.55f, 0.0f},
                           {0.0f, 0.0f, 0.0f},
                           2,
                           {{-0.6f, -0.14f, 0.6f, 0.14f}, {-0.14f, -0.6f, 0.14f, 0.6f}}};

const Badge& BadgeOf(DropEffect effect) {
    return effect == DropEffect::Lowers ? kLowers : effect == DropEffect::Keeps ? kKeeps : kRaises;
}

// The marks' size is fixed in window terms (about 7.6 pixels either way in the 800 x 600
// window): tree units per percent differ along x and y and with the number of taxa.
float HalfWidthInTreeUnits(float percent) {
    return percent * static_cast<float>(gTaxonCount + 3) / 100.0f;
}
float HalfHeightInTreeUnits(float percent) {
    return percent * static_cast<float>(gTaxonCount + 1) / 100.0f;
}
constexpr float kBadgeHalfX = 0.95f; // percent of the width
constexpr float kBadgeHalfY = 1.27f; // percent of the height

void Rect(float left, float top, float right, float bottom, float z) {
    glVertex3f(left, top, z);
    glVertex3f(right, top, z);
    glVertex3f(right, bottom, z);
    glVertex3f(left, bottom, z);
}

void DrawBadge(float x, float y, const Badge& badge) {
    const float hx = HalfWidthInTreeUnits(kBadgeHalfX);
    const float hy = HalfHeightInTreeUnits(kBadgeHalfY);
    const float inset = 0.82f;
    glBegin(GL_QUADS);
    glColor3fv(kBlack);
    Rect(x - hx, y - hy, x + hx, y + hy, kMarkDepth);
    glColor3fv(badge.fill);
    Rect(x - hx * inset, y - hy * inset, x + hx * inset, y + hy * inset, kMarkDepth + 0.05f);
    glColor3fv(badge.symbol);
    for (int b = 0; b < badge.bars; ++b) {
        const float* bar = badge.bar[b];
        Rect(x + bar[0] * hx, y + bar[1] * hy, x + bar[2] * hx, y + bar[3] * hy, kMarkDepth + 0.1f);
    }
    glEnd();
}

// A ring of 24 segments between inner and outer (both as shares of the badge size).
void DrawRing(float x, float y, float inner, float outer) {
    const float hx = HalfWidthInTreeUnits(kBadgeHalfX);
    const float hy = HalfHeightInTreeUnits(kBadgeHalfY);
    constexpr int kSegments = 24;
    glColor3fv(kHintColour);
    glBegin(GL_TRIANGLE_STRIP);
    for (int k = 0; k <= kSegments; ++k) {
        const float a = 6.2831853f * static_cast<float>(k) / kSegments;
        const float c = std::cos(a);
        const float s = std::sin(a);
        glVertex3f(x + c * hx * outer, y + s * hy * outer, kHintDepth);
        glVertex3f(x + c * hx * inner, y + s * hy * inner, kHintDepth);
    }
    glEnd();
}

void ScreenBox(const PercentBox& box, float z, const float rgb[3]) {
    glColor3fv(rgb);
    glBegin(GL_QUADS);
    Rect(box.left * kUnitsPerPercentX, box.top * kUnitsPerPercentY, box.right * kUnitsPerPercentX,
         box.bottom * kUnitsPerPercentY, z);
    glEnd();
}

void PrintPlaced(const PlacedText& line) {
    const float* rgb = line.character >= 0 && line.character < kMaxCharacters
                           ? gCharacterColors[line.character]
                           : kBlack;
    TextSetSize(line.size);
    TextSetColor(rgb[0], rgb[1], rgb[2]);
    TextPrint(line.x, line.y, line.text.c_str());
}

} // namespace

float MeasureText(const char* text, int size) {
    TextSetSize(size);
    return TextGetWidth(text);
}

void DrawParsimonyPanel(const PanelLayout& layout) {
    if (!layout.shown) return;
    SetScreenProjection();
    ScreenBox(layout.box, kPanelDepth, kPanelEdge);
    const float edge = 0.2f;
    ScreenBox({layout.box.left + edge, layout.box.top + edge * 4 / 3, layout.box.right - edge,
               layout.box.bottom - edge * 4 / 3},
              kPanelDepth + 0.05f, kPanelFill);
    for (const PlacedText& line : layout.lines)
        PrintPlaced(line);
}

void DrawDropMarks(const std::vector<BranchMark>& marks) {
    for (const BranchMark& mark : marks)
        DrawBadge(mark.x, mark.y, BadgeOf(mark.effect));
}

void DrawHintMarks(const CladeNode* moved, const CladeNode* target) {
    if (moved == nullptr || target == nullptr) return;
    DrawRing(moved->x, moved->y, 1.5f, 2.1f);
    float x = 0;
    float y = 0;
    BranchMiddle(target, &x, &y);
    DrawRing(x, y, 0.9f, 1.5f);
}

void DrawDropHereText(const DropHerePlace& place) {
    if (!place.shown) return;
    TextSetSize(place.line.size);
    TextSetColor(kDropHereColour[0], kDropHereColour[1], kDropHereColour[2]);
    TextPrint(place.line.x, place.line.y, place.line.text.c_str());
}
