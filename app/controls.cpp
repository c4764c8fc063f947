// Immediate-mode controls (see controls.h). Called by the frame routine. DrawButton
// selects the screen projection, disables texturing and blending, sets the blend function
// and the current colour, and leaves the text size and colour at the button's.
#include "app/controls.h"

#include "app/interaction.h"
#include "display/display.h"
#include "display/geometry.h"
#include "font/text.h"
#include "matrix/matrix.h"

#include <GL/gl.h>

#include <cstdio>

namespace {

// One body layer: the octagon's four vertex pairs, each pair in one colour.
struct ButtonLayer {
    float pairColors[4][3];
};

// Shadow, rim and face: the face is lightest at the upper left and darkest at the lower
// right, and each layer lies 0.1 nearer the viewer than the one before.
const ButtonLayer kShadowLayer = {
    {{0.3f, 0.3f, 0.3f}, {0.2f, 0.2f, 0.2f}, {0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f}}};
const ButtonLayer kRimLayer = {
    {{0.05f, 0.05f, 0.05f}, {0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f}, {0.1f, 0.1f, 0.1f}}};
const ButtonLayer kFaceLayer = {
    {{0.5f, 0.5f, 0.6f}, {0.3f, 0.3f, 0.4f}, {0.1f, 0.1f, 0.2f}, {0.3f, 0.3f, 0.4f}}};

// The corner cut of the octagon, in screen units.
constexpr float kCornerCut = 2.0f;

// The rectangle (left, top)-(right, bottom) with each corner cut by kCornerCut.
void DrawOctagon(const ButtonLayer& layer, float left, float top, float right, float bottom) {
    const float c = kCornerCut;
    const float vertices[8][2] = {
        {left + c, top},     {left, top + c},     {left, bottom - c}, {left + c, bottom},
        {right - c, bottom}, {right, bottom - c}, {right, top + c},   {right - c, top},
    };
    // A fan from the first vertex, as GL fills a convex polygon; WebGL has no GL_POLYGON.
    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 8; ++i) {
        const float* color = layer.pairColors[i / 2];
        glColor3f(color[0], color[1], color[2]);
        glVertex3f(vertices[i][0], vertices[i][1], 0.0f);
    }
    glEnd();
}

} // namespace

void InitPushButton(Button& button, float x, float y, float textSize, const char* label,
                    bool disabled) {
    button.x = x;
    button.y = y;
    button.textSize = textSize;
    TextSetSize(textSize);
    button.width = TextGetWidth(label);
    button.height = textSize;
    std::snprintf(button.label, sizeof button.label, "%s", label);
    button.height = static_cast<float>(button.height * 0.8);
    button.disabled = disabled;
}

void DrawButton(const Button& button) {
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetScreenProjection();

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glNormal3f(0.0f, 0.0f, -1.0f);

    const ButtonBody body = ButtonBodyOf(button.x, button.y, button.width, button.height);
    const float left = body.left;
    const float right = body.right;
    const float top = body.top;
    const float bottom = body.bottom;
    glTranslatef(body.centerX, body.centerY, 1.0f);

    // The shadow is the octagon grown by kButtonShadow on every side.
    glPushMatrix();
    glScalef((left - kButtonShadow) / left, (top - kButtonShadow) / top, 1.0f);
    DrawOctagon(kShadowLayer, left, top, right, bottom);
    glPopMatrix();

    glTranslatef(0.0f, 0.0f, 0.1f);
    glPushMatrix();
    glScalef(1.025f, 1.07f, 1.0f);
    DrawOctagon(kRimLayer, left, top, right, bottom);
    glPopMatrix();

    glTranslatef(0.0f, 0.0f, 0.1f);
    DrawOctagon(kFaceLayer, left, top, right, bottom);
    glPopMatrix();

    if (button.disabled) {
        TextSetColor(0.2f, 0.2f, 0.2f);
    } else {
        TextSetColor(1.0f, 1.0f, 1.0f);
    }
    TextSetSize(button.textSize);
    TextPrint(button.x, button.y, button.label);
}

PercentBox ButtonBox(const Button& button) {
    return ButtonBoxOf(button.x, button.y, button.width, button.height);
}

bool InButtonZone(const Button& button, float x, float y) {
    // The press is kept in tree units; the box is in percent of the same drawn area.
    return InBox(ButtonBox(button), static_cast<float>(TreeToPercentX(x, gTaxonCount)),
                 static_cast<float>(TreeToPercentY(y, gTaxonCount)));
}

bool HitButton(const Button& button) {
    if (button.disabled || !gPressPending) return false;
    if (InButtonZone(button, gPressX, gPressY)) {
        gPressPending = false;
        return true;
    }
    return false;
}

namespace {
// The buttons of the last frame, for input that arrives before the next one.
constexpr int kMaxDrawnControls = 8;
Button gDrawnControls[kMaxDrawnControls];
int gDrawnControlCount = 0;
} // namespace

void BeginControls() {
    gDrawnControlCount = 0;
}

void EndControls() {
    gPressPending = false;
}

bool PressHitsDrawnControl(float x, float y) {
    for (int i = 0; i < gDrawnControlCount; ++i) {
        const Button& button = gDrawnControls[i];
        if (!button.disabled && InButtonZone(button, x, y)) return true;
    }
    return false;
}

bool ClaimPress(const Button& button) {
    if (gDrawnControlCount < kMaxDrawnControls) gDrawnControls[gDrawnControlCount++] = button;
    return HitButton(button);
}

bool DoButton(float x, float y, float textSize, const char* label) {
    Button button;
    InitPushButton(button, x, y, textSize, label, false);
    DrawButton(button);
    return ClaimPress(button);
}
