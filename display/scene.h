// The picture as data: an ordered list of drawing items, built by one function from the
// model and the interaction state, and followed by two back ends -- GL for the window
// (DrawScene) and cairo for exported pictures (the export module). Plain data and inline
// geometry only, no GL: the export module includes this header without the display code.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "display/geometry.h"

struct CladeNode;
struct ParsimonyView;
struct ReconstructionView;

// What the picture depends on besides the model: the interaction state of the window.
// The tree drawn is always the model's, gRoot.
struct SceneView {
    const CladeNode* dropTarget; // its branch is lit (may be null)
    const CladeNode* dragNode;   // the carried node; with a drop target, the indicator shows
    float pointerX;              // tree units; a marker within reach shows its hover text
    float pointerY;
    const ParsimonyView* parsimony = nullptr; // the parsimony tools' marks and panel, if any
    // The fewest-change markers and the trace, when either is on (reconstruction_view.h).
    const ReconstructionView* reconstructionView = nullptr;
};

// Where an item's coordinates live.
enum class SceneSpace : std::uint8_t {
    Tree,   // tree units: x -1 .. N+2 across, y -(N+1)/2 .. (N+1)/2 downward, N taxa;
            // z -10 .. 10 under the depth test, larger nearer the viewer
    Window, // percent of the window from its top-left corner, z 0; drawn in list order,
            // without the depth test, over the tree's items in pictures
};

// Every kind of item; each back end keeps one painter per kind, in this order.
enum class SceneKind : std::uint8_t {
    Disc,           // a shaded disc: centre colour fading to the rim colour
    Quad,           // a filled quadrilateral (branch bands, the indicator's band)
    Rect,           // an axis-parallel filled rectangle at depth 0 (the root stem)
    Marker,         // a change marker's filled triangle
    Outline,        // a change marker's black outline
    Arc,            // half an ellipse drawn as a line (the indicator's arc)
    Text,           // a run of text in the baked font's metrics
    WindowControls, // where the window's own controls are drawn; pictures leave them out
    Count
};

struct SceneDisc {
    float x, y, radius;
    float centre[3];
    float rim[3];
};
struct SceneQuad {
    float corners[4][2];
    float rgb[3];
};
struct SceneRect {
    float left, top, right, bottom;
    float rgb[3];
};
struct SceneMarker {
    float x, y; // the marker point on its branch
    float rgb[3];
    float scaleX, scaleY; // tree units per unit of kMarkerCorners (kMarkerScaleX/Y, or larger)
};
// Half an ellipse with one axis on the chord from (fromX, fromY) to (toX, toY).
struct SceneArc {
    float fromX, fromY, toX, toY;
    float rgb[3];
    float widthAt800; // line width in pixels of an 800-pixel-wide window; scales with it
};
struct SceneText {
    float x, y;   // top-left corner of the first glyph cell, percent of the window
    float size;   // percent of the window height, as the text layer takes it
    float height; // the cell height the text layer makes of size, percent of the height
    float rgb[3];
    std::uint32_t offset; // first byte in Scene::text; the run ends with a NUL there
    std::uint32_t length; // bytes, without the NUL
};

struct SceneItem {
    SceneKind kind;
    SceneSpace space;
    float z; // depth in the tree space; 0 for window items
    union {
        SceneDisc disc;
        SceneQuad quad;
        SceneRect rect;
        SceneMarker marker; // Marker and Outline
        SceneArc arc;
        SceneText text;
    };
};

// A line of a list that names one character (the ancestral and node lists, the parsimony
// panel): where it is drawn, for a click that traces the character.
struct CharacterLine {
    PercentBox box;
    int character;
};

// A list's "… and N more" line: where it is drawn, and the lines it stands for (text and
// size, with the character for its colour), which a pointer over it shows in a box.
struct MoreLines {
    PercentBox box;
    std::vector<std::pair<std::string, int>> lines;
    float size;
};

// The list and the bytes of its text runs. Clear keeps the storage, so a list rebuilt
// every frame allocates only while it grows past its largest size so far.
struct Scene {
    std::vector<SceneItem> items;
    std::vector<char> text;
    std::vector<SceneItem> pendingOutlines; // the marker builder's queues (scratch)
    std::vector<SceneItem> pendingNumbers;
    // The changes (character, state) whose markers are within reach of the pointer, in the
    // marker builder's order; their hover texts go on the bottom line (scratch).
    std::vector<std::pair<int, std::int32_t>> hoveredChanges;
    std::vector<CharacterLine> characterLines; // in drawing order
    std::vector<MoreLines> moreLines;          // the lists' "… and N more" lines
    float pointerPercentX = -1.0f;             // the pointer, percent of the window
    float pointerPercentY = -1.0f;
    int taxonCount = 0;           // N of the tree space when built
    int eventTotal = 0;           // change events on the markers drawn
    bool fewestChanges = false;   // the markers and the total follow the fewest changes
    float hoverTextLeft = 100.0f; // where the leftmost hover text starts, percent
    bool traceLegendShown = false;
    PercentBox traceLegend{0, 0, 0, 0}; // the trace's legend, which the panel keeps off

    void Clear() {
        items.clear();
        text.clear();
        pendingOutlines.clear();
        pendingNumbers.clear();
        hoveredChanges.clear();
        characterLines.clear();
        moreLines.clear();
        pointerPercentX = -1.0f;
        pointerPercentY = -1.0f;
        taxonCount = 0;
        eventTotal = 0;
        fewestChanges = false;
        hoverTextLeft = 100.0f;
        traceLegendShown = false;
        traceLegend = {0, 0, 0, 0};
    }
    // Appends an item of the kind in the space at depth z; the caller fills its data.
    SceneItem& Add(SceneKind kind, SceneSpace space, float z) {
        items.emplace_back();
        SceneItem& item = items.back();
        item.kind = kind;
        item.space = space;
        item.z = z;
        return item;
    }
    const char* TextOf(const SceneItem& item) const { return text.data() + item.text.offset; }
};

// ---- Geometry that both back ends follow ----

constexpr int kDiscWedges = 20; // a disc is this regular polygon around its centre

// The marker triangle in its own frame, apex up on screen (tree y grows downward), and
// its usual scale in tree units (presentation mode draws it larger, change_markers.cpp).
constexpr float kMarkerCorners[3][2] = {{0.0f, -1.0f}, {0.5f, 0.34f}, {-0.5f, 0.34f}};
constexpr float kMarkerScaleX = 0.25f;
constexpr float kMarkerScaleY = 0.15f;
constexpr float kOutlineWidth = 1.0f; // window pixels, whatever the window's size

inline float MarkerCornerX(const SceneMarker& marker, int k) {
    return marker.x + marker.scaleX * kMarkerCorners[k][0];
}
inline float MarkerCornerY(const SceneMarker& marker, int k) {
    return marker.y + marker.scaleY * kMarkerCorners[k][1];
}

// The arc's frame: turned by turnDegrees about its start, the chord's half length along
// the turned x axis and the bulge (signed) along its y axis.
struct ArcFrame {
    float turnDegrees;
    float halfChord;
    float bulge;
};
constexpr float kArcBulge = 0.2f;                // second semi-axis, as a share of the chord
constexpr double kArcStep = 0.15707963267948966; // pi / 20
constexpr double kHalfTurn = 3.141592653589793;

inline ArcFrame ArcFrameOf(const SceneArc& arc) {
    constexpr float kDegreesPerRadian = 57.29577951308232f;
    const float ddx = arc.toX - arc.fromX;
    const float ddy = arc.toY - arc.fromY;
    const float w = std::sqrt(ddx * ddx + ddy * ddy);
    const float h = (arc.toX > arc.fromX && arc.toY > arc.fromY) ? -kArcBulge * w : kArcBulge * w;
    return {90.0f - std::atan2(ddx, ddy) * kDegreesPerRadian, w / 2.0f, h};
}

// Calls visit(angle) for each point of the arc, from its end at the chord's far point.
// The angle accumulates in single precision; its 21st value lands just above pi, so the
// arc stops a twentieth of the half turn short of its start.
template <typename Visit> void ForEachArcAngle(Visit visit) {
    for (float d = 0.0f; d <= kHalfTurn; d = static_cast<float>(d + kArcStep)) {
        visit(d);
    }
}
