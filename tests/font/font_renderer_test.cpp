// LFontRenderer in a real GL context: every failure of LoadFont leaves fonts, active font
// and textures alone; glyph geometry, slant, rotation and the queue read back through
// feedback mode; the members' messages without a font.
#include "font/font_renderer.h"

#include "platform/platform.h"
#include "tests/font/feedback.h"
#include "tests/font/font_test_files.h"
#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Notice {
    std::string caption, text;
};
std::vector<Notice> gNotices;

void RecordNotice(const char* caption, const char* text) {
    gNotices.push_back({caption, text});
}

// Runs call and returns the text it threw, or "" when it returned.
std::string Thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const char* message) {
        return message;
    }
    return "";
}

// Glyphs with known sizes at native height 24: 'A' 0.5 (12 px) over a distinct
// rectangle, space 0.25 (6 px), 'C' 1.39, code 200 1.0; 'B' is absent.
TestFont GeometryFont() {
    TestFont font;
    font.bitmap =
        std::string("\x00\x10\x20\x30\x40\x50\x60\x70\x80\x90\xa0\xb0\xc0\xd0\xe0\xff", 16);
    font.glyphs['A'] = TestGlyph{1, 2, 3, 4, 1, 0.5f};
    font.Glyph(' ', 0.25f).Glyph('C', 1.39f).Glyph(200, 1.0f);
    return font;
}

// Names below 512 that are texture objects: a texture made and not deleted shows here.
std::vector<GLuint> LiveTextures() {
    std::vector<GLuint> live;
    for (GLuint name = 1; name < 512; ++name) {
        if (glIsTexture(name)) {
            live.push_back(name);
        }
    }
    return live;
}

GLint BoundTexture() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

class FontRendererTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureTestWindow(800, 600);
        glViewport(0, 0, 800, 600);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gNotices.clear();
        SetMessageBoxHook(RecordNotice);
    }
    void TearDown() override {
        renderer.Clear();
        SetMessageBoxHook(nullptr);
    }

    // Loads GeometryFont as "geo" and makes it active.
    void LoadGeometryFont() {
        ASSERT_EQ(renderer.LoadFont("geo", dir.Write("geo.fnt", GeometryFont().Bytes())), 0);
        renderer.SetActiveFont("geo");
    }

    TempDir dir;
    LFontRenderer renderer;
};

} // namespace

TEST_F(FontRendererTest, EveryLoadFailureLeavesFontsAndTexturesAsTheyWere) {
    LoadGeometryFont();
    renderer.SetHeight(17);
    glBindTexture(GL_TEXTURE_2D, renderer.GetFont(0).textureId);
    const std::vector<GLuint> textures = LiveTextures();
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    const std::uint32_t side = static_cast<std::uint32_t>(maxSide);

    const std::string good = GeometryFont().Bytes();
    auto sized = [](std::uint32_t w, std::uint32_t h, std::size_t bitmapBytes) {
        TestFont font;
        font.width = w;
        font.height = h;
        font.bitmap.assign(bitmapBytes, '\x20');
        return font.Bytes();
    };
    TestFont swapped = GeometryFont();
    swapped.id = 0x0A1A0000u;
    const std::string wrongFormat = "LFontRenderer::LoadFont - wrong file format";
    const std::string cutBitmap = "LFontRenderer::LoadFont - error reading from font file";

    struct Row {
        const char* what;
        std::string fontName;
        std::string file;   // a path, or "" for the empty file name
        std::string thrown; // "" when LoadFont must return 0 quietly
        bool notice;        // the missing-file refusal comes back for the notice
    };
    const std::string dirPath = dir.Path();
    const Row rows[] = {
        {"missing file", "x", dirPath + "/absent.fnt", "", true},
        {"empty file name", "x", "", "", true},
        {"empty font name", "", dir.Write("a.fnt", good),
         "LFontRenderer::LoadFont - invalid filename or font name", false},
        {"identification in the other byte order", "x", dir.Write("b.fnt", swapped.Bytes()),
         wrongFormat, false},
        {"empty file", "x", dir.Write("c.fnt", ""), wrongFormat, false},
        {"three bytes", "x", dir.Write("d.fnt", good.substr(0, 3)), wrongFormat, false},
        {"ends after the identification", "x", dir.Write("e.fnt", good.substr(0, 4)), "", false},
        {"ends inside the glyph table", "x", dir.Write("f.fnt", good.substr(0, 3000)), "", false},
        {"ends inside the bitmap", "x", dir.Write("g.fnt", good.substr(0, good.size() - 1)),
         cutBitmap, false},
        {"zero width", "x", dir.Write("h.fnt", sized(0, 4, 0)), wrongFormat, false},
        {"height not a power of two", "x", dir.Write("i.fnt", sized(4, 12, 48)), wrongFormat,
         false},
        {"wider than the largest texture", "x", dir.Write("j.fnt", sized(2 * side, 2, 4 * side)),
         wrongFormat, false},
        {"largest texture in a short file", "x", dir.Write("k.fnt", sized(side, side, 100)),
         cutBitmap, false},
        {"a folder", "x", dirPath, wrongFormat, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        gNotices.clear();
        std::int32_t result = -1;
        Refusal missing;
        EXPECT_EQ(Thrown([&] { result = renderer.LoadFont(row.fontName, row.file, &missing); }),
                  row.thrown);
        if (row.thrown.empty()) {
            EXPECT_EQ(result, 0);
        }
        // The renderer shows nothing: the caller shows the missing file in the notice.
        EXPECT_TRUE(gNotices.empty());
        EXPECT_EQ(missing.text, row.notice ? "Can't find required file: " + row.file : "");
        EXPECT_EQ(missing.file, row.notice ? row.file : "");
        EXPECT_EQ(renderer.GetFontCount(), 1u);
        EXPECT_EQ(renderer.GetActiveFont(), 0u);
        EXPECT_EQ(renderer.GetHeight(), 17u);
        EXPECT_EQ(BoundTexture(), static_cast<GLint>(renderer.GetFont(0).textureId));
        EXPECT_EQ(LiveTextures(), textures);
    }
}

TEST_F(FontRendererTest, LongMissingNameIsCutWithAnEllipsis) {
    std::string path = dir.Path() + "/";
    while (path.size() < 400) {
        path += "\xc3\xa9"; // é: the cut must not split it
    }
    path += "/Another.fnt";
    Refusal missing;
    EXPECT_EQ(renderer.LoadFont("x", path, &missing), 0);
    const std::string& text = missing.text;
    const std::string prefix = "Can't find required file: ...";
    EXPECT_LE(text.size(), 299u);
    EXPECT_GE(text.size(), 297u);
    EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    EXPECT_EQ(path.compare(path.size() - (text.size() - prefix.size()), std::string::npos, text,
                           prefix.size(), std::string::npos),
              0)
        << "the notice keeps the end of the path";
    EXPECT_EQ(static_cast<unsigned char>(text[prefix.size()]), 0xc3u)
        << "starts on a whole character";
}

TEST_F(FontRendererTest, LoadUploadsCoverageAsLuminanceAlphaAndKeepsEveryLoad) {
    const std::string file = dir.Write("geo.fnt", GeometryFont().Bytes());
    ASSERT_EQ(renderer.LoadFont("geo", file), 0);
    EXPECT_EQ(BoundTexture(), 0) << "the load unbinds its texture";
    const LFont& font = renderer.GetFont(0);
    EXPECT_EQ(font.height, 24u);
    EXPECT_EQ(font.widthScale, 1.0f);
    EXPECT_EQ(font.red + font.green + font.blue, 3.0f);

    glBindTexture(GL_TEXTURE_2D, font.textureId);
    GLint width = 0, height = 0, minFilter = 0, wrapS = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 4);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_CLAMP_TO_EDGE); // WebGL has no GL_CLAMP
    unsigned char texels[32] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, texels);
    const std::string coverage = GeometryFont().bitmap;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(texels[2 * i], static_cast<unsigned char>(coverage[i])) << i;
        EXPECT_EQ(texels[2 * i + 1], static_cast<unsigned char>(coverage[i])) << i;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // A second load under the same name is a second font with its own texture; lookups
    // by name find the first.
    EXPECT_EQ(renderer.LoadFont("geo", file), 1);
    EXPECT_NE(renderer.GetFont(1).textureId, renderer.GetFont(0).textureId);
    renderer.SetActiveFont(1u);
    renderer.SetActiveFont("geo");
    EXPECT_EQ(renderer.GetActiveFont(), 0u);

    const GLuint first = renderer.GetFont(0).textureId;
    const GLuint second = renderer.GetFont(1).textureId;
    renderer.Clear();
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_FALSE(glIsTexture(second));
    EXPECT_EQ(renderer.GetFontCount(), 0u);
}

TEST_F(FontRendererTest, MembersWithoutAFontRaiseTheirOwnMessage) {
    float r, g, b;
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"LFontRenderer::SetHeight - no valid active font selected",
         [&] { renderer.SetHeight(3); }},
        {"LFontRenderer::GetHeight - no valid active font selected", [&] { renderer.GetHeight(); }},
        {"LFontRenderer::SetColor - no valid active font selected",
         [&] { renderer.SetColor(1, 0, 0); }},
        {"LFontRenderer::GetColor - no valid active font selected",
         [&] { renderer.GetColor(r, g, b); }},
        {"LFontRenderer::SetWidthScale - no valid active font selected",
         [&] { renderer.SetWidthScale(2); }},
        {"LFontRenderer::GetWidthScale - no valid active font selected",
         [&] { renderer.GetWidthScale(); }},
        {"LFontRenderer::SetRotation - no valid active font selected",
         [&] { renderer.SetRotation(5); }},
        {"LFontRenderer::GetRotation - no valid active font selected",
         [&] { renderer.GetRotation(); }},
        {"LFontRenderer::SetItalic - no valid active font selected",
         [&] { renderer.SetItalic(true); }},
        {"LFontRenderer::GetItalic - no valid active font selected", [&] { renderer.GetItalic(); }},
        {"LFontRenderer::StringOut - no valid active font selected",
         [&] { renderer.StringOut(1, 2, "x"); }},
        {"LFontRenderer::GetStringWidth - no valid active font selected",
         [&] { renderer.GetStringWidth("x"); }},
        {"LFontRenderer::SetActiveFont - specified font not found",
         [&] { renderer.SetActiveFont("Another"); }},
        {"LFontRenderer::SetActiveFont - index out of range", [&] { renderer.SetActiveFont(0u); }},
        {"LFontRenderer::GetFontName - index out of range", [&] { renderer.GetFontName(0); }},
    };
    for (const auto& call : calls) {
        EXPECT_EQ(Thrown(call.second), call.first);
    }
    EXPECT_EQ(renderer.GetPendingCount(), 0u) << "a failed StringOut queues nothing";
    EXPECT_EQ(Thrown([&] { renderer.Draw(); }), "") << "nothing queued, nothing to fail";
}

TEST_F(FontRendererTest, SettersStoreValuesUncheckedAndNativeHeightComesBack) {
    LoadGeometryFont();
    renderer.SetHeight(0);
    EXPECT_EQ(renderer.GetHeight(), 0u);
    renderer.SetHeight(LFontRenderer::kNativeHeight);
    EXPECT_EQ(renderer.GetHeight(), 24u);
    renderer.SetWidthScale(-2.5f);
    renderer.SetColor(2.0f, -1.0f, 0.5f);
    float r, g, b;
    renderer.GetColor(r, g, b);
    EXPECT_EQ(renderer.GetWidthScale(), -2.5f);
    EXPECT_EQ(r, 2.0f);
    EXPECT_EQ(g, -1.0f);
    EXPECT_EQ(b, 0.5f);
}

TEST_F(FontRendererTest, GlyphCellsAbutAndItalicShiftsOnlyTheTopEdge) {
    LoadGeometryFont();
    renderer.SetColor(0.25f, 0.5f, 0.75f);
    auto upright = CaptureFeedback([&] {
        renderer.StringOut(100, 50, "AA");
        renderer.Draw();
    });
    ASSERT_EQ(upright.size(), 4u) << "two glyphs, two triangles each";
    const Box first = BoxOf(upright, 0, 2, 600);
    EXPECT_NEAR(first.left, 100, 1e-3);
    EXPECT_NEAR(first.right, 112, 1e-3);
    EXPECT_NEAR(first.top, 50, 1e-3);
    EXPECT_NEAR(first.bottom, 74, 1e-3);
    EXPECT_NEAR(BoxOf(upright, 2, 2, 600).left, 112, 1e-3);
    // The strip's first vertex is the top-left corner with the glyph's (s0, t0).
    const FeedbackVertex& topLeft = upright[0][0];
    EXPECT_NEAR(topLeft.x, 100, 1e-3);
    EXPECT_NEAR(topLeft.y, 600 - 50, 1e-3);
    EXPECT_FLOAT_EQ(topLeft.s, 0.5f);
    EXPECT_FLOAT_EQ(topLeft.t, 0.25f);
    EXPECT_FLOAT_EQ(topLeft.g, 0.5f);
    EXPECT_FLOAT_EQ(topLeft.a, 1.0f);

    renderer.SetItalic(true);
    auto slanted = CaptureFeedback([&] {
        renderer.StringOut(100, 50, "A");
        renderer.Draw();
    });
    std::vector<float> topX, bottomX;
    for (const FeedbackTriangle& triangle : slanted) {
        for (const FeedbackVertex& v : triangle) {
            (v.y > 600 - 51 ? topX : bottomX).push_back(v.x);
        }
    }
    ASSERT_FALSE(topX.empty());
    ASSERT_FALSE(bottomX.empty());
    EXPECT_NEAR(*std::min_element(topX.begin(), topX.end()), 107.2, 1e-3);
    EXPECT_NEAR(*std::max_element(topX.begin(), topX.end()), 119.2, 1e-3);
    EXPECT_NEAR(*std::min_element(bottomX.begin(), bottomX.end()), 100, 1e-3);
    EXPECT_NEAR(*std::max_element(bottomX.begin(), bottomX.end()), 112, 1e-3);

    EXPECT_EQ(renderer.GetStringWidth("AAA"), 36u) << "italic does not widen";
}

TEST_F(FontRendererTest, RotationTurnsClockwiseAboutTheStart) {
    LoadGeometryFont();
    renderer.SetRotation(90.0f);
    auto turned = CaptureFeedback([&] {
        renderer.StringOut(100, 50, "A");
        renderer.Draw();
    });
    const Box box = BoxOf(turned, 0, turned.size(), 600);
    // The 12 x 24 cell now hangs down from the start and reaches left.
    EXPECT_NEAR(box.left, 76, 1e-3);
    EXPECT_NEAR(box.right, 100, 1e-3);
    EXPECT_NEAR(box.top, 50, 1e-3);
    EXPECT_NEAR(box.bottom, 62, 1e-3);
}

TEST_F(FontRendererTest, AbsentGlyphsAreSpacesAndHighBytesIndexUnsigned) {
    LoadGeometryFont();
    EXPECT_EQ(renderer.GetStringWidth(""), 0u);
    EXPECT_EQ(renderer.GetStringWidth("B"), 6u) << "absent: the space's 0.25";
    EXPECT_EQ(renderer.GetStringWidth("\xc8"), 24u) << "code 200";
    renderer.SetHeight(10);
    EXPECT_EQ(renderer.GetStringWidth("C"), 13u) << "13.9 truncated";
    renderer.SetHeight(24);
    auto drawn = CaptureFeedback([&] {
        renderer.StringOut(100, 50, "BA");
        renderer.Draw();
    });
    ASSERT_EQ(drawn.size(), 4u) << "the absent glyph is still drawn, as a space";
    const Box space = BoxOf(drawn, 0, 2, 600);
    EXPECT_NEAR(space.right - space.left, 6, 1e-3);
    EXPECT_NEAR(BoxOf(drawn, 2, 2, 600).left, 106, 1e-3);
}

// Valid UTF-8 is drawn as its characters (beyond Latin-1: the replacement glyph); text
// that is not UTF-8 as a whole is drawn byte by byte. Widths and quads agree.
TEST_F(FontRendererTest, Utf8IsDrawnAsCharactersAndOtherTextByteByByte) {
    TestFont font = GeometryFont();
    font.Glyph(kReplacementGlyph, 0.75f); // 18 px
    ASSERT_EQ(renderer.LoadFont("utf", dir.Write("utf.fnt", font.Bytes())), 0);
    renderer.SetActiveFont("utf");
    const struct {
        const char* text;
        std::uint32_t width;
        std::size_t glyphs;
    } cases[] = {
        {"\xC3\x88", 24, 1},         // U+00C8: the glyph of code 200
        {"\xC8", 24, 1},             // Latin-1 200
        {"A\xE2\x82\xAC", 30, 2},    // A and the euro sign: replacement
        {"\xF0\x9F\x90\x9F", 18, 1}, // one replacement for a four-byte character
        {"\xC8\xC3\x88", 36, 3},     // not UTF-8 as a whole: three bytes, two absent
    };
    for (const auto& c : cases) {
        EXPECT_EQ(renderer.GetStringWidth(c.text), c.width) << c.text;
        auto drawn = CaptureFeedback([&] {
            renderer.StringOut(100, 50, c.text);
            renderer.Draw();
        });
        ASSERT_EQ(drawn.size(), 2 * c.glyphs) << c.text;
        EXPECT_NEAR(BoxOf(drawn, 2 * c.glyphs - 2, 2, 600).right, 100 + c.width, 1e-3) << c.text;
    }
}

TEST_F(FontRendererTest, QueueGrowsByTwentyAndDrawsInOrderWithQueuedSettings) {
    LoadGeometryFont();
    renderer.SetColor(1, 0, 0);
    for (int i = 0; i < 20; ++i) {
        renderer.StringOut(static_cast<float>(20 * i), 10, "A");
    }
    EXPECT_EQ(renderer.GetQueueCapacity(), 20u);
    renderer.StringOut(400, 10, "A");
    EXPECT_EQ(renderer.GetQueueCapacity(), 40u);
    renderer.SetColor(0, 0, 1); // after queueing: must not reach the queued strings
    auto drawn = CaptureFeedback([&] { renderer.Draw(); });
    ASSERT_EQ(drawn.size(), 42u);
    for (int i = 0; i < 21; ++i) {
        EXPECT_NEAR(BoxOf(drawn, 2 * i, 2, 600).left, 20 * i, 1e-3) << "string " << i;
        EXPECT_FLOAT_EQ(drawn[2 * i][0].r, 1.0f);
        EXPECT_FLOAT_EQ(drawn[2 * i][0].b, 0.0f);
    }
    EXPECT_EQ(renderer.GetPendingCount(), 0u);
    EXPECT_EQ(renderer.GetQueueCapacity(), 40u) << "slots are kept for reuse";

    // The one setting read at drawing time: the slant follows the font's current height.
    renderer.SetItalic(true);
    renderer.StringOut(100, 50, "A");
    renderer.SetHeight(48);
    auto late = CaptureFeedback([&] { renderer.Draw(); });
    const Box box = BoxOf(late, 0, late.size(), 600);
    EXPECT_NEAR(box.bottom - box.top, 24, 1e-3) << "the queued height";
    EXPECT_NEAR(box.right, 112 + 0.3 * 48, 1e-3) << "the font's height now";
}

TEST_F(FontRendererTest, EmptyDrawTouchesNothingAndTheFirstRealDrawFixesTheViewport) {
    LoadGeometryFont();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glColor4f(0.3f, 0.4f, 0.5f, 0.6f);
    renderer.Draw();
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_FLOAT_EQ(colour[1], 0.4f);
    glMatrixMode(GL_MODELVIEW);

    // Had the empty Draw cached 800 x 600, this string would land at half its place.
    glViewport(0, 0, 400, 300);
    auto small = CaptureFeedback([&] {
        renderer.StringOut(100, 50, "A");
        renderer.Draw();
    });
    EXPECT_NEAR(BoxOf(small, 0, 2, 300).left, 100, 1e-3);
    // Now cached: a larger viewport stretches the same pixel position with it.
    glViewport(0, 0, 800, 600);
    auto large = CaptureFeedback([&] {
        renderer.StringOut(100, 50, "A");
        renderer.Draw();
    });
    const Box stretched = BoxOf(large, 0, 2, 600);
    EXPECT_NEAR(stretched.left, 200, 1e-3);
    EXPECT_NEAR(stretched.top, 100, 1e-3);
    EXPECT_NEAR(stretched.right, 224, 1e-3);
    renderer.Clear(); // forgets the viewport with the fonts
    LoadGeometryFont();
    auto again = CaptureFeedback([&] {
        renderer.StringOut(100, 50, "A");
        renderer.Draw();
    });
    EXPECT_NEAR(BoxOf(again, 0, 2, 600).left, 100, 1e-3);
}

TEST_F(FontRendererTest, DrawRestoresMatricesAndLeavesTextStateOn) {
    LoadGeometryFont();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 400, 300, 0, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3, 4, 0);
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glDisable(GL_DEPTH_TEST);
    renderer.StringOut(10, 10, "AB");
    renderer.Draw();
    GLfloat projectionAfter[16], modelviewAfter[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(projectionAfter[i], projection[i]) << i;
        EXPECT_FLOAT_EQ(modelviewAfter[i], modelview[i]) << i;
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(BoundTexture(), static_cast<GLint>(renderer.GetFont(0).textureId));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glLoadIdentity();
}
