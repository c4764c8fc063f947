// Window-free tests of the editor's arithmetic: window pixels and percent to tree units,
// the push button's hit zone and the 4:3 reshape rule.
#include "app/controls.h"
#include "app/input.h"
#include "app/shell.h"
#include "matrix/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Geometry : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetMatrix();
        ResetInteraction();
    }
    void TearDown() override {
        ResetMatrix();
        ResetInteraction();
    }
};

Button MakeButton(float x, float y, float width, float height, bool disabled = false) {
    Button button{};
    button.x = x;
    button.y = y;
    button.width = width;
    button.height = height;
    button.textSize = 5;
    button.disabled = disabled;
    return button;
}

// A press at window pixel (px, py), mapped the way the mouse callback maps it.
void PressAtPixel(float px, float py, int width, int height) {
    gPressX = WindowToTreeX(px, width);
    gPressY = WindowToTreeY(py, height);
    gPressPending = true;
}

void PressAt(float x, float y) {
    gPressX = x;
    gPressY = y;
    gPressPending = true;
}

TEST_F(Geometry, WindowEdgesMapToTheTreeViewEdges) {
    // No taxa: x -1 .. 2, y -0.5 .. 0.5.
    EXPECT_FLOAT_EQ(WindowToTreeX(0, 800), -1.0f);
    EXPECT_FLOAT_EQ(WindowToTreeX(800, 800), 2.0f);
    EXPECT_FLOAT_EQ(WindowToTreeY(0, 600), -0.5f);
    EXPECT_FLOAT_EQ(WindowToTreeY(600, 600), 0.5f);

    // Ten taxa: x -1 .. 12, y -5.5 .. 5.5, in any window size.
    gTaxonCount = 10;
    EXPECT_FLOAT_EQ(WindowToTreeX(0, 1000), -1.0f);
    EXPECT_FLOAT_EQ(WindowToTreeX(500, 1000), 5.5f);
    EXPECT_FLOAT_EQ(WindowToTreeX(1000, 1000), 12.0f);
    EXPECT_FLOAT_EQ(WindowToTreeY(0, 750), -5.5f);
    EXPECT_FLOAT_EQ(WindowToTreeY(375, 750), 0.0f);
    EXPECT_FLOAT_EQ(WindowToTreeY(750, 750), 5.5f);
    // Fractional pixels are kept.
    EXPECT_FLOAT_EQ(WindowToTreeX(0.5f, 800), static_cast<float>(0.5 / 800 * 13 - 1));
}

TEST_F(Geometry, PercentToTreeAssumesEightAndSevenAndAHalfPixelsPerPercent) {
    gTaxonCount = 10;
    // In 800 x 600 a percent across is 8 pixels, as the window mapping has it too.
    EXPECT_FLOAT_EQ(PercentToTreeX(90, 800), WindowToTreeX(720, 800));
    EXPECT_FLOAT_EQ(PercentToTreeX(0, 800), -1.0f);
    // Down, a percent counts 7.5 pixels whatever the window's height.
    EXPECT_FLOAT_EQ(PercentToTreeY(1, 600), WindowToTreeY(7.5f, 600));
    EXPECT_FLOAT_EQ(PercentToTreeY(10, 600), WindowToTreeY(75, 600));
    EXPECT_FLOAT_EQ(PercentToTreeY(0, 600), -5.5f);
    // Across, it counts 8 pixels of whatever window width is given.
    EXPECT_FLOAT_EQ(PercentToTreeX(50, 1600), WindowToTreeX(400, 1600));
}

TEST_F(Geometry, OpenFileZoneCoversRowsZeroPointFourToFortyFourPointSixWithTenTaxa) {
    gTaxonCount = 10;
    const Button button = MakeButton(90, 1, 8.5f, 4);
    const float midRow = 20;
    const float midColumn = 760;

    const float rowsInside[] = {0.42f, 10.0f, 44.58f};
    for (float row : rowsInside) {
        PressAtPixel(midColumn, row, 800, 600);
        EXPECT_TRUE(HitButton(button, 800, 600)) << "row " << row;
    }
    const float rowsOutside[] = {0.38f, 44.62f, 50.0f};
    for (float row : rowsOutside) {
        PressAtPixel(midColumn, row, 800, 600);
        EXPECT_FALSE(HitButton(button, 800, 600)) << "row " << row;
    }
    // Across: 8 (x - 1) .. 8 (x + width + 1) pixels, 712 .. 796.
    PressAtPixel(712.1f, midRow, 800, 600);
    EXPECT_TRUE(HitButton(button, 800, 600));
    PressAtPixel(711.9f, midRow, 800, 600);
    EXPECT_FALSE(HitButton(button, 800, 600));
    PressAtPixel(795.9f, midRow, 800, 600);
    EXPECT_TRUE(HitButton(button, 800, 600));
    PressAtPixel(796.1f, midRow, 800, 600);
    EXPECT_FALSE(HitButton(button, 800, 600));
}

TEST_F(Geometry, ButtonZoneEdgesAreInclusive) {
    // One taxon in a 32 x 15 window: a percent is exactly one tree unit both ways, so
    // the zone is exactly x 8 .. 16 and y 3 .. 9.
    gTaxonCount = 1;
    const Button button = MakeButton(10, 5, 6, 4);
    const float corners[][2] = {{8, 3}, {16, 3}, {8, 9}, {16, 9}};
    for (const auto& corner : corners) {
        PressAt(corner[0], corner[1]);
        EXPECT_TRUE(HitButton(button, 32, 15)) << corner[0] << ", " << corner[1];
    }
    const float outside[][2] = {{std::nextafter(8.0f, 0.0f), 6},
                                {std::nextafter(16.0f, 99.0f), 6},
                                {12, std::nextafter(3.0f, 0.0f)},
                                {12, std::nextafter(9.0f, 99.0f)}};
    for (const auto& point : outside) {
        PressAt(point[0], point[1]);
        EXPECT_FALSE(HitButton(button, 32, 15)) << point[0] << ", " << point[1];
    }
}

TEST_F(Geometry, ButtonZoneMarginIsOnePercentAcrossOnEverySide) {
    // In 32 x 30 a percent is 1 unit across but 0.5 down; the top and bottom margins are
    // still 1 unit: y from 5 / 2 - 1 - 1 = 0.5 to 1.5 + 4 x 0.5 + 1 = 4.5.
    gTaxonCount = 1;
    const Button button = MakeButton(10, 5, 6, 4);
    PressAt(12, 0.5f);
    EXPECT_TRUE(HitButton(button, 32, 30));
    PressAt(12, 0.49f);
    EXPECT_FALSE(HitButton(button, 32, 30));
    PressAt(12, 4.5f);
    EXPECT_TRUE(HitButton(button, 32, 30));
    PressAt(12, 4.51f);
    EXPECT_FALSE(HitButton(button, 32, 30));
}

TEST_F(Geometry, ButtonClaimsAPressOnceAndLeavesMissesPending) {
    gTaxonCount = 1;
    const Button button = MakeButton(10, 5, 6, 4);

    PressAt(12, 6);
    EXPECT_TRUE(HitButton(button, 32, 15));
    EXPECT_FALSE(gPressPending);
    EXPECT_FALSE(HitButton(button, 32, 15)) << "a press is reported once";

    PressAt(30, 6);
    EXPECT_FALSE(HitButton(button, 32, 15));
    EXPECT_TRUE(gPressPending);
    EXPECT_FALSE(HitButton(button, 32, 15));
    EXPECT_TRUE(gPressPending) << "a miss stays pending frame after frame";
    // The zone follows the window: after a resize the pending press may fall inside it.
    EXPECT_TRUE(HitButton(button, 16, 15)); // x 17 .. 33 now
    EXPECT_FALSE(gPressPending);

    const Button disabled = MakeButton(10, 5, 6, 4, true);
    PressAt(12, 6);
    EXPECT_FALSE(HitButton(disabled, 32, 15));
    EXPECT_TRUE(gPressPending) << "a disabled button leaves the press alone";
}

TEST_F(Geometry, ReshapeHoldsFourToThree) {
    struct Case {
        int width, height, newWidth, newHeight;
    };
    const Case cases[] = {
        {1000, 600, 800, 600}, // too wide: keeps the height
        {800, 900, 800, 600},  // too tall: keeps the width
        {801, 601, 801, 600},  // 600.75 truncated
        {800, 600, 800, 600},  // exact 4:3 stays
        {1000, 601, 801, 601}, // 801.33 truncated
        {801, 600, 800, 600},  {1, 1, 1, 0},
    };
    for (const Case& c : cases) {
        const WindowSize size = FourThreeSize(c.width, c.height);
        EXPECT_EQ(size.width, c.newWidth) << c.width << " x " << c.height;
        EXPECT_EQ(size.height, c.newHeight) << c.width << " x " << c.height;
    }
}

TEST_F(Geometry, ReshapeSettlesWithinAFewRounds) {
    // GLUT calls the reshape callback again with the size it asked for.
    WindowSize size{1000, 601};
    const WindowSize expected[] = {{801, 601}, {801, 600}, {800, 600}, {800, 600}};
    for (const WindowSize& next : expected) {
        size = FourThreeSize(size.width, size.height);
        EXPECT_EQ(size.width, next.width);
        EXPECT_EQ(size.height, next.height);
    }
}

} // namespace
