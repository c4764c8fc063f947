// The message line and the help overlay: text on a plain box, in window space at the end
// of the window's scene so that it lies over the drawing; pictures leave them out. Called
// by the frame. Reads the tree (gRoot) to keep the message off it. Touches no GL; text is
// measured with the font layer.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "display/geometry.h"
#include "display/scene_builders.h"
#include "display/text_places.h"
#include "font/text.h"

namespace {

// The message line's place: under the banner, right of the ancestral list's two columns,
// and short of the tree and the leaf labels where they reach up into its band.
constexpr float kMessageLeft = 42.0f;
constexpr float kMessageRight = 84.0f;
constexpr float kMessageGap = 1.0f; // between the box and a label or the tree
// The first that fits; the last is cut if needed. With larger text, the default sizes
// follow the scaled ones before a message is cut.
constexpr float kMessageSizes[] = {3, 2};

constexpr float kMessageBox[3] = {1.0f, 0.96f, 0.72f};
constexpr float kMessageText[3] = {0.35f, 0.0f, 0.0f};
constexpr float kHelpBox[3] = {0.97f, 0.97f, 1.0f};
constexpr float kHelpEdge[3] = {0.2f, 0.2f, 0.5f};

// Where the message box must end for the band of window rows from top to bottom. The
// tree's upper edge is the line from the root to the top leaf, y = -x/2: every branch
// rises at half a unit per unit, and the path of left children runs along that line, with
// the top leaf's disc its highest point. A disc centred on the line rises 0.224 units above
// it (its radius measured upright off a slope of one half), a marker's tip 0.15 and a
// branch band 0.05; so in the band the tree reaches no further left than where the line,
// raised that much, crosses the band's bottom. Leaf labels lie right of their discs, but
// a long one is measured all the same.
float MessageRight(float top, float bottom) {
    constexpr double kAboveLine = 0.23; // tree units
    constexpr double kDiscRadius = 0.2;
    constexpr double kTouch = 0.01; // percent: a box that only touches the tree is clear
    float right = kMessageRight;
    if (gRoot == nullptr) return right;
    const int n = gTaxonCount;
    const double topLeafY = -std::max(n - 1, 0) * 0.5;
    if (TreeToPercentY(topLeafY - kDiscRadius, n) < bottom - kTouch) {
        const double lineX = -2.0 * (PercentToTreeY(bottom, n) + kAboveLine);
        right = std::min(right, static_cast<float>(TreeToPercentX(lineX, n)) - kMessageGap);
    }
    std::vector<PercentBox> labels;
    AddLabelBoxes(gRoot, MeasureText, &labels, top, bottom);
    for (const PercentBox& label : labels) {
        if (label.right > kMessageLeft) right = std::min(right, label.left - kMessageGap);
    }
    return right;
}

void AddMessageLine(Scene& scene, const char* text) {
    if (text == nullptr || text[0] == '\0') return;
    // The largest size whose box leaves room for the whole text; else the smallest, cut.
    // Under the banner, 6 % down at the default text size.
    const float top = MessageLineTop();
    std::vector<float> sizes;
    for (float candidate : kMessageSizes)
        sizes.push_back(ScaledSize(candidate));
    for (float candidate : kMessageSizes)
        if (candidate < sizes.back()) sizes.push_back(candidate);
    float size = sizes.front();
    float right = kMessageRight;
    for (float candidate : sizes) {
        size = candidate;
        right = MessageRight(top, top + size + 1.0f);
        TextSetSize(size);
        if (TextGetWidth(text) <= right - kMessageLeft - 2.0f) break;
    }
    const std::string shown = FitText(text, right - kMessageLeft - 2.0f);
    const float bottom = top + size + 1.0f;
    AddBox(scene, {kMessageLeft, top, right, bottom}, kMessageBox);
    AddText(scene, kMessageLeft + 1.0f, top + 0.5f, size, kMessageText, shown.c_str());
}

void AddHelpOverlay(Scene& scene, const HelpLine* lines, int count) {
    constexpr float kLeft = 8.0f;
    constexpr float kRight = 92.0f;
    constexpr float kTop = 6.0f;
    constexpr float kRoom = 92.0f; // height for the lines, percent
    constexpr float kKeyColumn = 11.0f;
    constexpr float kTextColumn = 38.0f;
    constexpr float kBlack[3] = {0.0f, 0.0f, 0.0f};
    // Lines 3.5 percent apart while they fit, closer (and smaller) when there are many.
    const float step = std::min(3.5f, kRoom / static_cast<float>(count > 0 ? count : 1));
    const int size = step >= 3.2f ? 3 : 2;
    const float bottom = kTop + 1.0f + static_cast<float>(count) * step + 0.5f;
    AddBox(scene, {kLeft - 0.4f, kTop - 0.6f, kRight + 0.4f, bottom + 0.6f}, kHelpEdge);
    AddBox(scene, {kLeft, kTop, kRight, bottom}, kHelpBox);
    TextSetSize(size);
    float y = kTop + 1.0f;
    for (int i = 0; i < count; ++i, y += step) {
        const HelpLine& line = lines[i];
        if (line.keys == nullptr || line.keys[0] == '\0') { // a heading
            AddText(scene, kKeyColumn - 2.0f, y, size, kHelpEdge, line.text);
            continue;
        }
        AddText(scene, kKeyColumn, y, size, kBlack,
                FitText(line.keys, kTextColumn - kKeyColumn - 1.0f).c_str());
        AddText(scene, kTextColumn, y, size, kBlack,
                FitText(line.text, kRight - kTextColumn - 1.0f).c_str());
    }
}

} // namespace

std::string FitText(const char* text, float width) {
    // The current size, measured as the text layer has it set.
    return CutToFit(text, "", width, 0, [](const char* run, float) { return TextGetWidth(run); });
}

void AddWindowOverlays(Scene& scene, const char* message, const HelpLine* help, int helpCount) {
    AddMessageLine(scene, message);
    if (help != nullptr && helpCount > 0) AddHelpOverlay(scene, help, helpCount);
}
