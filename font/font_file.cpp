// Parser of ".fnt" files: header, 256 glyph entries, coverage bitmap. Called by
// LFontRenderer::LoadFont and by the fuzz target. No GL, no globals.
#include "font/font_file.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace {

std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool IsPowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// Bytes left in the stream from its current position, or -1 when it cannot be told.
// Restores the position.
std::int64_t RemainingBytes(std::istream& in) {
    std::istream::pos_type here = in.tellg();
    if (here == std::istream::pos_type(-1)) {
        return -1;
    }
    in.seekg(0, std::ios::end);
    std::istream::pos_type end = in.tellg();
    in.seekg(here);
    if (end == std::istream::pos_type(-1) || !in || end < here) {
        in.clear();
        return -1;
    }
    return static_cast<std::int64_t>(end - here);
}

// Returns false with text as the refusal's problem.
bool Refuse(Refusal* refusal, const char* text) {
    if (refusal != nullptr) refusal->text = text;
    return false;
}

} // namespace

bool ReadFontFile(std::istream& in, std::uint32_t maxSide, LFont& font, FontImage& image,
                  Refusal* refusal) {
    unsigned char id[4];
    if (!in.read(reinterpret_cast<char*>(id), sizeof id) || LittleEndian32(id) != kFontFileId) {
        return Refuse(refusal, kFontWrongFormat);
    }

    // The rest of the header and the glyph table in one read; a short read means the
    // file ends inside them.
    unsigned char table[kFontBitmapOffset - 4];
    if (!in.read(reinterpret_cast<char*>(table), sizeof table)) {
        return Refuse(refusal, kFontTableCutShort);
    }
    const std::uint32_t width = LittleEndian32(table);
    const std::uint32_t height = LittleEndian32(table + 4);
    const std::uint32_t nativeHeight = LittleEndian32(table + 8);

    // GL 1.1 takes only power-of-two sides, and the upload relies on the default unpack
    // alignment of 4, which rows of 2 x W bytes meet only from W = 2 on.
    if (width < 2 || !IsPowerOfTwo(width) || !IsPowerOfTwo(height) || width > maxSide ||
        height > maxSide) {
        return Refuse(refusal, kFontWrongFormat);
    }

    LGlyph glyphs[256];
    for (int code = 0; code < 256; ++code) {
        const unsigned char* entry = table + 12 + code * kFontGlyphEntryBytes;
        const std::uint32_t top = LittleEndian32(entry);
        const std::uint32_t left = LittleEndian32(entry + 4);
        const std::uint32_t bottom = LittleEndian32(entry + 8);
        const std::uint32_t right = LittleEndian32(entry + 12);
        const std::uint32_t flag = LittleEndian32(entry + 16);
        const std::uint32_t ratioBits = LittleEndian32(entry + 20);
        LGlyph& glyph = glyphs[code];
        glyph.t0 = static_cast<float>(static_cast<double>(top) / height);
        glyph.s0 = static_cast<float>(static_cast<double>(left) / width);
        glyph.t1 = static_cast<float>(static_cast<double>(bottom) / height);
        glyph.s1 = static_cast<float>(static_cast<double>(right) / width);
        glyph.present = flag != 0;
        std::memcpy(&glyph.widthRatio, &ratioBits, sizeof glyph.widthRatio);
    }

    // Both sides are at most 2^31, so the products below fit in 64 bits; compare with
    // what the stream holds before asking for memory.
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    const std::int64_t remaining = RemainingBytes(in);
    if (remaining < 0 || static_cast<std::uint64_t>(remaining) < pixels) {
        return Refuse(refusal, kFontBitmapCutShort);
    }
    if (pixels > static_cast<std::uint64_t>(PTRDIFF_MAX) / 2) {
        return Refuse(refusal, kFontOutOfMemory);
    }

    // One buffer: the coverage is read into its first half and spread backwards into
    // luminance-alpha pairs, which never overwrites a byte not yet spread. A failed
    // allocation is a result here, not an exception.
    const std::size_t count = static_cast<std::size_t>(pixels);
    std::unique_ptr<unsigned char[]> texels(new (std::nothrow) unsigned char[count * 2]);
    if (!texels) {
        return Refuse(refusal, kFontOutOfMemory);
    }
    if (!in.read(reinterpret_cast<char*>(texels.get()), static_cast<std::streamsize>(count))) {
        return Refuse(refusal, kFontBitmapCutShort);
    }
    for (std::size_t i = count; i-- > 0;) {
        texels[2 * i + 1] = texels[i];
        texels[2 * i] = texels[i];
    }

    std::memcpy(font.glyphs, glyphs, sizeof glyphs);
    font.nativeHeight = nativeHeight;
    image.width = width;
    image.height = height;
    image.texels = std::move(texels);
    return true;
}

std::string FontPageFileName(const std::string& fontFile, std::uint32_t page) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "-%04X", static_cast<unsigned>(page * kFontPageSize));
    // The extension is the last dot's in the file's own name, not in a folder's.
    const std::size_t slash = fontFile.rfind('/');
    const std::size_t dot = fontFile.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return fontFile + suffix;
    }
    return fontFile.substr(0, dot) + suffix + fontFile.substr(dot);
}
