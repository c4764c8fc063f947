// Window-free tests of the editor's arithmetic: window pixels and percent to tree units,
// the push button's hit zone (the box it is drawn in) and the 4:3 reshape rule.
#include "app/controls.h"
#include "app/input.h"
#include "app/shell.h"
#include "matrix/matrix.h"

#include <gtest/gtest.h>

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

    // From 16 taxa one more unit above the tree: 19 taxa, y -11 .. 10.
    gTaxonCount = 19;
    EXPECT_FLOAT_EQ(WindowToTreeY(0, 630), -11.0f);
    EXPECT_FLOAT_EQ(WindowToTreeY(630, 630), 10.0f);
    EXPECT_FLOAT_EQ(WindowToTreeX(800, 800), 21.0f);
}

TEST_F(Geometry, OpenFileZoneIsItsDrawnBoxWithTenTaxa) {
    // The body with its shadow: x - 1.5 .. x + width + 1.5 across (708 .. 800 pixels), and
    // 0.2 - 2/3 below the label's top to 1.2 + 2/3 below its 0.8-size cell down (3.2 ..
    // 41.2 pixels in 800 x 600).
    gTaxonCount = 10;
    const Button button = MakeButton(90, 1, 8.5f, 4);
    const float midRow = 20;
    const float midColumn = 760;

    const float rowsInside[] = {3.3f, 10.0f, 41.1f};
    for (float row : rowsInside) {
        PressAtPixel(midColumn, row, 800, 600);
        EXPECT_TRUE(HitButton(button)) << "row " << row;
    }
    const float rowsOutside[] = {0.42f, 3.1f, 41.3f, 44.58f, 50.0f};
    for (float row : rowsOutside) {
        PressAtPixel(midColumn, row, 800, 600);
        EXPECT_FALSE(HitButton(button)) << "row " << row;
    }
    PressAtPixel(708.1f, midRow, 800, 600);
    EXPECT_TRUE(HitButton(button));
    PressAtPixel(707.9f, midRow, 800, 600);
    EXPECT_FALSE(HitButton(button));
    PressAtPixel(799.9f, midRow, 800, 600);
    EXPECT_TRUE(HitButton(button));
}

TEST_F(Geometry, ButtonZoneEdgesAreInclusive) {
    // One taxon: a tree unit is 25 percent across. A box from 25 to 50 percent across puts
    // its edges at tree x 0 and 1 exactly.
    gTaxonCount = 1;
    const Button button = MakeButton(26.5f, 5, 22, 4);
    ASSERT_FLOAT_EQ(ButtonBox(button).left, 25.0f);
    ASSERT_FLOAT_EQ(ButtonBox(button).right, 50.0f);
    const float y = -0.8f; // 10 percent down, inside
    for (float x : {0.0f, 1.0f}) {
        PressAt(x, y);
        EXPECT_TRUE(HitButton(button)) << x;
    }
    for (float x : {-1e-6f, 1.000001f}) {
        PressAt(x, y);
        EXPECT_FALSE(HitButton(button)) << x;
    }
}

TEST_F(Geometry, ButtonClaimsAPressOnceAndLeavesMissesPending) {
    gTaxonCount = 1;
    const Button button = MakeButton(26.5f, 5, 22, 4);

    PressAt(0.5f, -0.8f);
    EXPECT_TRUE(HitButton(button));
    EXPECT_FALSE(gPressPending);
    EXPECT_FALSE(HitButton(button)) << "a press is reported once";

    PressAt(2.0f, -0.8f);
    EXPECT_FALSE(HitButton(button));
    EXPECT_TRUE(gPressPending);
    EXPECT_FALSE(HitButton(button));
    EXPECT_TRUE(gPressPending) << "a miss stays pending frame after frame";

    const Button disabled = MakeButton(26.5f, 5, 22, 4, true);
    PressAt(0.5f, -0.8f);
    EXPECT_FALSE(HitButton(disabled));
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
