// The characters' colours (CharacterColour) and the presentation mode that chooses between
// the usual table (matrix.h) and the colour-blind-safe palette (palette.h). Called by the
// marker, panel and parsimony builders; the app sets the mode. No GL.
#include <cassert>
#include <iterator>

#include "display/display.h"
#include "display/palette.h"
#include "matrix/matrix.h"

bool gPresentationMode = false;

namespace {

// The characters' turn through the palette: every colour but yellow, whose lines in the
// character lists and on the bottom line would be too faint on white to read.
constexpr int kCharacterTurn[] = {0, 1, 2, 3, 4, 5, 7};

} // namespace

const float* CharacterColour(int character) {
    assert(character >= 0 && character < kMaxCharacters);
    if (!gPresentationMode) return gCharacterColors[character];
    return kSafeColours[kCharacterTurn[static_cast<std::size_t>(character) %
                                       std::size(kCharacterTurn)]];
}
