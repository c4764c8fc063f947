// The disc shared by the tree's nodes and the drag indicator's marks, and the bounded
// "character: state" formatter of the hover text and the panels. Called by display/.
// DrawDisc changes the current colour; nothing else here touches GL.
#include "display/primitives.h"

#include <GL/gl.h>

#include <cassert>
#include <cmath>
#include <cstring>

#include "display/scene.h"
#include "font/utf8.h"
#include "matrix/matrix.h"

namespace {
constexpr double kTenthTurn = 0.3141592653589793; // pi / 10
constexpr double kFullTurn = 6.283185307179586;   // 2 pi
} // namespace

namespace {
// Unit rim points of the 20 wedges: wedge i runs from rim point i to rim point i + 1.
struct DiscRim {
    int wedges = 0;
    float cosines[2][32];
    float sines[2][32];
};

// The angle is kept in single precision and compared against 2 pi as a double; that
// accumulation is what yields exactly 20 wedges. The end angle of a wedge is formed in
// double precision from the start angle.
const DiscRim& Rim() {
    static const DiscRim rim = [] {
        DiscRim r;
        for (float theta = 0.0f; theta < kFullTurn;
             theta = static_cast<float>(theta + kTenthTurn)) {
            assert(r.wedges < 32);
            const float next = static_cast<float>(theta + kTenthTurn);
            r.cosines[0][r.wedges] = std::cos(theta);
            r.sines[0][r.wedges] = std::sin(theta);
            r.cosines[1][r.wedges] = std::cos(next);
            r.sines[1][r.wedges] = std::sin(next);
            ++r.wedges;
        }
        assert(r.wedges == kDiscWedges); // the exported picture draws the same polygon
        return r;
    }();
    return rim;
}
} // namespace

void DrawDisc(float cx, float cy, float z, float radius, const float centreRgb[3],
              const float rimRgb[3]) {
    const DiscRim& rim = Rim();
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < rim.wedges; ++i) {
        glColor3fv(centreRgb);
        glVertex3f(cx, cy, z);
        // Every vertex is given its colour: WebGL's emulation of GL keeps no current
        // colour from one vertex to the next.
        glColor3fv(rimRgb);
        glVertex3f(cx + radius * rim.cosines[0][i], cy + radius * rim.sines[0][i], z);
        glColor3fv(rimRgb);
        glVertex3f(cx + radius * rim.cosines[1][i], cy + radius * rim.sines[1][i], z);
    }
    glEnd();
}

const char* StateNameOf(int character, int32_t state) {
    if (character < 0 || character >= kMaxCharacters || state < 0 || state >= kMaxStates) {
        return "---";
    }
    return gStateNames[character][state];
}

std::size_t FormatStateLine(char* out, std::size_t size, const char* characterName,
                            const char* stateName) {
    assert(size >= 4);
    static const char kSeparator[] = ": ";
    const std::size_t room = size - 1 - (sizeof kSeparator - 1);
    // Names live in fixed 100-byte slots; never look past one even if its terminator is lost.
    std::size_t a = strnlen(characterName, kMatrixNameSize);
    std::size_t b = strnlen(stateName, kMatrixNameSize);
    if (a + b > room) {
        const std::size_t half = room / 2;
        const std::size_t fullA = a;
        const std::size_t fullB = b;
        if (a <= half) {
            b = room - a;
        } else if (b <= half) {
            a = room - b;
        } else {
            a = half;
            b = room - half;
        }
        // A cut inside a UTF-8 character would leave a broken sequence, and the renderer
        // would then draw the whole line byte by byte.
        a = Utf8CutLength(characterName, fullA, a);
        b = Utf8CutLength(stateName, fullB, b);
    }
    char* p = out;
    std::memcpy(p, characterName, a);
    p += a;
    std::memcpy(p, kSeparator, sizeof kSeparator - 1);
    p += sizeof kSeparator - 1;
    std::memcpy(p, stateName, b);
    p += b;
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}
