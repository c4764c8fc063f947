// The character panels' items: the root's states under "Ancestral Characters:" (every
// frame) and a picked node's derived characters under "This Node's" / "Derived
// Characters:" (from the tree's builder), at the places text_places.h gives, by the
// editor's rule or by the fewest changes. Text only; each character's line is noted in the
// scene for a click. DrawAncestralPanel and DrawNodePanel build the same items and replay
// them at once.
#include <cassert>

#include "display/display.h"
#include "display/scene_builders.h"
#include "display/text_places.h"
#include "matrix/matrix.h"

namespace {

constexpr float kTitleColour[3] = {0.0f, 0.0f, 0.0f};

void AddLines(Scene& scene, const std::vector<PlacedText>& lines) {
    for (const PlacedText& line : lines) {
        const bool coloured = line.character >= 0 && line.character < kMaxCharacters;
        AddText(scene, line.x, line.y, line.size,
                coloured ? CharacterColour(line.character) : kTitleColour, line.text.c_str(),
                line.text.size());
        if (coloured) AddCharacterLine(scene, line);
    }
}

} // namespace

void AddCharacterLine(Scene& scene, const PlacedText& line) {
    scene.characterLines.push_back({BoxOf(line, MeasureText), line.character});
}

void AddAncestralPanel(Scene& scene, const Reconstruction* fewest) {
    AddLines(scene, AncestralListText(gRoot, MeasureText, fewest));
}

void AddNodePanel(Scene& scene, const CladeNode* node, const Reconstruction* fewest) {
    assert(node != nullptr);
    AddLines(scene, NodeListText(node, gRoot, MeasureText, fewest));
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
