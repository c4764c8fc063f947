// Feedback capture, model set-up and coordinate conversion for the display's GL tests.
#include "tests/display/display_gl_support.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "display/display.h"
#include "display/geometry.h"
#include "font/text.h"
#include "matrix/matrix.h"
#include "tests/support/gl_test_window.h"

void PrepareGl() {
    static bool ready = false;
    if (!ready) {
        EnsureTestWindow(kTestWidth, kTestHeight);
        TextInit();
        ready = true;
    }
    glViewport(0, 0, kTestWidth, kTestHeight);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLineWidth(1.0f);
}

std::string MatrixCsv(const std::vector<std::string>& taxa,
                      const std::vector<std::vector<std::string>>& rows) {
    std::string csv = "Test matrix\nid,name";
    for (const auto& t : taxa)
        csv += "," + t;
    csv += ",UNUSED,UNUSED\n";
    for (size_t c = 0; c < rows.size(); ++c) {
        csv += std::to_string(c + 1) + ",C" + std::to_string(c);
        for (const auto& cell : rows[c])
            csv += "," + cell;
        csv += "\n";
    }
    csv += std::to_string(rows.size() + 1) + ",UNUSED\n";
    return csv;
}

void LoadMatrix(const std::string& csv) {
    char path[] = "/tmp/qm-display-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream out(path, std::ios::binary);
        out << csv;
    }
    Refusal why;
    const bool loaded = LoadCharacterMatrix(path, &why);
    std::remove(path);
    ASSERT_TRUE(loaded) << DescribeRefusal(why);
    BuildInitialTree();
    RebuildTree();
}

void ResetModel() {
    ResetClade(true);
    ResetMatrix();
    BuildInitialTree();
    RebuildTree();
    ResetDisplay();
}

std::vector<FbPrimitive> CaptureFeedback(const std::function<void()>& draw) {
    static std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<FbPrimitive> out;
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    if (used < 0) return out;

    GLint i = 0;
    auto vertex = [&]() {
        FbVertex v{};
        v.x = buffer[i];
        v.y = buffer[i + 1];
        v.z = buffer[i + 2];
        v.r = buffer[i + 3];
        v.g = buffer[i + 4];
        v.b = buffer[i + 5];
        v.a = buffer[i + 6];
        i += 7;
        return v;
    };
    while (i < used) {
        const GLint token = static_cast<GLint>(buffer[i++]);
        switch (token) {
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            out.push_back({FbPrimitive::Point, {vertex()}});
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN: {
            FbPrimitive p{FbPrimitive::Line, {}};
            p.v.push_back(vertex());
            p.v.push_back(vertex());
            out.push_back(p);
            break;
        }
        case GL_POLYGON_TOKEN: {
            const GLint n = static_cast<GLint>(buffer[i++]);
            FbPrimitive p{FbPrimitive::Polygon, {}};
            for (GLint k = 0; k < n; ++k)
                p.v.push_back(vertex());
            out.push_back(p);
            break;
        }
        case GL_PASS_THROUGH_TOKEN:
            ++i;
            break;
        default:
            ADD_FAILURE() << "unknown feedback token " << token;
            return out;
        }
    }
    return out;
}

TreePoint ToTree(const FbVertex& v) {
    const TreeView view = TreeViewOf(gTaxonCount);
    TreePoint p;
    p.x = static_cast<float>(view.left + v.x / kTestWidth * view.Width());
    p.y = static_cast<float>(view.bottom - v.y / kTestHeight * view.Height());
    p.z = 10.0f * (1.0f - 2.0f * v.z);
    return p;
}

bool IsTextVertex(const FbVertex& v) {
    return std::fabs(v.z - 4.0f / 9.0f) < 1e-3f;
}

bool HasColour(const FbVertex& v, float r, float g, float b) {
    constexpr float kTolerance = 1e-3f;
    return std::fabs(v.r - r) < kTolerance && std::fabs(v.g - g) < kTolerance &&
           std::fabs(v.b - b) < kTolerance;
}

std::vector<FbPrimitive> PolygonsOfColour(const std::vector<FbPrimitive>& all, float r, float g,
                                          float b, bool text) {
    std::vector<FbPrimitive> out;
    for (const auto& p : all) {
        if (p.kind != FbPrimitive::Polygon || p.v.empty()) continue;
        bool keep = true;
        for (const auto& v : p.v)
            keep = keep && HasColour(v, r, g, b) && IsTextVertex(v) == text;
        if (keep) out.push_back(p);
    }
    return out;
}

TextBox TextBoxOf(const std::vector<FbPrimitive>& textPolygons) {
    TextBox box;
    for (const auto& p : textPolygons) {
        for (const auto& v : p.v) {
            const float px = v.x;
            const float py = kTestHeight - v.y;
            if (!box.found) {
                box = {true, px, py, px, py};
                continue;
            }
            box.left = std::min(box.left, px);
            box.right = std::max(box.right, px);
            box.top = std::min(box.top, py);
            box.bottom = std::max(box.bottom, py);
        }
    }
    return box;
}
