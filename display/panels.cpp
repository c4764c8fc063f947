// The character panels' items: the root's states under "Ancestral Characters:" (every
// frame) and a picked node's derived characters under "This Node's" / "Derived
// Characters:" (from the tree's builder), at the places text_places.h gives, by the
// editor's rule or by the fewest changes. Text only; each character's line is noted in the
// scene for a click. DrawAncestralPanel and DrawNodePanel build the same items and replay
// them at once.
#include <algorithm>
#include <cassert>
#include <utility>

#include "display/display.h"
#include "display/scene_builders.h"
#include "display/text_places.h"
#include "matrix/matrix.h"

namespace {

constexpr float kTitleColour[3] = {0.0f, 0.0f, 0.0f};

void AddLines(Scene& scene, const std::vector<PlacedText>& lines,
              const std::vector<PlacedText>& hidden) {
    for (const PlacedText& line : lines) {
        const bool coloured = line.character >= 0 && line.character < kMaxCharacters;
        AddText(scene, line.x, line.y, line.size,
                coloured ? CharacterColour(line.character) : kTitleColour, line.text.c_str(),
                line.text.size());
        if (coloured) AddCharacterLine(scene, line);
        if (line.character == kMoreLine) AddMoreLine(scene, line, hidden);
    }
}

} // namespace

void AddMoreLine(Scene& scene, const PlacedText& line, const std::vector<PlacedText>& hidden) {
    MoreLines more{BoxOf(line, MeasureText), {}, line.size};
    for (const PlacedText& left : hidden)
        more.lines.emplace_back(left.text, left.character);
    scene.moreLines.push_back(std::move(more));
}

void AddCharacterLine(Scene& scene, const PlacedText& line) {
    scene.characterLines.push_back({BoxOf(line, MeasureText), line.character});
}

void AddAncestralPanel(Scene& scene, const Reconstruction* fewest) {
    std::vector<PlacedText> hidden;
    const std::vector<PlacedText> lines = AncestralListText(gRoot, MeasureText, fewest, &hidden);
    AddLines(scene, lines, hidden);
}

void AddNodePanel(Scene& scene, const CladeNode* node, const Reconstruction* fewest) {
    assert(node != nullptr);
    std::vector<PlacedText> hidden;
    const std::vector<PlacedText> lines = NodeListText(node, gRoot, MeasureText, fewest, &hidden);
    AddLines(scene, lines, hidden);
}

// In columns from the line's top-left corner, as many as the lines need, moved left and up
// as far as the window's edges ask.
void AddMoreLinesBox(Scene& scene) {
    constexpr float kPad = 1.0f;
    constexpr float kBox[3] = {1.0f, 1.0f, 0.94f};
    for (const MoreLines& more : scene.moreLines) {
        if (!InBox(more.box, scene.pointerPercentX, scene.pointerPercentY)) continue;
        const int rows = std::max(1, static_cast<int>((100.0f - 2.0f * kPad) / more.size) - 1);
        std::vector<float> columnWidths;
        for (std::size_t i = 0; i < more.lines.size(); ++i) {
            if (i % static_cast<std::size_t>(rows) == 0) columnWidths.push_back(0.0f);
            columnWidths.back() = std::max(
                columnWidths.back(), MeasureText(more.lines[i].first.c_str(), more.size) + kPad);
        }
        float width = kPad;
        for (float w : columnWidths)
            width += w;
        const int shownRows = std::min(rows, static_cast<int>(more.lines.size()));
        const float height = static_cast<float>(shownRows) * more.size + 2.0f * kPad;
        const float left = std::max(0.0f, std::min(more.box.left, 100.0f - width));
        const float top = std::max(0.0f, std::min(more.box.top, 100.0f - height));
        AddBox(scene, {left, top, left + width, top + height}, kBox);
        float x = left + kPad;
        for (std::size_t i = 0; i < more.lines.size(); ++i) {
            const std::size_t column = i / static_cast<std::size_t>(rows);
            const std::size_t row = i % static_cast<std::size_t>(rows);
            if (row == 0 && column > 0) x += columnWidths[column - 1];
            const int character = more.lines[i].second;
            AddText(scene, x, top + kPad + static_cast<float>(row) * more.size, more.size,
                    character >= 0 ? gCharacterColors[character] : kTitleColour,
                    more.lines[i].first.c_str());
        }
        return;
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
