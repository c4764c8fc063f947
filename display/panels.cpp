// The character panels' items: the root's states under "Ancestral Characters:" (every
// frame) and a picked node's derived characters under "This Node's" / "Derived
// Characters:" (from the tree's builder). Text only. DrawAncestralPanel and DrawNodePanel
// build the same items and replay them at once.
#include <algorithm>
#include <cassert>

#include "display/display.h"
#include "display/primitives.h"
#include "display/scene_builders.h"
#include "matrix/matrix.h"

namespace {

constexpr int kTitleSize = 4;
constexpr float kTitleColour[3] = {0.0f, 0.0f, 0.0f};
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

void AddTitle(Scene& scene, float x, float y, const char* title) {
    AddText(scene, x, y, kTitleSize, kTitleColour, title);
}

void AddSlot(Scene& scene, const ListLayout& layout, float top, int slot, int character,
             int32_t state) {
    char txt[kLineSize];
    FormatStateLine(txt, sizeof txt, gCharacterNames[character], StateNameOf(character, state));
    const int column = slot / layout.rows;
    const int row = slot % layout.rows;
    AddText(scene, static_cast<float>(column) * kColumnWidth + kLeftMargin,
            static_cast<float>(row * layout.size) + top, layout.size, gCharacterColors[character],
            txt);
}

} // namespace

void AddAncestralPanel(Scene& scene) {
    AddTitle(scene, kLeftMargin, 0.0f, "Ancestral Characters:");
    if (gRoot == nullptr) return;
    const ListLayout layout = LayoutFor(CharacterCount());
    for (int c = 0; c < CharacterCount(); ++c) {
        AddSlot(scene, layout, kAncestralTop, c, c, gRoot->states[c]);
    }
}

void AddNodePanel(Scene& scene, const CladeNode* node) {
    assert(node != nullptr);
    AddTitle(scene, kLeftMargin, 54.0f, "This Node's");
    AddTitle(scene, kLeftMargin, 58.0f, "Derived Characters:");
    if (gRoot == nullptr) return;
    const ListLayout layout = LayoutFor(CharacterCount());
    int slot = 0;
    for (int c = 0; c < CharacterCount(); ++c) {
        if (node->states[c] == gRoot->states[c]) continue;
        AddSlot(scene, layout, kNodeListTop, slot, c, node->states[c]);
        ++slot;
        // The second column leaves its first three rows empty; later columns start at the top.
        if (slot == layout.rows) slot += 3;
    }
}

void DrawAncestralPanel() {
    Scene& scene = ScratchScene();
    AddAncestralPanel(scene);
    DrawScene(scene);
}

void DrawNodePanel(const CladeNode* node) {
    Scene& scene = ScratchScene();
    AddNodePanel(scene, node);
    DrawScene(scene);
}
