// The character panels through GL feedback: where each line lands (its first glyph's
// top-left corner), its size, its colour and, by its width, which state it names.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "display/display.h"
#include "font/text.h"
#include "matrix/matrix.h"
#include "tests/display/display_gl_support.h"

namespace {

class PanelsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareGl();
        ResetModel();
    }
    void TearDown() override { ResetModel(); }
};

// Taxa A and B with `characters` characters; A scores "a<c>" and B "bb<c>" in character c
// unless c is listed in `same`, where B scores like A. The root copies A.
void LoadPair(int characters, const std::vector<int>& same = {}) {
    std::vector<std::vector<std::string>> rows;
    for (int c = 0; c < characters; ++c) {
        const bool agree = std::find(same.begin(), same.end(), c) != same.end();
        const std::string a = "a" + std::to_string(c);
        rows.push_back({a, agree ? a : "bb" + std::to_string(c)});
    }
    LoadMatrix(MatrixCsv({"A", "B"}, rows));
}

TextBox LineOf(const std::vector<FbPrimitive>& prims, int character) {
    const float* colour = gCharacterColors[character];
    return TextBoxOf(PolygonsOfColour(prims, colour[0], colour[1], colour[2], true));
}

// Expects character c's line with its first glyph at (x, y) percent, size `size` percent,
// and as wide as "C<c>: <state>" at that size.
void ExpectLine(const std::vector<FbPrimitive>& prims, int c, float x, float y, int size,
                const std::string& state) {
    const TextBox box = LineOf(prims, c);
    ASSERT_TRUE(box.found) << "character " << c;
    EXPECT_NEAR(box.left, x * 8.0f, 0.01f) << "character " << c;
    EXPECT_NEAR(box.top, y * 6.0f, 0.01f) << "character " << c;
    EXPECT_NEAR(box.bottom - box.top, size * 6.0f, 0.01f) << "character " << c;
    TextSetSize(size);
    const std::string line = "C" + std::to_string(c) + ": " + state;
    EXPECT_NEAR(box.right - box.left, TextGetWidth(line.c_str()) * 8.0f, 1.0f) << "character " << c;
}

// Black text whose first glyph starts at the left margin (1 percent) and whose top is y.
bool HasTitleAt(const std::vector<FbPrimitive>& prims, float y) {
    std::vector<FbPrimitive> row;
    for (const auto& p : PolygonsOfColour(prims, 0, 0, 0, true)) {
        const TextBox b = TextBoxOf({p});
        if (std::fabs(b.top - y * 6.0f) < 0.01f) row.push_back(p);
    }
    const TextBox box = TextBoxOf(row);
    return box.found && std::fabs(box.left - 8.0f) < 0.01f &&
           std::fabs(box.bottom - box.top - 24.0f) < 0.01f;
}

} // namespace

TEST_F(PanelsTest, AncestralListShrinksAndWrapsWithTheNumberOfCharacters) {
    // No characters: the title alone.
    auto prims = CaptureFeedback([] { DrawAncestralPanel(); });
    EXPECT_TRUE(HasTitleAt(prims, 0.0f));
    EXPECT_EQ(PolygonsOfColour(prims, 0, 0, 0, true).size(), prims.size());

    // Five characters: size 5, one column; the root's (A's) states are listed.
    LoadPair(5);
    prims = CaptureFeedback([] { DrawAncestralPanel(); });
    EXPECT_TRUE(HasTitleAt(prims, 0.0f));
    for (int c = 0; c < 5; ++c)
        ExpectLine(prims, c, 1, 4 + 5 * c, 5, "a" + std::to_string(c));

    // Six characters: size 4.
    LoadPair(6);
    prims = CaptureFeedback([] { DrawAncestralPanel(); });
    for (int c = 0; c < 6; ++c)
        ExpectLine(prims, c, 1, 4 + 4 * c, 4, "a" + std::to_string(c));

    // Eight characters: 7 rows a column, the eighth at the top of the second column.
    LoadPair(8);
    prims = CaptureFeedback([] { DrawAncestralPanel(); });
    ExpectLine(prims, 6, 1, 28, 4, "a6");
    ExpectLine(prims, 7, 21, 4, 4, "a7");

    // Twelve characters: size 3, 10 rows a column.
    LoadPair(12);
    prims = CaptureFeedback([] { DrawAncestralPanel(); });
    ExpectLine(prims, 9, 1, 31, 3, "a9");
    ExpectLine(prims, 10, 21, 4, 3, "a10");
}

TEST_F(PanelsTest, NodeListShowsDerivedCharactersWithItsSecondColumnStartingLower) {
    // Eight characters, B differing from the root in all of them: the first seven fill
    // rows 0 to 6 of the first column, the eighth stands at x 21, y 74.
    LoadPair(8);
    CladeNode* b = gRoot->right;
    auto prims = CaptureFeedback([&] { DrawNodePanel(b); });
    EXPECT_TRUE(HasTitleAt(prims, 54.0f));
    EXPECT_TRUE(HasTitleAt(prims, 58.0f));
    for (int c = 0; c < 7; ++c)
        ExpectLine(prims, c, 1, 62 + 4 * c, 4, "bb" + std::to_string(c));
    ExpectLine(prims, 7, 21, 74, 4, "bb7");

    // Only the characters that differ take slots; the others are not listed.
    LoadPair(8, {0, 2, 3});
    b = gRoot->right;
    prims = CaptureFeedback([&] { DrawNodePanel(b); });
    ExpectLine(prims, 1, 1, 62, 4, "bb1");
    ExpectLine(prims, 4, 1, 66, 4, "bb4");
    ExpectLine(prims, 7, 1, 78, 4, "bb7");
    for (int c : {0, 2, 3})
        EXPECT_FALSE(LineOf(prims, c).found) << c;

    // A node agreeing with the root everywhere shows the titles alone.
    LoadPair(8, {0, 1, 2, 3, 4, 5, 6, 7});
    b = gRoot->right;
    prims = CaptureFeedback([&] { DrawNodePanel(b); });
    EXPECT_TRUE(HasTitleAt(prims, 54.0f));
    EXPECT_EQ(PolygonsOfColour(prims, 0, 0, 0, true).size(), prims.size());
}

TEST_F(PanelsTest, TreeShowsThePanelOfThePickedNodeOnly) {
    LoadPair(3);
    auto prims = CaptureFeedback([] { DrawTree(gRoot, nullptr); });
    EXPECT_FALSE(HasTitleAt(prims, 54.0f));
    EXPECT_FALSE(LineOf(prims, 0).found);

    gRoot->right->isDragged = true;
    prims = CaptureFeedback([] { DrawTree(gRoot, nullptr); });
    gRoot->right->isDragged = false;
    EXPECT_TRUE(HasTitleAt(prims, 54.0f));
    EXPECT_TRUE(HasTitleAt(prims, 58.0f));
    ExpectLine(prims, 2, 1, 72, 5, "bb2");
}
