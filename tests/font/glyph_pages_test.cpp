// Characters past Latin-1 from a font's page files: each run of a string drawn with its
// page's glyphs and texture under one pen, measured as drawn, the replacement glyph where
// no page holds a character; the baked pages against DejaVu Sans, with and without a window.
#include "font/font_renderer.h"
#include "font/text.h"
#include "font/utf8.h"

#include "tests/font/feedback.h"
#include "tests/font/font_test_files.h"
#include "tests/support/gl_test_window.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace {

// Reads a baked file beside the tests: Another.fnt (number 0) or one of its pages.
LFont Baked(std::uint32_t number, FontImage* image = nullptr) {
    std::ifstream in(number == 0 ? "Another.fnt" : FontPageFileName("Another.fnt", number),
                     std::ios::binary);
    LFont font;
    FontImage ignored;
    EXPECT_TRUE(ReadFontFile(in, 4096, font, image ? *image : ignored, nullptr)) << number;
    return font;
}

// A character's advance in DejaVu Sans in cell heights, as pictures set it (0: none).
double TrueTypeRatio(FT_Face face, std::uint32_t cp) {
    FT_Fixed advance = 0;
    const FT_UInt index = FT_Get_Char_Index(face, cp);
    if (index != 0) FT_Get_Advance(face, index, FT_LOAD_NO_SCALE, &advance);
    return static_cast<double>(advance) / (face->ascender - static_cast<double>(face->descender));
}

} // namespace

TEST(GlyphPages, EachRunDrawsFromItsPageUnderOnePenAndMeasuresAsDrawn) {
    EnsureTestWindow(800, 600);
    glViewport(0, 0, 800, 600);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Each file's bitmap has one coverage, so a pixel, black on white, names the texture.
    auto uniform = [](char coverage) {
        TestFont f;
        f.bitmap.assign(16, coverage);
        return f;
    };
    TestFont own = uniform('\x40'); // grey 191; 'A' 12 px, the replacement 18 px
    own.Glyph('A', 0.5f).Glyph(' ', 0.25f).Glyph(kReplacementGlyph, 0.75f);
    TempDir dir;
    LFontRenderer renderer;
    ASSERT_EQ(renderer.LoadFont("f", dir.Write("f.fnt", own.Bytes())), 0);
    renderer.SetActiveFont("f");
    renderer.SetColor(0, 0, 0);
    renderer.SetFontPages(0, dir.Path() + "/f.fnt");
    // Written after the pages were named: nothing is read before a text needs it.
    dir.Write("f-0100.fnt", uniform('\x80').Glyph(0x42, 0.25f).Bytes()); // grey 127: ł 6 px
    dir.Write("f-0300.fnt", uniform('\xff').Glyph(0xB1, 1.0f).Bytes());  // grey 0: α 24 px
    dir.Write("f-0400.fnt", own.Bytes().substr(0, 5000));                // damaged
    const struct {
        const char* text;
        std::vector<std::pair<float, int>> glyphs; // each one's width and grey
    } cases[] = {
        {"A\u0142A", {{12, 191}, {6, 127}, {12, 191}}}, // to a page and back
        {"\u03B1\u0142", {{24, 0}, {6, 127}}},          // page to page
        // Absent from its page, from a damaged page, from a page with no file:
        {"\u0143\u0429\u2014", {{18, 191}, {18, 191}, {18, 191}}},
        {"\xC5\x82\xC8", {{6, 191}, {6, 191}, {6, 191}}}, // not UTF-8: three absent bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        glClearColor(1, 1, 1, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        auto draw = [&] {
            renderer.StringOut(100, 50, c.text);
            renderer.Draw();
        };
        auto drawn = CaptureFeedback(draw);
        draw();
        unsigned char rgb[800 * 3];
        glReadPixels(0, 600 - 62, 800, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb); // row 62 from the top
        ASSERT_EQ(drawn.size(), 2 * c.glyphs.size());
        float pen = 100.0f;
        for (std::size_t g = 0; g < c.glyphs.size(); ++g) {
            const Box box = BoxOf(drawn, 2 * g, 2, 600);
            EXPECT_NEAR(box.left, pen, 1e-3) << "glyph " << g;
            EXPECT_NEAR(box.right - box.left, c.glyphs[g].first, 1e-3) << "glyph " << g;
            const int centre = static_cast<int>(pen + c.glyphs[g].first / 2);
            EXPECT_NEAR(rgb[3 * centre + 1], c.glyphs[g].second, 2) << "glyph " << g;
            pen += c.glyphs[g].first;
        }
        EXPECT_EQ(renderer.GetStringWidth(c.text), static_cast<std::uint32_t>(pen - 100.0f));
    }
}

// Every character DejaVu Sans draws with an advance, at that advance (so the window sets
// it where pictures do), in a cell of its nearest whole width inside a clear border.
TEST(GlyphPages, BakedPagesHoldEveryCharacterWithAnAdvanceAtItsTrueTypeWidth) {
    FT_Library library;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&library) || FT_New_Face(library, QM_FONT_SOURCE, 0, &face), 0);
    const std::uint32_t native = Baked(0).nativeHeight;
    for (std::uint32_t number : {0x01u, 0x02u, 0x03u, 0x04u, 0x20u}) {
        FontImage image;
        const LFont page = Baked(number, &image);
        EXPECT_EQ(page.nativeHeight, native);
        for (std::uint32_t slot = 0; slot < kFontPageSize; ++slot) {
            SCOPED_TRACE(testing::Message() << "U+" << std::hex << number * kFontPageSize + slot);
            const LGlyph& g = page.glyphs[slot];
            const double ratio = TrueTypeRatio(face, number * kFontPageSize + slot);
            ASSERT_EQ(g.present, ratio > 0) << "combining and zero-width marks stay absent";
            if (!g.present) continue;
            EXPECT_FLOAT_EQ(g.widthRatio, static_cast<float>(ratio));
            EXPECT_NEAR((g.s1 - g.s0) * image.width, g.widthRatio * native, 0.5 + 1e-3);
            EXPECT_NEAR((g.t1 - g.t0) * image.height, native, 1e-3);
            EXPECT_TRUE(g.s0 > 0 && g.t0 > 0 && g.s1 < 1 && g.t1 < 1);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// The issue's scripts through the text layer: each character drawn with the glyph its
// page holds, only unbaked ones as the replacement, and the same widths without a window.
TEST(GlyphPages, BakedPagesDrawTheIssueScriptsAndMeasureAlikeWithAndWithoutAWindow) {
    const std::pair<const char*, int> cases[] = {
        // text, characters drawn as replacements
        {"\u00C9l\u00E9phant d'Afrique", 0},
        {"C\u0153lacanthe \u0141\u00F3d\u017A Erd\u0151s", 0},
        {"\u0395\u03BB\u03AC\u03C6\u03B9 \u03A9", 0},
        {"\u0218tiuc\u0103 \u2014 \u0429\u0443\u043A\u0430\u2026", 0},
        {"\u9BE8 \u053F\u0565\u057F", 4}, // a CJK and an Armenian word: no pages
    };
    EnsureTestWindow(800, 600);
    glViewport(0, 0, 800, 600);
    TextInit();
    TextSetSize(4); // 24 pixels
    const LFont own = gFontRenderer.GetFont(0);
    const LGlyph& mark = own.glyphs[kReplacementGlyph];
    std::vector<float> widths;
    for (const auto& [text, replacements] : cases) {
        SCOPED_TRACE(text);
        auto drawn = CaptureFeedback([&] { TextPrint(0, 10, text); });
        const std::size_t length = std::strlen(text);
        float pen = 0.0f;
        int replaced = 0;
        std::size_t g = 0;
        for (std::size_t pos = 0; pos < length; ++g) {
            const std::uint32_t cp = DecodeUtf8(text, length, &pos);
            ASSERT_LT(2 * g + 1, drawn.size());
            const FeedbackVertex& corner = drawn[2 * g][0];
            if (cp >= kFontPageSize && corner.s == mark.s0 && corner.t == mark.t0) {
                ++replaced;
            } else {
                const LGlyph expected = cp < kFontPageSize
                                            ? own.glyphs[cp]
                                            : Baked(cp / kFontPageSize).glyphs[cp % kFontPageSize];
                EXPECT_FLOAT_EQ(corner.s, expected.s0) << "U+" << std::hex << cp;
                EXPECT_FLOAT_EQ(corner.t, expected.t0) << "U+" << std::hex << cp;
            }
            EXPECT_NEAR(BoxOf(drawn, 2 * g, 2, 600).left, pen, 1e-3) << "U+" << std::hex << cp;
            pen = BoxOf(drawn, 2 * g, 2, 600).right;
        }
        EXPECT_EQ(drawn.size(), 2 * g);
        EXPECT_EQ(replaced, replacements);
        EXPECT_FLOAT_EQ(TextGetWidth(text), std::floor(pen) / 8.0f) << "800 pixels wide";
        widths.push_back(TextGetWidth(text));
    }
    Refusal why;
    ASSERT_TRUE(TextInitWithoutWindow(800, 600, &why)) << why.text;
    TextSetSize(4);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(TextGetWidth(cases[i].first), widths[i]) << cases[i].first;
    gFontRenderer.Clear();
}
