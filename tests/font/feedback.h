// Captures what immediate-mode drawing sends to GL through feedback mode: every triangle
// with window coordinates (y up from the bottom), colour and texture coordinate.
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <functional>
#include <vector>

struct FeedbackVertex {
    float x, y, z;
    float r, g, b, a;
    float s, t;
};

using FeedbackTriangle = std::vector<FeedbackVertex>;

// Runs draw in feedback mode and returns its polygons in drawing order.
inline std::vector<FeedbackTriangle> CaptureFeedback(const std::function<void()>& draw) {
    static std::vector<GLfloat> buffer(1 << 18);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<FeedbackTriangle> polygons;
    for (GLint i = 0; i < used;) {
        const GLint token = static_cast<GLint>(buffer[i++]);
        if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        }
        if (token != GL_POLYGON_TOKEN) {
            break; // only filled polygons are drawn by the code under test
        }
        const GLint count = static_cast<GLint>(buffer[i++]);
        FeedbackTriangle polygon;
        for (GLint v = 0; v < count; ++v, i += 11) {
            const GLfloat* f = &buffer[i];
            polygon.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
        }
        polygons.push_back(polygon);
    }
    return polygons;
}

// The box around a run of polygons, in window coordinates flipped to y down from the
// top of a viewport windowHeight pixels high.
struct Box {
    float left, top, right, bottom;
};

inline Box BoxOf(const std::vector<FeedbackTriangle>& polygons, std::size_t first,
                 std::size_t count, float windowHeight) {
    Box box{1e9f, 1e9f, -1e9f, -1e9f};
    for (std::size_t p = first; p < first + count && p < polygons.size(); ++p) {
        for (const FeedbackVertex& v : polygons[p]) {
            box.left = std::min(box.left, v.x);
            box.right = std::max(box.right, v.x);
            box.top = std::min(box.top, windowHeight - v.y);
            box.bottom = std::max(box.bottom, windowHeight - v.y);
        }
    }
    return box;
}
