// The character panels: the root's states under "Ancestral Characters:" (every frame) and
// a picked node's derived characters under "This Node's" / "Derived Characters:" (from
// DrawTree). Only text calls: changes the text size and colour, nothing else.
#include <algorithm>
#include <cassert>

#include "display/display.h"
#include "display/primitives.h"
#include "font/text.h"
#include "matrix/matrix.h"

namespace {

constexpr int kTitleSize = 4;
constexpr float kAncestralTop = 4.0f;
constexpr float kNodeListTop = 62.0f;
constexpr float kColumnWidth = 20.0f;
constexpr float kLeftMargin = 1.0f;
constexpr int kLineSize = 50; // 49 characters and the terminator

// List geometry for K characters: smaller text and more rows per column as K grows.
struct ListLayout {
    int size; // text size, percent of the window height
    int rows; // lines per column
};

// The characters to list: never more than the tables hold.
int CharacterCount() {
    return std::clamp(gCharacterCount, 0, kMaxCharacters);
}

ListLayout LayoutFor(int characterCount) {
    const int size = 5 - characterCount / 6;
    assert(size > 0);
    return {size, 30 / size};
}

void PrintTitle(float x, float y, const char* title) {
    TextSetColor(0.0f, 0.0f, 0.0f);
    TextSetSize(kTitleSize);
    TextPrint(x, y, title);
}

void PrintSlot(const ListLayout& layout, float top, int slot, int character, int32_t state) {
    char txt[kLineSize];
    FormatStateLine(txt, sizeof txt, gCharacterNames[character], StateNameOf(character, state));
    const float* colour = gCharacterColors[character];
    TextSetColor(colour[0], colour[1], colour[2]);
    const int column = slot / layout.rows;
    const int row = slot % layout.rows;
    TextPrint(static_cast<float>(column) * kColumnWidth + kLeftMargin,
              static_cast<float>(row * layout.size) + top, txt);
}

} // namespace

void DrawAncestralPanel() {
    PrintTitle(kLeftMargin, 0.0f, "Ancestral Characters:");
    const ListLayout layout = LayoutFor(CharacterCount());
    TextSetSize(layout.size);
    if (gRoot == nullptr) return;
    for (int c = 0; c < CharacterCount(); ++c) {
        PrintSlot(layout, kAncestralTop, c, c, gRoot->states[c]);
    }
}

void DrawNodePanel(const CladeNode* node) {
    assert(node != nullptr);
    PrintTitle(kLeftMargin, 54.0f, "This Node's");
    PrintTitle(kLeftMargin, 58.0f, "Derived Characters:");
    const ListLayout layout = LayoutFor(CharacterCount());
    TextSetSize(layout.size);
    if (gRoot == nullptr) return;
    int slot = 0;
    for (int c = 0; c < CharacterCount(); ++c) {
        if (node->states[c] == gRoot->states[c]) continue;
        PrintSlot(layout, kNodeListTop, slot, c, node->states[c]);
        ++slot;
        // The second column leaves its first three rows empty; later columns start at the top.
        if (slot == layout.rows) slot += 3;
    }
}
