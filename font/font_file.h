// The ".fnt" bitmap font file: the in-memory font record and the parser that turns a
// stream into that record plus a luminance-alpha image. Pure C++, no GL: LoadFont
// uploads the image afterwards, and the fuzz target calls the parser directly.
#pragma once

#include "base/refusal.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

// One character's rectangle in the bitmap, as texture coordinates, and its advance.
struct LGlyph {
    float s0 = 0.0f; // left column / W
    float t0 = 0.0f; // top row / H
    float s1 = 0.0f; // right column / W
    float t1 = 0.0f; // bottom row / H
    bool present = false;
    float widthRatio = 0.0f; // glyph width and advance divided by the font height
};

// One loaded font with its current drawing settings. The texture is owned by the
// renderer, never by the record, so copies share one texture name.
struct LFont {
    std::string fontName;
    std::uint32_t textureId = 0;
    std::uint32_t nativeHeight = 0;
    std::uint32_t height = 0;
    float widthScale = 1.0f;
    bool italic = false;
    float rotation = 0.0f;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    LGlyph glyphs[256];
};

// The bitmap ready for upload: width x height texels, two bytes each (luminance and
// alpha, both the coverage), rows in file order.
struct FontImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::unique_ptr<unsigned char[]> texels; // 2 x width x height bytes
};

constexpr std::uint32_t kFontFileId = 6666;
// The glyph drawn for a character past Latin-1 that no page file holds: the baked font
// keeps the replacement character in the slot of DEL, which text never draws.
constexpr std::uint32_t kReplacementGlyph = 127;
// Code points per page: a page file holds the characters page x 256 to page x 256 + 255
// in its slots 0 to 255.
constexpr std::uint32_t kFontPageSize = 256;
constexpr std::uint64_t kFontHeaderBytes = 16;
constexpr std::uint64_t kFontGlyphEntryBytes = 24;
constexpr std::uint64_t kFontBitmapOffset = kFontHeaderBytes + 256 * kFontGlyphEntryBytes; // 6160

// The problems of a font file, as refusal texts. The first three are also what LoadFont
// raises; a glyph table cut short makes LoadFont load nothing quietly.
// Bad identification, or sides no texture can have:
inline constexpr char kFontWrongFormat[] = "LFontRenderer::LoadFont - wrong file format";
// A bitmap buffer could not be had:
inline constexpr char kFontOutOfMemory[] =
    "LFontRenderer::LoadFont - could not allocate memory for font";
// The file ends inside the bitmap:
inline constexpr char kFontBitmapCutShort[] =
    "LFontRenderer::LoadFont - error reading from font file";
// The file ends inside the glyph table:
inline constexpr char kFontTableCutShort[] = "font file is cut short inside its glyph table";

// Returns the name of the page file of fontFile for page (1 to 0x10FF): the same folder
// and name with the page's first code point in upper-case hexadecimal, at least four
// digits, before the extension ("dir/Another.fnt", 3: "dir/Another-0300.fnt"). A name
// without an extension gets the suffix at its end.
std::string FontPageFileName(const std::string& fontFile, std::uint32_t page);

// Reads a font file from in, which must be positioned at its start. maxSide bounds W and
// H (GL's largest texture side). Returns true with font.glyphs and font.nativeHeight
// (other fields untouched) and image filled. Returns false with the problem (one of the
// texts above) in *refusal's text (when given), its file and position left to the caller; font and
// image are then untouched. The size of the stream is checked before any buffer is
// allocated, so a short file with huge dimensions is refused cheaply.
bool ReadFontFile(std::istream& in, std::uint32_t maxSide, LFont& font, FontImage& image,
                  Refusal* refusal);
