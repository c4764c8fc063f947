// The GL back end of the scene: replays the items in list order with the same immediate-
// mode primitives the window has always drawn, keeping to what both desktop GL and the
// browser's emulation of it over WebGL have (no glRectf, no attribute stack, no wide
// lines). Called by the frame and the single-part Draw functions. Sets the tree projection
// before the first tree item and a percent projection before a shape in window space
// (leaving GL_MODELVIEW selected); changes the current colour, the line width (outlines
// leave it at 1) and the text settings; text leaves blending and texturing off.
#include <GL/freeglut.h>

#include <cassert>
#include <cmath>
#include <iterator>

#include "display/display.h"
#include "display/geometry.h"
#include "display/primitives.h"
#include "font/text.h"

namespace {

constexpr int kArcPointCount = 20; // the points ForEachArcAngle visits (scene.h)

struct Replay {
    const Scene& scene;
    const std::function<void()>& drawControls;
    bool projectionSet;     // a projection set by this replay is still in place,
    bool treeProjection;    //   the tree's or else the window's
    SceneKind previousKind; // an outline run sets its colour and width once
};

// Percent of the window, y down, for shapes placed like text.
void SetWindowProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 100.0, 100.0, 0.0, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
}

// Sets the projection of the item's space when it is not in place. Text runs place
// themselves (the text layer has a projection of its own), and so do the controls.
void Begin(Replay& replay, const SceneItem& item) {
    if (item.kind == SceneKind::Text || item.kind == SceneKind::WindowControls) return;
    const bool tree = item.space == SceneSpace::Tree;
    if (replay.treeProjection == tree && replay.projectionSet) return;
    if (tree) {
        SetTreeProjection();
    } else {
        SetWindowProjection();
    }
    replay.treeProjection = tree;
    replay.projectionSet = true;
}

// The marker's corners are placed here rather than through the model-view matrix: a
// matrix change makes GL end its batch, and a full tree has hundreds of markers.
void MarkerShape(GLenum mode, const SceneMarker& marker, float z) {
    glBegin(mode);
    for (int k = 0; k < 3; ++k)
        glVertex3f(MarkerCornerX(marker, k), MarkerCornerY(marker, k), z);
    glEnd();
}

void PaintDisc(Replay&, const SceneItem& item) {
    const SceneDisc& d = item.disc;
    DrawDisc(d.x, d.y, item.z, d.radius, d.centre, d.rim);
}

void PaintQuad(Replay&, const SceneItem& item) {
    glColor3fv(item.quad.rgb);
    glBegin(GL_QUADS);
    for (const auto& corner : item.quad.corners)
        glVertex3f(corner[0], corner[1], item.z);
    glEnd();
}

void PaintRect(Replay&, const SceneItem& item) {
    assert(item.z == 0.0f); // drawn at depth 0, where glRectf drew
    const SceneRect& r = item.rect;
    glColor3fv(r.rgb);
    // Window items lie over the tree's, in list order, as text does.
    const bool window = item.space == SceneSpace::Window;
    if (window) glDisable(GL_DEPTH_TEST);
    // The corners in glRectf's order; WebGL's emulation has no glRectf.
    glBegin(GL_QUADS);
    glVertex3f(r.left, r.top, 0.0f);
    glVertex3f(r.right, r.top, 0.0f);
    glVertex3f(r.right, r.bottom, 0.0f);
    glVertex3f(r.left, r.bottom, 0.0f);
    glEnd();
    if (window) glEnable(GL_DEPTH_TEST);
}

void PaintMarker(Replay&, const SceneItem& item) {
    glColor3fv(item.marker.rgb);
    MarkerShape(GL_TRIANGLES, item.marker, item.z);
}

void PaintOutline(Replay& replay, const SceneItem& item) {
    if (replay.previousKind != SceneKind::Outline) {
        glColor3fv(item.marker.rgb);
        glLineWidth(kOutlineWidth);
    }
    MarkerShape(GL_LINE_LOOP, item.marker, item.z);
}

// The arc is a band as wide as its line, not a wide line: WebGL draws lines one pixel
// wide only. The curve's points are taken to pixels of the drawn area, where each gets two
// corners half the width to either side along the curve's normal, and the corners are
// taken back to tree units: the band keeps its width in pixels however the tree is scaled.
void PaintArc(Replay& replay, const SceneItem& item) {
    const SceneArc& arc = item.arc;
    const ArcFrame frame = ArcFrameOf(arc);
    const float turn = frame.turnDegrees / 57.29577951308232f;
    const float c = std::cos(turn), s = std::sin(turn);
    const DrawnArea area = CurrentDrawnArea();
    const TreeView view = TreeViewOf(replay.scene.taxonCount);
    const double xScale = area.width / view.Width(), yScale = area.height / view.Height();
    float points[kArcPointCount][2]; // pixels from the view's top-left corner
    int count = 0;
    ForEachArcAngle([&](float d) {
        if (count == kArcPointCount) return;
        const float u = frame.halfChord + frame.halfChord * std::cos(d);
        const float v = frame.bulge * std::sin(d);
        points[count][0] = static_cast<float>((arc.fromX + c * u - s * v - view.left) * xScale);
        points[count][1] = static_cast<float>((arc.fromY + s * u + c * v - view.top) * yScale);
        ++count;
    });
    assert(count == kArcPointCount);
    const float half = area.width * arc.widthAt800 / 800.0f / 2.0f;
    glColor3fv(arc.rgb);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < count; ++i) {
        const float* before = points[i > 0 ? i - 1 : i];
        const float* after = points[i + 1 < count ? i + 1 : i];
        const float tx = after[0] - before[0], ty = after[1] - before[1];
        const float length = std::sqrt(tx * tx + ty * ty);
        const float nx = length > 0.0f ? -ty / length * half : 0.0f;
        const float ny = length > 0.0f ? tx / length * half : 0.0f;
        for (const float side : {1.0f, -1.0f}) {
            glVertex3f(static_cast<float>((points[i][0] + side * nx) / xScale + view.left),
                       static_cast<float>((points[i][1] + side * ny) / yScale + view.top), item.z);
        }
    }
    glEnd();
}

void PaintText(Replay& replay, const SceneItem& item) {
    const SceneText& text = item.text;
    TextSetColor(text.rgb[0], text.rgb[1], text.rgb[2]);
    TextSetSize(text.size);
    TextPrint(text.x, text.y, replay.scene.TextOf(item));
}

void PaintWindowControls(Replay& replay, const SceneItem&) {
    if (!replay.drawControls) return;
    replay.drawControls();
    replay.projectionSet = false; // controls draw in a projection of their own
}

// One painter per item kind, in the order of SceneKind.
using Painter = void (*)(Replay& replay, const SceneItem& item);
const Painter kPainters[] = {PaintDisc,    PaintQuad, PaintRect, PaintMarker,
                             PaintOutline, PaintArc,  PaintText, PaintWindowControls};
static_assert(std::size(kPainters) == static_cast<std::size_t>(SceneKind::Count),
              "one GL painter per scene item kind");

} // namespace

void DrawScene(const Scene& scene, const std::function<void()>& drawControls) {
    Replay replay{scene, drawControls, false, false, SceneKind::Count};
    for (const SceneItem& item : scene.items) {
        Begin(replay, item);
        kPainters[static_cast<std::size_t>(item.kind)](replay, item);
        replay.previousKind = item.kind;
    }
}
