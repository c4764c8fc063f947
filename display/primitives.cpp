// The disc shared by the tree's nodes and the drag indicator's marks, and the bounded
// "character: state" formatter of the hover text and the panels. Called by display/.
// DrawDisc changes the current colour; nothing else here touches GL.
#include "display/primitives.h"

#include <GL/gl.h>

#include <cassert>
#include <cmath>
#include <cstring>

#include "matrix/matrix.h"

namespace {
constexpr double kTenthTurn = 0.3141592653589793; // pi / 10
constexpr double kFullTurn = 6.283185307179586;   // 2 pi
} // namespace

void DrawDisc(float radius, const float centreRgb[3], const float rimRgb[3]) {
    // The angle is kept in single precision and compared against 2 pi as a double; that
    // accumulation is what yields exactly 20 wedges.
    glBegin(GL_TRIANGLES);
    for (float theta = 0.0f; theta < kFullTurn; theta = static_cast<float>(theta + kTenthTurn)) {
        const float next = static_cast<float>(theta + kTenthTurn);
        glColor3fv(centreRgb);
        glVertex2f(0.0f, 0.0f);
        glColor3fv(rimRgb);
        glVertex2f(radius * std::cos(theta), radius * std::sin(theta));
        glVertex2f(radius * std::cos(next), radius * std::sin(next));
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
        if (a <= half) {
            b = room - a;
        } else if (b <= half) {
            a = room - b;
        } else {
            a = half;
            b = room - half;
        }
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
