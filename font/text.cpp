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
#include <stdexcept>
#include <string>
#include <sys/stat.h>

#ifndef QM_DATA_DIR
#define QM_DATA_DIR "/usr/local/share/quillmoor"
#endif

int gTextWindowWidth = 0;
int gTextWindowHeight = 0;

namespace {

const char kFontName[] = "Another";
const char kFontFile[] = "Another.fnt";
const char kTableCutShort[] = "font file is cut short inside its glyph table";

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Returns the first existing copy of the font file: the working directory, then beside
// the program, then the installed data folder. Returns the bare name when there is none,
// so the missing-file notice names the file the program asked for.
std::string FindFontFile() {
    const std::string candidates[] = {
        kFontFile,
        ExecutableFolder() + kFontFile,
        std::string(QM_DATA_DIR) + "/" + kFontFile,
    };
    for (const std::string& path : candidates) {
        if (IsRegularFile(path)) {
            return path;
        }
    }
    return kFontFile;
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
    try {
        gFontRenderer.LoadFont(kFontName, file);
        // Nothing loaded from a file that opens: the only quiet refusal is a cut table.
        // (A file that does not open has already been shown in the missing-file notice.)
        if (gFontRenderer.GetFontCount() == 0 && std::ifstream(file, std::ios::binary)) {
            throw kTableCutShort;
        }
        gFontRenderer.SetActiveFont(kFontName);
    } catch (const char* problem) {
        throw std::runtime_error(file + ": " + problem);
    }
    gFontRenderer.SetWidthScale(1.0f);
    gFontRenderer.SetRotation(0.0f);
    gFontRenderer.SetHeight(LFontRenderer::kNativeHeight);
    gTextWindowWidth = glutGet(GLUT_WINDOW_WIDTH);
    gTextWindowHeight = glutGet(GLUT_WINDOW_HEIGHT);
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

void TextSetSize(int size) {
    // The product is taken in 64 bits, and out-of-range heights are clamped: converting a
    // negative or too large double to unsigned would be undefined.
    const double pixels =
        static_cast<double>(static_cast<long long>(size) * gTextWindowHeight) / 100.0;
    std::uint32_t height = 0;
    if (pixels >= 4294967295.0) {
        height = UINT32_MAX;
    } else if (pixels > 0.0) {
        height = static_cast<std::uint32_t>(pixels);
    }
    gFontRenderer.SetHeight(height);
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
