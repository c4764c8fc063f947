// Screen text in percent of the start-up window, on top of gFontRenderer. Called by the
// app and the display code inside frames. Each drawing call leaves GL_BLEND and
// GL_TEXTURE_2D disabled and GL_DEPTH_TEST enabled.
#include "font/text.h"

#include "font/font_renderer.h"
#include "platform/platform.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cstdint>
#include <fstream>
#include <string>

int gTextWindowWidth = 0;
int gTextWindowHeight = 0;

namespace {

const char kFontName[] = "Another";
const char kFontFile[] = "Another.fnt";

// Returns the first copy of the font file in the platform's data folders (the working
// folder, beside the program, the installed data folder found from the program's place).
// Returns the bare name when there is none, so the missing-file notice names the file the
// program asked for.
std::string FindFontFile() {
    const std::string path = FindFileIn(DataFolders(), kFontFile);
    return path.empty() ? std::string(kFontFile) : path;
}

float PercentToPixelsX(float x) {
    return static_cast<float>(static_cast<double>(gTextWindowWidth) * x / 100.0);
}

float PercentToPixelsY(float y) {
    return static_cast<float>(static_cast<double>(gTextWindowHeight) * y / 100.0);
}

float CenteredPixelsX(const char* text) {
    return static_cast<float>((50.0 - TextGetWidth(text) / 2.0) * gTextWindowWidth / 100.0);
}

void DrawNow(float px, float py, const char* text) {
    gFontRenderer.StringOut(px, py, text);
    gFontRenderer.Draw();
}

// Pixels of the start-up window for a text size in percent of its height. The product is
// taken in 64 bits, and out-of-range heights are clamped: converting a negative or too
// large double to unsigned would be undefined. A whole size gives the product exactly.
std::uint32_t PixelHeight(float size) {
    const double pixels = static_cast<double>(size) * gTextWindowHeight / 100.0;
    if (pixels >= 4294967295.0) return UINT32_MAX;
    if (pixels > 0.0) return static_cast<std::uint32_t>(pixels);
    return 0;
}

void EndText() {
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

} // namespace

void TextInit() {
    gFontRenderer.Clear();
    const std::string file = FindFontFile();
    // The renderer's messages do not say which file they are about, and a glyph table
    // cut short only loads nothing, which SetActiveFont would report as a font not
    // found. The file is named here, where it was chosen.
    Refusal missing;
    try {
        gFontRenderer.LoadFont(kFontName, file, &missing);
        // Nothing loaded from a file that opens: the only quiet refusal is a cut table.
        if (gFontRenderer.GetFontCount() == 0 && missing.text.empty()) throw kFontTableCutShort;
        gFontRenderer.SetActiveFont(kFontName);
        // Its pages lie beside it: pages of another copy might not match its glyphs.
        gFontRenderer.SetFontPages(gFontRenderer.GetActiveFont(), file);
    } catch (const char* problem) {
        // A missing file goes with it, for the caller to tell in the notice first.
        throw RefusalError(Refusal{file, 0, 0, problem}, missing);
    }
    gFontRenderer.SetWidthScale(1.0f);
    gFontRenderer.SetRotation(0.0f);
    gFontRenderer.SetHeight(LFontRenderer::kNativeHeight);
    gTextWindowWidth = glutGet(GLUT_WINDOW_WIDTH);
    gTextWindowHeight = glutGet(GLUT_WINDOW_HEIGHT);
}

bool TextInitWithoutWindow(int width, int height, Refusal* refusal) {
    // A font's bitmap is never uploaded here; this bounds only what the parser accepts.
    constexpr std::uint32_t kLargestBitmapSide = 16384;
    const std::string path = FindFontFile();
    std::ifstream in(path, std::ios::binary);
    Refusal refused{path, 0, 0, ""};
    if (!in.is_open()) refused.text = "cannot open the font file";
    LFont font;
    FontImage image;
    if (!refused.text.empty() || !ReadFontFile(in, kLargestBitmapSide, font, image, &refused)) {
        if (refusal != nullptr) *refusal = refused;
        return false;
    }
    gFontRenderer.Clear();
    gFontRenderer.AddFontMetrics(kFontName, font);
    gFontRenderer.SetActiveFont(kFontName);
    gFontRenderer.SetFontPages(gFontRenderer.GetActiveFont(), path);
    gFontRenderer.SetHeight(LFontRenderer::kNativeHeight);
    gTextWindowWidth = width;
    gTextWindowHeight = height;
    return true;
}

void TextPrint(float x, float y, const char* text) {
    DrawNow(PercentToPixelsX(x), PercentToPixelsY(y), text);
    EndText();
}

void TextPrintCentered(float y, const char* text) {
    DrawNow(CenteredPixelsX(text), PercentToPixelsY(y), text);
    EndText();
}

void TextPrintShadowed(float y, const char* text) {
    float red, green, blue;
    gFontRenderer.GetColor(red, green, blue);
    const float px = CenteredPixelsX(text);
    const float py = PercentToPixelsY(y);
    TextSetColor(0.1f, 0.1f, 0.1f);
    const float d = static_cast<float>(gTextWindowHeight * 0.2 / 100.0);
    DrawNow(px + d, py + d, text);
    TextSetColor(red, green, blue);
    DrawNow(px, py, text);
    EndText();
}

void TextSetSize(float size) {
    gFontRenderer.SetHeight(PixelHeight(size));
}

float TextHeightPercent(float size) {
    if (gTextWindowHeight <= 0) return 0.0f;
    return static_cast<float>(static_cast<double>(PixelHeight(size)) * 100.0 / gTextWindowHeight);
}

void TextSetColor(float red, float green, float blue) {
    gFontRenderer.SetColor(red, green, blue);
}

float TextGetWidth(const char* text) {
    return static_cast<float>(gFontRenderer.GetStringWidth(text)) /
           static_cast<float>(gTextWindowWidth) * 100.0f;
}

void TextSetRotation(float degrees) {
    gFontRenderer.SetRotation(degrees);
}
