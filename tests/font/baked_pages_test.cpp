// The page files the build bakes beside Another.fnt: the file format and cell layout
// Another.fnt has, the glyphs of every character DejaVu Sans draws with an advance of its
// own (the Latin Extended-A and Greek letters among them), at the TrueType advances that
// picture export sets them at. No GL.
#include "font/font_file.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::uint32_t At(const std::vector<unsigned char>& bytes, std::size_t offset) {
    std::uint32_t v;
    std::memcpy(&v, &bytes[offset], 4); // little-endian, as the build machine
    return v;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(BakedPages, EveryPageIsACellPerDrawnCharacterAtTheTrueTypeAdvance) {
    FT_Library library;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, QM_FONT_SOURCE, 0, &face), 0);
    const double cellUnits = face->ascender - static_cast<double>(face->descender);
    const std::uint32_t native = At(ReadBytes("Another.fnt"), 12);

    for (std::uint32_t number : {0x01u, 0x02u, 0x03u, 0x04u, 0x20u}) {
        const std::vector<unsigned char> file = ReadBytes(FontPageFileName("Another.fnt", number));
        SCOPED_TRACE(FontPageFileName("Another.fnt", number));
        ASSERT_GE(file.size(), kFontBitmapOffset);
        const std::uint32_t w = At(file, 4), h = At(file, 8);
        EXPECT_EQ(At(file, 0), kFontFileId);
        EXPECT_EQ(w & (w - 1), 0u);
        EXPECT_EQ(h & (h - 1), 0u);
        ASSERT_EQ(file.size(), kFontBitmapOffset + std::size_t{w} * h);
        EXPECT_EQ(At(file, 12), native) << "drawn at the height of the font's own glyphs";
        auto pixel = [&](std::uint32_t x, std::uint32_t y) {
            return file[kFontBitmapOffset + std::size_t{y} * w + x];
        };
        for (std::uint32_t slot = 0; slot < kFontPageSize; ++slot) {
            const std::uint32_t cp = number * kFontPageSize + slot;
            SCOPED_TRACE(testing::Message() << "U+" << std::hex << cp);
            const std::size_t entry = kFontHeaderBytes + slot * kFontGlyphEntryBytes;
            const std::uint32_t top = At(file, entry), left = At(file, entry + 4);
            const std::uint32_t bottom = At(file, entry + 8), right = At(file, entry + 12);
            float ratio;
            std::memcpy(&ratio, &file[entry + 20], sizeof ratio);
            const FT_UInt index = FT_Get_Char_Index(face, cp);
            FT_Fixed advance = 0;
            if (index != 0) FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &advance);
            ASSERT_EQ(At(file, entry + 16) != 0, advance > 0);
            if (advance <= 0) continue;
            EXPECT_FLOAT_EQ(ratio, static_cast<float>(advance / cellUnits));
            EXPECT_NEAR(right - left, ratio * native, 0.5 + 1e-3) << "its nearest whole width";
            EXPECT_EQ(bottom - top, native);
            // Inside the bitmap with a clear texel all round, for the linear filter.
            ASSERT_TRUE(left >= 1 && top >= 1 && right < w && bottom < h);
            int inked = 0, frame = 0;
            for (std::uint32_t y = top - 1; y <= bottom; ++y) {
                for (std::uint32_t x = left - 1; x <= right; ++x) {
                    const bool inside = x >= left && x < right && y >= top && y < bottom;
                    (inside ? inked : frame) += pixel(x, y) > 0;
                }
            }
            EXPECT_EQ(frame, 0);
            ASSERT_EQ(FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE), 0);
            EXPECT_EQ(inked > 0, face->glyph->outline.n_contours > 0)
                << "ink where the outline has some";
        }
    }
    // What the window must draw: Latin Extended-A whole, and the Greek letters.
    std::vector<std::uint32_t> needed;
    for (std::uint32_t cp = 0x100; cp <= 0x17F; ++cp)
        needed.push_back(cp);
    for (std::uint32_t cp = 0x391; cp <= 0x3C9; ++cp)
        needed.push_back(cp == 0x3A2 ? 0x3C2 : cp);
    for (std::uint32_t cp : needed) {
        const std::vector<unsigned char> file = ReadBytes(FontPageFileName("Another.fnt", cp >> 8));
        ASSERT_GE(file.size(), kFontBitmapOffset);
        EXPECT_NE(At(file, kFontHeaderBytes + (cp & 0xFF) * kFontGlyphEntryBytes + 16), 0u)
            << "U+" << std::hex << cp;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
