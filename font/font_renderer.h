// LFontRenderer: the loaded texture fonts with the page files of their characters past
// Latin-1, the active font's drawing settings, and a queue of strings drawn in one pass
// in a pixel projection of their own. The one instance, gFontRenderer, is used by the
// screen text functions (font/text.h). Errors are thrown as the message text itself
// (a const char*).
#pragma once

#include "font/font_file.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One queued string with a snapshot of the font settings it is drawn with.
struct LStringEntry {
    std::string text;
    std::uint32_t fontIndex = 0;
    std::uint32_t height = 0;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float rotation = 0.0f;
    float posX = 0.0f; // start of the string, viewport pixels from the left
    float posY = 0.0f; // top edge of the glyph cells, viewport pixels from the top
    float widthScale = 1.0f;
    bool italic = false;
};

// One page file of a font: slot c holds the code point page x 256 + c. Its bitmap waits
// in image until the first Draw that needs it makes the texture (and is dropped then, or
// at once for a font that only measures).
struct LGlyphPage {
    LGlyph glyphs[kFontPageSize];
    FontImage image;
    std::uint32_t textureId = 0;
};

class LFontRenderer {
  public:
    LFontRenderer();
    virtual ~LFontRenderer();
    LFontRenderer(const LFontRenderer&) = delete;
    LFontRenderer& operator=(const LFontRenderer&) = delete;

    // Deletes every font texture and forgets fonts, queue and the cached viewport.
    void Clear();

    // Loads a ".fnt" file as a new font (GL context must be current); does not select it.
    // Returns the new font's index, or 0 when nothing was registered: a file that cannot
    // be opened, with *missing (when given) filled for the caller to show in the notice
    // (its file, and the text "Can't find required file: NAME" of
    // FormatMissingFileNotice); a glyph table cut short. Shows nothing itself. Throws the
    // message text (kFontWrongFormat and its kin) on other failures.
    std::int32_t LoadFont(const std::string& fontName, const std::string& fileName,
                          Refusal* missing = nullptr);

    // Registers a font record whose glyph table is already filled (from ReadFontFile) but
    // which has no texture: text can be measured with it, not drawn. Needs no GL. Does not
    // select it. Returns the new font's index.
    std::int32_t AddFontMetrics(const std::string& fontName, const LFont& metrics);

    // Lets the font at index draw and measure the characters past Latin-1 that the page
    // files beside fontFile hold (FontPageFileName; for "Another.fnt", "Another-0100.fnt"
    // holds U+0100 to U+01FF). Each page is read the first time a string measured or drawn
    // with the font holds one of its characters, and becomes a texture at the first Draw
    // that needs it, so fonts cost nothing for pages no text uses. A character whose page
    // file is missing or damaged (tried once), or whose slot is absent there, is drawn and
    // measured as the replacement glyph, as with a font without pages. Replaces earlier
    // pages of that font. Throws "LFontRenderer::SetFontPages - index out of range" when
    // index >= GetFontCount().
    void SetFontPages(std::uint32_t index, const std::string& fontFile);

    // Returns the number of loaded fonts.
    std::uint32_t GetFontCount() const { return static_cast<std::uint32_t>(fonts.size()); }
    // Returns the active font's index (meaningful only while below GetFontCount()).
    std::uint32_t GetActiveFont() const { return activeFont; }
    // Returns the name the font at index was loaded under.
    const std::string& GetFontName(std::uint32_t index) const;

    // Selects the first font loaded under exactly this name.
    void SetActiveFont(const std::string& name);
    void SetActiveFont(std::uint32_t index);

    // Settings of the active font. SetHeight(kNativeHeight) restores the native height.
    static constexpr std::uint32_t kNativeHeight = 99999;
    void SetHeight(std::uint32_t height);
    // Returns the active font's glyph height in pixels.
    std::uint32_t GetHeight() const;
    void SetColor(float red, float green, float blue);
    void GetColor(float& red, float& green, float& blue) const;
    void SetWidthScale(float scale);
    // Returns the active font's horizontal stretch.
    float GetWidthScale() const;
    void SetRotation(float degrees);
    // Returns the active font's rotation in degrees (clockwise on screen).
    float GetRotation() const;
    void SetItalic(bool italic);
    // Returns whether the active font slants its glyphs.
    bool GetItalic() const;

    // Queues text with its top-left corner at (x, y) viewport pixels.
    void StringOut(float x, float y, const std::string& text);
    // Draws and empties the queue; with nothing queued it touches no GL state.
    void Draw();
    // Returns the pen advance of text with the active font in whole pixels (truncated;
    // 0 when the sum is negative or not a number).
    std::uint32_t GetStringWidth(const std::string& text) const;

    // Returns the number of queue slots allocated (grows by 20, shrinks only by Clear).
    std::size_t GetQueueCapacity() const { return pending.size(); }
    // Returns the number of strings queued since the last Draw.
    std::uint32_t GetPendingCount() const { return pendingCount; }
    // Returns a loaded font's record (index must be below GetFontCount()).
    const LFont& GetFont(std::uint32_t index) const { return fonts[index]; }

  private:
    // Returns the active font, or throws message when there is none.
    LFont& ActiveFont(const char* message);
    const LFont& ActiveFont(const char* message) const;

    // The page files of one font, and the pages read so far (nullptr: tried, unusable).
    struct FontPages {
        std::string fontFile;
        std::map<std::uint32_t, std::unique_ptr<LGlyphPage>> read;
    };
    // Returns page number of the font at fontIndex, reading it the first time; nullptr
    // when the font has no page files or that one cannot be read.
    LGlyphPage* Page(std::uint32_t fontIndex, std::uint32_t number) const;
    // Deletes the textures of the pages of one font.
    static void DeletePageTextures(const FontPages& pages);

    std::uint32_t pendingCount;
    std::uint32_t activeFont;
    std::vector<LFont> fonts;
    std::vector<LStringEntry> pending;
    std::uint32_t viewportY;
    std::uint32_t viewportX;
    std::uint32_t viewportWidth;
    std::uint32_t viewportHeight;
    // By font index. Measuring (a const member) reads pages as it meets them, so the
    // cache of what has been read is mutable.
    mutable std::map<std::uint32_t, FontPages> pages;
};

extern LFontRenderer gFontRenderer;

// Formats the missing-file notice into out (size bytes, at least 8): "Can't find
// required file: %s", the name shortened from the front behind "..." when it does not
// fit, never splitting a UTF-8 sequence. Returns out.
char* FormatMissingFileNotice(char* out, std::size_t size, const std::string& fileName);
