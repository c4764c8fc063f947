// Where things are on screen, in one place: tree units <-> percent of the drawn area <->
// window pixels, the screen units of control bodies, the square a press picks a node in,
// and the box a push button's body takes. Input, the controls, the projections, the
// layouts, the scene painters and the picture export take their numbers from here.
// Inline, with no GL and no model (the export module includes it); geometry.cpp asks GL.
#pragma once

#include <cmath>

// ---- Percent of the drawn area -------------------------------------------------------

// A rectangle in percent of the drawn area (x right, y down).
struct PercentBox {
    float left, top, right, bottom;
};

// Percent of an extent (a width or a height, in pixels) as pixels, and back.
inline double PercentToPixels(double percent, double extent) {
    return percent * extent / 100.0;
}
inline double PixelsToPercent(double pixels, double extent) {
    return pixels * 100.0 / extent;
}

// ---- Window pixels -------------------------------------------------------------------

// The part of the window the picture is drawn in: the GL viewport, which the reshape rule
// holds at 4:3, in window pixels from the window's top-left corner, y down (as pointer
// events come). A window manager may keep the window itself larger (maximised on a
// projector); GL then draws in the viewport at its bottom left and leaves the rest blank.
struct DrawnArea {
    float left, top, width, height;
};
// A viewport that fills a window of width x height pixels.
inline DrawnArea WholeWindow(int width, int height) {
    return {0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)};
}
// The GL viewport (x, y of its bottom-left corner from the window's, width, height) in a
// window windowHeight pixels high.
inline DrawnArea ViewportArea(const int viewport[4], int windowHeight) {
    return {static_cast<float>(viewport[0]),
            static_cast<float>(windowHeight - viewport[1] - viewport[3]),
            static_cast<float>(viewport[2]), static_cast<float>(viewport[3])};
}
// The drawn area of the current GLUT window (its viewport). Needs the window's GL context.
DrawnArea CurrentDrawnArea();

// ---- Tree units ----------------------------------------------------------------------

// From 16 taxa the leaf column lies under the "Open File" button, whose box ends 6.9 % down
// (the top leaf's label started 4 to 5 % down). The view then keeps one more unit free
// above the tree, which puts the top leaf's disc and label below the button. With fewer
// taxa the view is the one the tree always had, so their pictures stay as they were; the
// trade-off: with 13 to 15 taxa the top leaf still meets the button's lower edge.
constexpr int kTaxaBelowButton = 16;
// Past 19 taxa a unit is short of the button's height: the room then puts the top leaf
// 9 % down, below the button, whatever the number of taxa.
inline double RoomAboveTree(int taxonCount) {
    if (taxonCount > 19) return (0.09 * (taxonCount + 1) - 1.0) / 0.91;
    return taxonCount >= kTaxaBelowButton ? 1.0 : 0.0;
}

// Past 19 taxa (sheets and NEXUS files take up to 40) the names get a quarter of the width:
// the leaves stand at 75 % across, so that 31 characters fit at the size their spacing allows.
constexpr int kMostTaxaOfFixedView = 19;
inline double ViewRight(int taxonCount) {
    return taxonCount > kMostTaxaOfFixedView ? taxonCount / 0.75 - 1.0
                                             : static_cast<double>(taxonCount + 2);
}

// The tree units at the drawn area's edges, y down: with N taxa x runs from -1 to N + 2
// (a unit free left of the root's stem, three right of the leaves for the names; past 19
// taxa, to ViewRight) and y
// from -(N + 1)/2 (less the room above the tree) to (N + 1)/2. The tree itself spans x 0 to
// N - 1 and y -(N - 1)/2 to (N - 1)/2 (clade layout).
struct TreeView {
    double left, top, right, bottom;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};
inline TreeView TreeViewOf(int taxonCount) {
    const double half = static_cast<double>(taxonCount + 1) * 0.5;
    return {-1.0, -half - RoomAboveTree(taxonCount), ViewRight(taxonCount), half};
}

// A point in tree units as percent of the drawn area. The sums keep the order of the
// original formulas, (x + 1) x 100 / (N + 3) and (y + N/2 + 1/2) x 100 / (N + 1), so that
// positions come out to the last bit as they always did.
inline double TreeToPercentX(double x, int taxonCount) {
    const TreeView view = TreeViewOf(taxonCount);
    return (x - view.left) * 100.0 / view.Width();
}
inline double TreeToPercentY(double y, int taxonCount) {
    return (y + 0.5 * taxonCount + 0.5 + RoomAboveTree(taxonCount)) * 100.0 /
           TreeViewOf(taxonCount).Height();
}
// A point in percent of the drawn area as tree units.
inline double PercentToTreeX(double percent, int taxonCount) {
    const TreeView view = TreeViewOf(taxonCount);
    return view.left + percent * view.Width() / 100.0;
}
inline double PercentToTreeY(double percent, int taxonCount) {
    const TreeView view = TreeViewOf(taxonCount);
    return view.top + percent * view.Height() / 100.0;
}
// A length in percent of the drawn area's width (height) as tree units.
inline float PercentToTreeWidth(float percent, int taxonCount) {
    return percent * static_cast<float>(TreeViewOf(taxonCount).Width()) / 100.0f;
}
inline float PercentToTreeHeight(float percent, int taxonCount) {
    return percent * static_cast<float>(TreeViewOf(taxonCount).Height()) / 100.0f;
}

// A pixel of the drawn area (from its top-left corner) as tree units: the pixel and the
// view's extent enter in single precision, the arithmetic runs in double, the result is a
// float. A pixel of the window is first made one of the area (AreaPixelX, AreaPixelY).
inline float PixelToTreeX(float px, float areaWidth, int taxonCount) {
    const TreeView view = TreeViewOf(taxonCount);
    const float span = static_cast<float>(view.Width());
    return static_cast<float>(static_cast<double>(px) / areaWidth * span + view.left);
}
inline float PixelToTreeY(float py, float areaHeight, int taxonCount) {
    const float span = static_cast<float>(TreeViewOf(taxonCount).Height());
    return static_cast<float>(static_cast<double>(py) / areaHeight * span - taxonCount * 0.5 - 0.5 -
                              RoomAboveTree(taxonCount));
}
inline float AreaPixelX(float windowX, const DrawnArea& area) {
    return windowX - area.left;
}
inline float AreaPixelY(float windowY, const DrawnArea& area) {
    return windowY - area.top;
}

// ---- Picking -------------------------------------------------------------------------

// A press picks a node (and the pointer is over it) when it lies strictly within this many
// tree units of the node's centre both ways: the disc's radius. Each difference is rounded
// to single precision first.
constexpr float kPickReach = 0.2f;
inline bool InPickSquare(float dx, float dy) {
    return std::fabs(dx) < kPickReach && std::fabs(dy) < kPickReach;
}

// ---- Screen units and the push button ------------------------------------------------

// Control bodies are drawn in screen units: 400 x 300 over the drawn area, y down, so a
// percent is 4 units across and 3 down.
constexpr float kScreenWidth = 400.0f;
constexpr float kScreenHeight = 300.0f;
constexpr float kScreenUnitsPerPercentX = kScreenWidth / 100.0f;
constexpr float kScreenUnitsPerPercentY = kScreenHeight / 100.0f;

// A push button's body in screen units: the face's centre and its half-extents (left and
// top negative), from the label's top-left corner (x, y) and its width and height (all
// percent). The face reaches 1 % beyond the label either side, and from 0.2 % below the
// label's top to 1.2 % below its bottom; the shadow is the face grown by kButtonShadow
// units on every side.
struct ButtonBody {
    float centerX, centerY;
    float left, top, right, bottom;
};
constexpr float kButtonShadow = 2.0f;
inline ButtonBody ButtonBodyOf(float x, float y, float width, float height) {
    return {(x + width / 2) * kScreenUnitsPerPercentX,
            (y + height / 2 + 0.7f) * kScreenUnitsPerPercentY,
            -(width / 2 + 1) * kScreenUnitsPerPercentX,
            -(height / 2 + 0.5f) * kScreenUnitsPerPercentY,
            (width / 2 + 1) * kScreenUnitsPerPercentX,
            (height / 2 + 0.5f) * kScreenUnitsPerPercentY};
}
// The box the body takes with its shadow, in percent: where the button is drawn, and where
// a press hits it.
inline PercentBox ButtonBoxOf(float x, float y, float width, float height) {
    const ButtonBody body = ButtonBodyOf(x, y, width, height);
    return {(body.centerX + body.left - kButtonShadow) / kScreenUnitsPerPercentX,
            (body.centerY + body.top - kButtonShadow) / kScreenUnitsPerPercentY,
            (body.centerX + body.right + kButtonShadow) / kScreenUnitsPerPercentX,
            (body.centerY + body.bottom + kButtonShadow) / kScreenUnitsPerPercentY};
}
// True when the point (percent) lies in the box, edges included.
inline bool InBox(const PercentBox& box, float x, float y) {
    return box.left <= x && x <= box.right && box.top <= y && y <= box.bottom;
}
