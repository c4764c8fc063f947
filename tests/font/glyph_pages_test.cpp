// Characters past Latin-1 drawn from a font's page files, in a real GL context: each run of
// a string is drawn with its own page's glyphs and texture under one pen, measures as it
// is drawn, and a character no page holds is the replacement glyph; the baked font and its
// pages draw and measure the issue's scripts alike in the window and without it.
#include "font/font_renderer.h"
#include "font/text.h"
#include "font/utf8.h"

#include "tests/font/feedback.h"
#include "tests/font/font_test_files.h"
#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <vector>

namespace {

// A font whose whole 4 x 4 bitmap has one coverage, so a pixel of any of its glyphs tells
// which texture drew it.
TestFont Uniform(char coverage) {
    TestFont font;
    font.bitmap.assign(16, coverage);
    return font;
}

// Grey of the window pixel at (x, y) from the top, after black text on white.
int GreyAt(float x, float y) {
    unsigned char rgb[3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(static_cast<GLint>(x), 600 - 1 - static_cast<GLint>(y), 1, 1, GL_RGB,
                 GL_UNSIGNED_BYTE, rgb);
    return rgb[1];
}

} // namespace

TEST(GlyphPages, EachRunDrawsFromItsPageUnderOnePenAndMeasuresAsDrawn) {
    EnsureTestWindow(800, 600);
    glViewport(0, 0, 800, 600);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    TempDir dir;
    // Own table (grey 191 under full black): 'A' 12 px, the replacement 18 px.
    TestFont own = Uniform('\x40');
    own.Glyph('A', 0.5f).Glyph(' ', 0.25f).Glyph(kReplacementGlyph, 0.75f);
    TestFont latinA = Uniform('\x80'); // grey 127: l with stroke (U+0142) 6 px
    latinA.Glyph(0x42, 0.25f);
    TestFont greek = Uniform('\xff'); // grey 0: alpha (U+03B1) 24 px
    greek.Glyph(0xB1, 1.0f);
    LFontRenderer renderer;
    ASSERT_EQ(renderer.LoadFont("f", dir.Write("f.fnt", own.Bytes())), 0);
    renderer.SetActiveFont("f");
    renderer.SetFontPages(0, dir.Path() + "/f.fnt");
    // Written after the pages were named: nothing is read before a text needs it.
    dir.Write("f-0100.fnt", latinA.Bytes());
    dir.Write("f-0300.fnt", greek.Bytes());
    dir.Write("f-0400.fnt", greek.Bytes().substr(0, 5000)); // damaged: no page

    const struct {
        const char* text;
        std::vector<float> widths; // of each drawn glyph, pixels
        std::vector<int> greys;    // at each glyph's centre: which texture drew it
    } cases[] = {
        {"A\xC5\x82"
         "A",
         {12, 6, 12},
         {191, 127, 191}},                            // AłA: out to a page and back
        {"\xCE\xB1\xC5\x82", {24, 6}, {0, 127}},      // αł: page to page
        {"\xC5\x83", {18}, {191}},                    // Ń: its page lacks it
        {"\xD0\xA9", {18}, {191}},                    // Щ: its page file is damaged
        {"A\xE2\x80\x94", {12, 18}, {191, 191}},      // A—: no page file at all
        {"\xC5\x82\xC8", {6, 6, 6}, {191, 191, 191}}, // not UTF-8: absent bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        float total = 0.0f;
        for (float w : c.widths)
            total += w;
        EXPECT_EQ(renderer.GetStringWidth(c.text), static_cast<std::uint32_t>(total));
        auto drawn = CaptureFeedback([&] {
            renderer.StringOut(100, 50, c.text);
            renderer.Draw();
        });
        ASSERT_EQ(drawn.size(), 2 * c.widths.size());
        float pen = 100.0f;
        for (std::size_t g = 0; g < c.widths.size(); ++g) {
            const Box box = BoxOf(drawn, 2 * g, 2, 600);
            EXPECT_NEAR(box.left, pen, 1e-3) << "glyph " << g;
            EXPECT_NEAR(box.right - box.left, c.widths[g], 1e-3) << "glyph " << g;
            pen += c.widths[g];
        }
        glClearColor(1, 1, 1, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.SetColor(0, 0, 0);
        renderer.StringOut(100, 50, c.text);
        renderer.Draw();
        pen = 100.0f;
        for (std::size_t g = 0; g < c.greys.size(); ++g) {
            EXPECT_NEAR(GreyAt(pen + c.widths[g] / 2, 62), c.greys[g], 2) << "glyph " << g;
            pen += c.widths[g];
        }
    }
    // A font that only measures (as pictures made without a window do) measures alike.
    std::ifstream in(dir.Path() + "/f.fnt", std::ios::binary);
    LFont metrics;
    FontImage image;
    ASSERT_TRUE(ReadFontFile(in, 4096, metrics, image, nullptr));
    LFontRenderer measuring;
    measuring.AddFontMetrics("m", metrics);
    measuring.SetFontPages(0, dir.Path() + "/f.fnt");
    for (const auto& c : cases) {
        EXPECT_EQ(measuring.GetStringWidth(c.text), renderer.GetStringWidth(c.text)) << c.text;
    }
    renderer.Clear();
}

// The baked font with the pages the build bakes, through the text layer: every character
// of the issue's scripts draws from its page (the glyph that file holds for it), only the
// unbaked ones fall back, and the window and the window-free metrics measure alike.
TEST(GlyphPages, BakedPagesDrawTheIssueScriptsAndMeasureAlikeWithAndWithoutAWindow) {
    const struct {
        const char* text;
        int replaced; // characters drawn as the replacement glyph
    } cases[] = {
        {"\xC3\x89l\xC3\xA9phant d'Afrique", 0}, // Éléphant: Latin-1
        {"C\xC5\x93lacanthe \xC5\x81\xC3\xB3"
         "d\xC5\xBA Erd\xC5\x91s",
         0},                                                      // œ Ł ź ő
        {"\xCE\x95\xCE\xBB\xCE\xAC\xCF\x86\xCE\xB9 \xCE\xA9", 0}, // Ελάφι Ω
        {"\xC8\x98tiuc\xC4\x83 \xE2\x80\x94 \xD0\xA9\xD1\x83\xD0\xBA\xD0\xB0\xE2\x80\xA6", 0},
        {"\xE9\xAF\xA8 \xD4\xBF\xD5\xA5\xD5\xBF", 4}, // a CJK and an Armenian word: no page
    };
    EnsureTestWindow(800, 600);
    glViewport(0, 0, 800, 600);
    TextInit();
    TextSetSize(4); // 24 pixels
    const LFont own = gFontRenderer.GetFont(0);
    std::vector<float> windowWidths;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto drawn = CaptureFeedback([&] { TextPrint(0, 10, c.text); });
        const std::string text = c.text;
        float pen = 0.0f;
        int replaced = 0;
        std::size_t g = 0;
        for (std::size_t pos = 0; pos < text.size(); ++g) {
            const std::uint32_t cp = DecodeUtf8(text.data(), text.size(), &pos);
            ASSERT_LT(2 * g + 1, drawn.size());
            const Box box = BoxOf(drawn, 2 * g, 2, 600);
            EXPECT_NEAR(box.left, pen, 1e-3) << "U+" << std::hex << cp;
            pen = box.right;
            const LGlyph& replacement = own.glyphs[kReplacementGlyph];
            if (drawn[2 * g][0].s == replacement.s0 && drawn[2 * g][0].t == replacement.t0) {
                ++replaced;
                continue;
            }
            LFont page = own;
            if (cp >= kFontPageSize) {
                std::ifstream in(FontPageFileName("Another.fnt", cp / kFontPageSize),
                                 std::ios::binary);
                FontImage image;
                ASSERT_TRUE(ReadFontFile(in, 4096, page, image, nullptr)) << "U+" << std::hex << cp;
            }
            const LGlyph& expected = page.glyphs[cp % kFontPageSize];
            EXPECT_TRUE(expected.present) << "U+" << std::hex << cp;
            EXPECT_FLOAT_EQ(drawn[2 * g][0].s, expected.s0) << "U+" << std::hex << cp;
            EXPECT_FLOAT_EQ(drawn[2 * g][0].t, expected.t0) << "U+" << std::hex << cp;
            EXPECT_NEAR(box.right - box.left, 24 * expected.widthRatio, 1e-3);
        }
        EXPECT_EQ(drawn.size(), 2 * g);
        EXPECT_EQ(replaced, c.replaced);
        EXPECT_FLOAT_EQ(TextGetWidth(c.text), std::floor(pen) / 8.0f) << "800 pixels wide";
        windowWidths.push_back(TextGetWidth(c.text));
    }
    Refusal why;
    ASSERT_TRUE(TextInitWithoutWindow(800, 600, &why)) << why.text;
    TextSetSize(4);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(TextGetWidth(cases[i].text), windowWidths[i]) << cases[i].text;
    }
    gFontRenderer.Clear();
}
