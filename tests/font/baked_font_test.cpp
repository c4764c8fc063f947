// The font baked at build time (Another.fnt beside the tests): its layout on disk, and
// text drawn with it in black on white, read back from the frame buffer.
#include "font/font_file.h"
#include "font/font_renderer.h"
#include "font/text.h"

#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace {

struct BakedFile {
    std::vector<unsigned char> bytes;

    std::uint32_t At(std::size_t offset) const {
        return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
               static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
    }
    std::uint32_t Width() const { return At(4); }
    std::uint32_t Height() const { return At(8); }
    std::uint32_t Native() const { return At(12); }
    std::uint32_t Entry(unsigned code, unsigned field) const {
        return At(16 + code * 24 + field * 4);
    }
    unsigned char Pixel(std::uint32_t x, std::uint32_t y) const {
        return bytes[6160 + static_cast<std::size_t>(y) * Width() + x];
    }
};

BakedFile ReadBaked() {
    std::ifstream in("Another.fnt", std::ios::binary);
    return BakedFile{std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {})};
}

bool IsPowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// Black text on white, drawn into the back buffer; returns the grey of every pixel,
// rows from the top.
std::vector<unsigned char> DrawAndRead(const std::function<void()>& draw) {
    glClearColor(1, 1, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<unsigned char> grey(800 * 600);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            grey[y * 800 + x] = rgb[((599 - y) * 800 + x) * 3 + 1];
        }
    }
    return grey;
}

// Darkest grey inside [left, right) x [top, bottom).
int Darkest(const std::vector<unsigned char>& grey, int left, int top, int right, int bottom) {
    int darkest = 255;
    for (int y = std::max(top, 0); y < std::min(bottom, 600); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, 800); ++x) {
            darkest = std::min(darkest, static_cast<int>(grey[y * 800 + x]));
        }
    }
    return darkest;
}

} // namespace

TEST(BakedFont, LayoutMatchesTheFileFormat) {
    const BakedFile file = ReadBaked();
    ASSERT_GE(file.bytes.size(), 6160u);
    const std::uint32_t w = file.Width(), h = file.Height(), native = file.Native();
    EXPECT_EQ(file.At(0), 6666u);
    EXPECT_TRUE(IsPowerOfTwo(w)) << w;
    EXPECT_TRUE(IsPowerOfTwo(h)) << h;
    ASSERT_EQ(file.bytes.size(), 6160u + static_cast<std::size_t>(w) * h);
    for (unsigned code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const bool wanted = (code >= 32 && code <= 126) || code == kReplacementGlyph || code >= 160;
        const std::uint32_t top = file.Entry(code, 0), left = file.Entry(code, 1);
        const std::uint32_t bottom = file.Entry(code, 2), right = file.Entry(code, 3);
        float ratio;
        const std::uint32_t bits = file.Entry(code, 5);
        std::memcpy(&ratio, &bits, sizeof ratio);
        EXPECT_EQ(file.Entry(code, 4) != 0, wanted);
        if (!wanted) {
            continue;
        }
        // A cell spans the whole line and its advance, inside the bitmap.
        EXPECT_EQ(bottom - top, native);
        EXPECT_GT(right, left);
        EXPECT_LE(right, w);
        EXPECT_LE(bottom, h);
        EXPECT_NEAR(ratio * native, static_cast<float>(right - left), 1e-3);
        // A clear frame one texel wide around the cell keeps neighbours out of the
        // linear filter.
        ASSERT_GE(left, 1u);
        ASSERT_GE(top, 1u);
        ASSERT_LT(right, w);
        ASSERT_LT(bottom, h);
        int inked = 0;
        for (std::uint32_t y = top - 1; y <= bottom; ++y) {
            EXPECT_EQ(file.Pixel(left - 1, y), 0) << "left of the cell, row " << y;
            EXPECT_EQ(file.Pixel(right, y), 0) << "right of the cell, row " << y;
        }
        for (std::uint32_t x = left; x < right; ++x) {
            EXPECT_EQ(file.Pixel(x, top - 1), 0) << "above the cell, column " << x;
            EXPECT_EQ(file.Pixel(x, bottom), 0) << "below the cell, column " << x;
            for (std::uint32_t y = top; y < bottom; ++y) {
                inked += file.Pixel(x, y) > 0;
            }
        }
        EXPECT_EQ(inked > 0, code != 32 && code != 160) << "only the spaces are blank";
    }
}

TEST(BakedFont, TextLeavesDarkPixelsWhereItsGlyphsAre) {
    EnsureTestWindow(800, 600);
    glViewport(0, 0, 800, 600);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    TextInit();
    const char* word = "Quillmoor";
    TextSetSize(4);
    const float width = TextGetWidth(word) * 8.0f; // pixels at 800 wide
    auto grey = DrawAndRead([&] {
        TextSetColor(0, 0, 0);
        TextPrint(10, 10, word); // from (80, 60), 24 pixels high
    });
    // Each glyph's own cell holds ink.
    float pen = 80.0f;
    for (const char* c = word; *c != '\0'; ++c) {
        const float advance = static_cast<float>(gFontRenderer.GetStringWidth(std::string(1, *c)));
        EXPECT_LT(Darkest(grey, static_cast<int>(pen), 60, static_cast<int>(pen + advance), 84),
                  100)
            << "glyph '" << *c << "'";
        pen += advance;
    }
    // Nothing outside the text's box changes.
    int stray = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const bool inside = x >= 79 && x <= 81 + width && y >= 59 && y <= 85;
            stray += !inside && grey[y * 800 + x] != 255;
        }
    }
    EXPECT_EQ(stray, 0);
    gFontRenderer.Clear();
}

// Drawn smaller than its native height with GL_LINEAR and no mipmaps, a font whose
// bitmap is too large skips texels: the ink of a string then changes as it moves by
// fractions of a pixel (shimmer). Across the sizes the program draws, 12 to 42 pixels,
// the ink must stay within 14 percent, and stems must still reach dark grey.
TEST(BakedFont, TextStaysEvenAtEverySizeTheProgramDraws) {
    EnsureTestWindow(800, 600);
    glViewport(0, 0, 800, 600);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    TextInit();
    TextSetColor(0, 0, 0);
    for (int size = 2; size <= 7; ++size) { // 12 to 42 pixels at 600 high
        TextSetSize(size);
        long least = LONG_MAX, most = 0;
        int darkest = 255;
        for (int step = 0; step < 8; ++step) {
            const float shift = step / 8.0f; // in pixels
            auto grey = DrawAndRead(
                [&] { TextPrint(12.5f + shift / 8.0f, 10.0f + shift / 6.0f, "Illmw"); });
            long ink = 0;
            for (int y = 50; y < 120; ++y) {
                for (int x = 90; x < 300; ++x) {
                    ink += 255 - grey[y * 800 + x];
                }
            }
            least = std::min(least, ink);
            most = std::max(most, ink);
            darkest = std::min(darkest, Darkest(grey, 90, 50, 300, 120));
        }
        SCOPED_TRACE(testing::Message() << "size " << size << " (" << 6 * size << " px)");
        ASSERT_GT(most, 0);
        EXPECT_LE(static_cast<double>(most - least) / static_cast<double>(most), 0.14);
        EXPECT_LT(darkest, size >= 3 ? 80 : 140);
    }
    gFontRenderer.Clear();
}
