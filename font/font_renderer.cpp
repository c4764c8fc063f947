// LFontRenderer and gFontRenderer: font list, page files, queue and drawing. Called by the
// screen text functions; shows nothing (a missing font file goes back to the caller).
// LoadFont creates a texture (leaves texture 0 bound); Draw makes the textures of pages at
// their first use and leaves GL_TEXTURE_2D and GL_BLEND on, depth test on, the last font
// or page texture bound, GL_MODELVIEW. Measuring never calls GL but to size a page.
#include "font/font_renderer.h"

#include "font/utf8.h"

#include <GL/gl.h>

#include <cassert>
#include <cstdio>
#include <cstring>
#include <fstream>

LFontRenderer gFontRenderer;

namespace {

constexpr std::size_t kQueueGrowth = 20;
constexpr std::size_t kNoticeSize = 300;
constexpr float kItalicSlant = 0.3f;
// Bound on a page bitmap's sides when GL cannot tell its own (a font that only measures).
constexpr std::uint32_t kLargestMeasuredSide = 16384;

// Calls visit(glyph, page) for each character of text, in order; page is the page file
// the glyph lies in, or nullptr for the font's own table. Valid UTF-8 is decoded: code
// points up to 255 are the font's Latin-1 glyphs, others come from their page
// (pageOf(number), nullptr when there is none) or are the replacement glyph. Other text is
// drawn byte by byte as Latin-1, so files saved in that encoding keep working. An absent
// glyph of the font's own table is drawn as a space.
template <typename PageOf, typename Visit>
void ForEachGlyph(const LFont& font, const std::string& text, PageOf pageOf, Visit visit) {
    auto own = [&](std::uint32_t index) {
        const LGlyph& g = font.glyphs[index];
        visit(g.present ? g : font.glyphs[static_cast<unsigned char>(' ')], nullptr);
    };
    if (!IsValidUtf8(text.data(), text.size())) {
        for (unsigned char c : text) {
            own(c);
        }
        return;
    }
    // Text runs in one script: look its page up once per run, not once per character.
    // Page 0 is the font's own table, so it never names a page looked up.
    LGlyphPage* page = nullptr;
    std::uint32_t pageNumber = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::uint32_t cp = DecodeUtf8(text.data(), text.size(), &pos);
        if (cp < kFontPageSize) {
            own(cp);
            continue;
        }
        if (cp / kFontPageSize != pageNumber) {
            pageNumber = cp / kFontPageSize;
            page = pageOf(pageNumber);
        }
        const LGlyph* g = page != nullptr ? &page->glyphs[cp % kFontPageSize] : nullptr;
        if (g != nullptr && g->present) {
            visit(*g, page);
        } else {
            own(kReplacementGlyph);
        }
    }
}

// Makes a texture of a font's bitmap: luminance-alpha, linear filters, clamped, no
// mipmaps; leaves texture 0 bound. Returns the texture's name.
GLuint MakeFontTexture(const FontImage& image) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 image.texels.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // GL_CLAMP_TO_EDGE rather than GL_CLAMP, which WebGL lacks: the baked font and its
    // pages leave clear texels around the bitmap's border, so the edge gives what GL_CLAMP's
    // border gave.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// Reads page number of fontFile. A page of a font that draws keeps its bitmap for the
// texture, and is bounded by GL's largest texture side. Returns nullptr when the file is
// missing or is no font file.
std::unique_ptr<LGlyphPage> ReadPage(const std::string& fontFile, std::uint32_t number,
                                     bool drawn) {
    std::ifstream in(FontPageFileName(fontFile, number), std::ios::binary);
    if (!in.is_open()) return nullptr;
    std::uint32_t largestSide = kLargestMeasuredSide;
    GLint maxSide = 0;
    if (drawn) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (maxSide > 0) largestSide = static_cast<std::uint32_t>(maxSide);
    LFont font;
    auto page = std::make_unique<LGlyphPage>();
    if (!ReadFontFile(in, largestSide, font, page->image, nullptr)) return nullptr;
    std::memcpy(page->glyphs, font.glyphs, sizeof page->glyphs);
    if (!drawn) page->image = FontImage{};
    return page;
}

} // namespace

char* FormatMissingFileNotice(char* out, std::size_t size, const std::string& fileName) {
    static const char kPrefix[] = "Can't find required file: ";
    static const char kEllipsis[] = "...";
    const std::size_t prefixLength = sizeof kPrefix - 1;
    const std::size_t room = size - 1 - prefixLength;
    const char* name = fileName.c_str();
    const char* ellipsis = "";
    if (fileName.size() > room) {
        // Keep the end of the path: the file's own name is what the user needs to see.
        name += fileName.size() - (room - (sizeof kEllipsis - 1));
        while ((static_cast<unsigned char>(*name) & 0xC0) == 0x80) {
            ++name; // do not start inside a UTF-8 sequence
        }
        ellipsis = kEllipsis;
    }
    std::snprintf(out, size, "%s%s%s", kPrefix, ellipsis, name);
    return out;
}

LFontRenderer::LFontRenderer()
    : pendingCount(0), activeFont(0), viewportY(0), viewportX(0), viewportWidth(0),
      viewportHeight(0) {}

LFontRenderer::~LFontRenderer() {
    Clear();
}

void LFontRenderer::Clear() {
    for (const LFont& font : fonts) {
        // Metrics-only fonts have no texture, and may live where there is no GL context.
        if (font.textureId == 0) continue;
        GLuint name = font.textureId;
        glDeleteTextures(1, &name);
    }
    for (const auto& font : pages) {
        DeletePageTextures(font.second);
    }
    pages.clear();
    fonts.clear();
    pending.clear();
    activeFont = 0;
    viewportWidth = 0;
    viewportHeight = 0;
    pendingCount = 0;
}

std::int32_t LFontRenderer::LoadFont(const std::string& fontName, const std::string& fileName,
                                     Refusal* missing) {
    std::FILE* probe = std::fopen(fileName.c_str(), "r");
    if (probe == nullptr) {
        char notice[kNoticeSize];
        if (missing != nullptr)
            *missing =
                Refusal{fileName, 0, 0, FormatMissingFileNotice(notice, sizeof notice, fileName)};
        return 0;
    }
    std::fclose(probe);
    if (fileName.empty() || fontName.empty()) {
        throw "LFontRenderer::LoadFont - invalid filename or font name";
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in.is_open()) {
        throw "LFontRenderer::LoadFont - error opening file";
    }

    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    LFont font;
    FontImage image;
    Refusal refused;
    if (!ReadFontFile(in, maxSide > 0 ? static_cast<std::uint32_t>(maxSide) : 0, font, image,
                      &refused)) {
        // A cut glyph table loads nothing quietly; the rest are raised as their own
        // (static) texts, which the refusal's text equals.
        for (const char* raised : {kFontWrongFormat, kFontOutOfMemory, kFontBitmapCutShort}) {
            if (refused.text == raised) throw raised;
        }
        return 0;
    }
    in.close();

    const GLuint texture = MakeFontTexture(image);
    const std::int32_t index = AddFontMetrics(fontName, font);
    fonts[static_cast<std::size_t>(index)].textureId = texture;
    return index;
}

std::int32_t LFontRenderer::AddFontMetrics(const std::string& fontName, const LFont& metrics) {
    // The drawing settings every font starts with.
    LFont font = metrics;
    font.textureId = 0;
    font.red = font.green = font.blue = 1.0f;
    font.height = font.nativeHeight;
    font.fontName = fontName;
    font.widthScale = 1.0f;
    font.rotation = 0.0f;
    font.italic = false;
    fonts.push_back(std::move(font));
    return static_cast<std::int32_t>(fonts.size() - 1);
}

void LFontRenderer::SetFontPages(std::uint32_t index, const std::string& fontFile) {
    if (index >= fonts.size()) {
        throw "LFontRenderer::SetFontPages - index out of range";
    }
    FontPages& font = pages[index];
    DeletePageTextures(font);
    font.read.clear();
    font.fontFile = fontFile;
}

LGlyphPage* LFontRenderer::Page(std::uint32_t fontIndex, std::uint32_t number) const {
    assert(fontIndex < fonts.size() && number > 0);
    const auto font = pages.find(fontIndex);
    if (font == pages.end()) return nullptr;
    auto [page, unread] = font->second.read.try_emplace(number);
    if (unread)
        page->second = ReadPage(font->second.fontFile, number, fonts[fontIndex].textureId != 0);
    return page->second.get();
}

void LFontRenderer::DeletePageTextures(const FontPages& font) {
    for (const auto& page : font.read) {
        if (page.second == nullptr || page.second->textureId == 0) continue;
        GLuint name = page.second->textureId;
        glDeleteTextures(1, &name);
    }
}

const std::string& LFontRenderer::GetFontName(std::uint32_t index) const {
    if (index >= fonts.size()) {
        throw "LFontRenderer::GetFontName - index out of range";
    }
    return fonts[index].fontName;
}

void LFontRenderer::SetActiveFont(const std::string& name) {
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        if (fonts[i].fontName == name) {
            activeFont = static_cast<std::uint32_t>(i);
            return;
        }
    }
    throw "LFontRenderer::SetActiveFont - specified font not found";
}

void LFontRenderer::SetActiveFont(std::uint32_t index) {
    if (index >= fonts.size()) {
        throw "LFontRenderer::SetActiveFont - index out of range";
    }
    activeFont = index;
}

LFont& LFontRenderer::ActiveFont(const char* message) {
    if (activeFont >= fonts.size()) {
        throw message;
    }
    return fonts[activeFont];
}

const LFont& LFontRenderer::ActiveFont(const char* message) const {
    if (activeFont >= fonts.size()) {
        throw message;
    }
    return fonts[activeFont];
}

void LFontRenderer::SetHeight(std::uint32_t height) {
    LFont& font = ActiveFont("LFontRenderer::SetHeight - no valid active font selected");
    font.height = height == kNativeHeight ? font.nativeHeight : height;
}

std::uint32_t LFontRenderer::GetHeight() const {
    return ActiveFont("LFontRenderer::GetHeight - no valid active font selected").height;
}

void LFontRenderer::SetColor(float red, float green, float blue) {
    LFont& font = ActiveFont("LFontRenderer::SetColor - no valid active font selected");
    font.red = red;
    font.green = green;
    font.blue = blue;
}

void LFontRenderer::GetColor(float& red, float& green, float& blue) const {
    const LFont& font = ActiveFont("LFontRenderer::GetColor - no valid active font selected");
    red = font.red;
    green = font.green;
    blue = font.blue;
}

void LFontRenderer::SetWidthScale(float scale) {
    ActiveFont("LFontRenderer::SetWidthScale - no valid active font selected").widthScale = scale;
}

float LFontRenderer::GetWidthScale() const {
    return ActiveFont("LFontRenderer::GetWidthScale - no valid active font selected").widthScale;
}

void LFontRenderer::SetRotation(float degrees) {
    ActiveFont("LFontRenderer::SetRotation - no valid active font selected").rotation = degrees;
}

float LFontRenderer::GetRotation() const {
    return ActiveFont("LFontRenderer::GetRotation - no valid active font selected").rotation;
}

void LFontRenderer::SetItalic(bool italic) {
    ActiveFont("LFontRenderer::SetItalic - no valid active font selected").italic = italic;
}

bool LFontRenderer::GetItalic() const {
    return ActiveFont("LFontRenderer::GetItalic - no valid active font selected").italic;
}

void LFontRenderer::StringOut(float x, float y, const std::string& text) {
    const LFont& font = ActiveFont("LFontRenderer::StringOut - no valid active font selected");
    if (pendingCount >= pending.size()) {
        pending.resize(pending.size() + kQueueGrowth);
    }
    LStringEntry& entry = pending[pendingCount];
    entry.text = text;
    entry.fontIndex = activeFont;
    entry.height = font.height;
    entry.red = font.red;
    entry.green = font.green;
    entry.blue = font.blue;
    entry.rotation = font.rotation;
    entry.widthScale = font.widthScale;
    entry.italic = font.italic;
    entry.posX = x;
    entry.posY = y;
    ++pendingCount;
}

void LFontRenderer::Draw() {
    if (pendingCount == 0) {
        return;
    }
    if (viewportWidth == 0 || viewportHeight == 0) {
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        viewportX = static_cast<std::uint32_t>(viewport[0]);
        viewportY = static_cast<std::uint32_t>(viewport[1]);
        viewportWidth = static_cast<std::uint32_t>(viewport[2]);
        viewportHeight = static_cast<std::uint32_t>(viewport[3]);
    }

    glEnable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT, GL_FILL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewportX, static_cast<double>(viewportX) + viewportWidth,
            static_cast<double>(viewportY) + viewportHeight, viewportY, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);

    for (std::uint32_t i = 0; i < pendingCount; ++i) {
        const LStringEntry& entry = pending[i];
        glPushMatrix();
        glLoadIdentity();
        if (entry.fontIndex >= fonts.size()) {
            // Leave the matrix stacks balanced for whoever catches this.
            glPopMatrix();
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
            glMatrixMode(GL_MODELVIEW);
            pendingCount = 0;
            throw "LFontRenderer::Draw - invalid font index";
        }
        const LFont& font = fonts[entry.fontIndex];
        glBindTexture(GL_TEXTURE_2D, font.textureId);
        GLuint bound = font.textureId;
        // The slant follows the font's settings at drawing time, not the queued ones.
        const float slant =
            entry.italic ? kItalicSlant * static_cast<float>(font.height) * font.widthScale : 0.0f;
        glTranslatef(entry.posX, entry.posY, 0.0f);
        glRotatef(entry.rotation, 0.0f, 0.0f, 1.0f);
        glTranslatef(-entry.posX, -entry.posY, -5.0f);
        glColor4f(entry.red, entry.green, entry.blue, 1.0f);

        const float top = entry.posY;
        const float bottom = entry.posY + static_cast<float>(entry.height);
        float pen = 0.0f;
        auto pageOf = [&](std::uint32_t number) { return Page(entry.fontIndex, number); };
        ForEachGlyph(font, entry.text, pageOf, [&](const LGlyph& glyph, LGlyphPage* page) {
            // One pen across pages: a run of another page's characters binds its texture,
            // made at the first string that needs it.
            GLuint texture = font.textureId;
            if (page != nullptr) {
                if (page->textureId == 0 && page->image.texels) {
                    page->textureId = MakeFontTexture(page->image);
                    page->image = FontImage{};
                    bound = 0;
                }
                texture = page->textureId;
            }
            if (texture != bound) {
                glBindTexture(GL_TEXTURE_2D, texture);
                bound = texture;
            }
            const float w = static_cast<float>(entry.height) * entry.widthScale * glyph.widthRatio;
            const float left = entry.posX + pen;
            glBegin(GL_TRIANGLE_STRIP);
            glTexCoord2f(glyph.s0, glyph.t0);
            glVertex2f(left + slant, top);
            glTexCoord2f(glyph.s0, glyph.t1);
            glVertex2f(left, bottom);
            glTexCoord2f(glyph.s1, glyph.t0);
            glVertex2f(left + w + slant, top);
            glTexCoord2f(glyph.s1, glyph.t1);
            glVertex2f(left + w, bottom);
            glEnd();
            pen += w;
        });
        glPopMatrix();
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    pendingCount = 0;
}

std::uint32_t LFontRenderer::GetStringWidth(const std::string& text) const {
    const LFont& font = ActiveFont("LFontRenderer::GetStringWidth - no valid active font selected");
    float sum = 0.0f;
    auto pageOf = [&](std::uint32_t number) { return Page(activeFont, number); };
    ForEachGlyph(font, text, pageOf, [&](const LGlyph& glyph, const LGlyphPage*) {
        sum += static_cast<float>(font.height) * glyph.widthRatio * font.widthScale;
    });
    // Converting a negative, huge or NaN float to unsigned is undefined; a damaged font's
    // ratios must not get there.
    if (!(sum > 0.0f)) {
        return 0;
    }
    if (sum >= 4294967296.0f) {
        return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(sum);
}
