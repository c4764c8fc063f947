// The percent-based text functions over gFontRenderer in a real GL context: where the
// font file is looked for, sizes and widths in percent, placement read back through
// feedback mode, and the GL state every drawing call leaves behind.
#include "font/text.h"

#include "font/font_renderer.h"
#include "tests/font/feedback.h"
#include "tests/font/font_test_files.h"
#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <unistd.h>

namespace {

// 'A' is 0.5 of the height wide; at native height 24 that is 12 pixels.
TestFont PercentFont() {
    TestFont font;
    font.nativeHeight = 24;
    font.Glyph('A', 0.5f).Glyph(' ', 0.25f);
    return font;
}

// Native height of the baked font beside this test program.
std::uint32_t BakedNativeHeight() {
    char self[PATH_MAX] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        return 0;
    }
    std::string path(self);
    path = path.substr(0, path.rfind('/') + 1) + "Another.fnt";
    std::FILE* f = std::fopen(path.c_str(), "rb");
    unsigned char header[16] = {};
    if (f == nullptr) {
        return 0;
    }
    const bool complete = std::fread(header, 1, sizeof header, f) == sizeof header;
    std::fclose(f);
    return complete ? header[12] | header[13] << 8 | header[14] << 16 | header[15] << 24 : 0;
}

// Runs TextInit with dir as the working directory, which is restored even when it throws.
void TextInitIn(const std::string& dir) {
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    struct Back {
        const char* to;
        ~Back() { EXPECT_EQ(chdir(to), 0); }
    } back{previous};
    TextInit();
}

class TextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureTestWindow(800, 600);
        glViewport(0, 0, 800, 600);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        dir.Write("Another.fnt", PercentFont().Bytes());
        TextInitIn(dir.Path());
    }
    void TearDown() override { gFontRenderer.Clear(); }

    TempDir dir;
};

// Asserts the state every text call promises to leave.
void ExpectTextStateOff(const char* call) {
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << call;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << call;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << call;
}

} // namespace

TEST_F(TextTest, InitPrefersTheWorkingDirectoryThenTheProgramFolder) {
    EXPECT_EQ(gFontRenderer.GetFontCount(), 1u);
    EXPECT_EQ(gFontRenderer.GetFontName(0), "Another");
    EXPECT_EQ(gFontRenderer.GetHeight(), 24u) << "the synthetic font of the working directory";
    EXPECT_EQ(gTextWindowWidth, 800);
    EXPECT_EQ(gTextWindowHeight, 600);

    TempDir empty;
    TextInitIn(empty.Path());
    const std::uint32_t baked = BakedNativeHeight();
    ASSERT_NE(baked, 0u) << "the baked font lies beside the test program";
    EXPECT_EQ(gFontRenderer.GetFontCount(), 1u) << "TextInit starts from a clear renderer";
    EXPECT_EQ(gFontRenderer.GetHeight(), baked);
}

TEST_F(TextTest, InitErrorsNameTheFontFile) {
    const std::string good = PercentFont().Bytes();
    const std::pair<std::string, std::string> cases[] = {
        {"nope" + good.substr(4), "LFontRenderer::LoadFont - wrong file format"},
        {good.substr(0, 3000), "font file is cut short inside its glyph table"},
        {good.substr(0, good.size() - 1), "LFontRenderer::LoadFont - error reading from font file"},
    };
    for (const auto& [bytes, problem] : cases) {
        TempDir broken;
        broken.Write("Another.fnt", bytes);
        std::string message = "nothing thrown";
        try {
            TextInitIn(broken.Path());
        } catch (const std::runtime_error& error) {
            message = error.what();
        }
        EXPECT_EQ(message, "Another.fnt: " + problem);
    }
}

TEST_F(TextTest, SizesArePercentOfTheStartUpHeight) {
    const std::pair<int, std::uint32_t> at600[] = {{2, 12}, {3, 18}, {4, 24}, {0, 0}, {-3, 0}};
    for (const auto& size : at600) {
        TextSetSize(size.first);
        EXPECT_EQ(gFontRenderer.GetHeight(), size.second) << "size " << size.first;
    }
    gTextWindowHeight = 550;
    TextSetSize(3);
    EXPECT_EQ(gFontRenderer.GetHeight(), 16u) << "16.5 truncated";
    gTextWindowHeight = 600;
}

TEST_F(TextTest, WidthsArePercentOfTheStartUpWidth) {
    EXPECT_FLOAT_EQ(TextGetWidth("AAAAAAAAAA"), 15.0f) << "120 of 800 pixels";
    EXPECT_FLOAT_EQ(TextGetWidth(""), 0.0f);
    TextSetSize(0);
    EXPECT_FLOAT_EQ(TextGetWidth("AAAA"), 0.0f);
}

TEST_F(TextTest, PrintPlacesTheFirstCellAtThePercentPoint) {
    TextSetColor(0.0f, 0.5f, 1.0f);
    auto origin = CaptureFeedback([] { TextPrint(0, 0, "A"); });
    ExpectTextStateOff("TextPrint");
    const Box corner = BoxOf(origin, 0, 2, 600);
    EXPECT_NEAR(corner.left, 0, 1e-3);
    EXPECT_NEAR(corner.top, 0, 1e-3);
    EXPECT_NEAR(corner.right, 12, 1e-3);
    EXPECT_NEAR(corner.bottom, 24, 1e-3);
    ASSERT_FALSE(origin.empty());
    EXPECT_FLOAT_EQ(origin[0][0].g, 0.5f);

    auto placed = CaptureFeedback([] { TextPrint(12.5f, 10.0f, "AA"); });
    const Box text = BoxOf(placed, 0, placed.size(), 600);
    EXPECT_NEAR(text.left, 100, 1e-3);
    EXPECT_NEAR(text.top, 60, 1e-3);
    EXPECT_NEAR(text.right, 124, 1e-3);
}

TEST_F(TextTest, CenteredAndShadowedTextSitAcrossTheMiddle) {
    auto centred = CaptureFeedback([] { TextPrintCentered(50, "AAAAA"); });
    ExpectTextStateOff("TextPrintCentered");
    const Box box = BoxOf(centred, 0, centred.size(), 600);
    EXPECT_NEAR(box.left, 370, 1e-3);
    EXPECT_NEAR(box.right, 430, 1e-3);
    EXPECT_NEAR(box.top, 300, 1e-3);

    // 70 glyphs are 840 pixels: the string starts 20 pixels left of the window, so
    // the first glyph edge inside it lies at 4 and the clipped text begins at 0.
    auto wide = CaptureFeedback([] { TextPrintCentered(50, std::string(70, 'A').c_str()); });
    bool edgeAtFour = false;
    float left = 1e9f;
    for (const FeedbackTriangle& triangle : wide) {
        for (const FeedbackVertex& v : triangle) {
            edgeAtFour = edgeAtFour || std::fabs(v.x - 4.0f) < 1e-3f;
            left = std::min(left, v.x);
        }
    }
    EXPECT_TRUE(edgeAtFour);
    EXPECT_NEAR(left, 0, 1e-3);

    TextSetColor(1.0f, 1.0f, 0.0f);
    auto shadowed = CaptureFeedback([] { TextPrintShadowed(50, "A"); });
    ExpectTextStateOff("TextPrintShadowed");
    ASSERT_EQ(shadowed.size(), 4u) << "shadow first, then the text over it";
    const Box shadow = BoxOf(shadowed, 0, 2, 600);
    const Box text = BoxOf(shadowed, 2, 2, 600);
    EXPECT_NEAR(shadow.left - text.left, 1.2, 1e-3) << "0.2 percent of 600 pixels";
    EXPECT_NEAR(shadow.top - text.top, 1.2, 1e-3);
    EXPECT_NEAR(text.left, 394, 1e-3);
    EXPECT_FLOAT_EQ(shadowed[0][0].r, 0.1f);
    EXPECT_FLOAT_EQ(shadowed[2][0].r, 1.0f);
    EXPECT_FLOAT_EQ(shadowed[2][0].b, 0.0f);
    float r, g, b;
    gFontRenderer.GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 2.0f) << "the colour in force before the call";
}

TEST_F(TextTest, TextKeepsItsRelativePlaceAfterTheViewportChanges) {
    TextPrint(0, 0, ""); // the first drawing fixes the renderer's projection
    glViewport(0, 0, 400, 300);
    auto half = CaptureFeedback([] { TextPrint(50, 50, "A"); });
    const Box box = BoxOf(half, 0, 2, 300);
    EXPECT_NEAR(box.left, 200, 1e-3);
    EXPECT_NEAR(box.top, 150, 1e-3);
    EXPECT_NEAR(box.bottom - box.top, 12, 1e-3) << "shrunk with the window";
    glViewport(0, 0, 800, 600);
}

TEST_F(TextTest, RotationIsASettingOfLaterText) {
    TextSetRotation(90.0f);
    auto turned = CaptureFeedback([] { TextPrint(12.5f, 10.0f, "A"); });
    const Box box = BoxOf(turned, 0, turned.size(), 600);
    EXPECT_NEAR(box.left, 76, 1e-3);
    EXPECT_NEAR(box.bottom, 72, 1e-3);
    TextSetRotation(0.0f);
}
