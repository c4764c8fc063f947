// The places of the frame's own text (see text_places.h): one rule per kind of text, used
// by the scene builders that draw it and by the parsimony layout that keeps clear of it.
// Pure apart from MeasureText, which sets the font layer's text size; no GL.
#include "display/text_places.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "clade/clade.h"
#include "clade/reconstruction.h"
#include "display/display.h"
#include "display/primitives.h"
#include "font/text.h"
#include "matrix/cell_sets.h"
#include "matrix/matrix.h"

int gTextScalePercent = 100;

namespace {

constexpr float kRightEdge = 100.0f;
constexpr float kWindowBottom = 100.0f;

// Sizes here are those of the default look (a text scale of 100 %); ScaledSize gives the
// drawn one. Smallest sizes text is shrunk to before it is cut: the lists already use
// size 2 at 18 and 19 characters, and it stays legible in rows of their own; a label or a
// hover text is read on its own, across the tree, and stops at 3.
constexpr float kLeastLabelSize = 3;
constexpr float kLeastListSize = 2;
constexpr float kLeastHoverSize = 3;

constexpr float kTitleSize = 4;
constexpr float kListLeft = 1.0f;
constexpr float kColumnWidth = 20.0f;       // at the default text scale; wider with larger text
constexpr int kListColumns = 2;             // a third column would run into the banner and the tree
constexpr int kMostScaleOfTwoColumns = 150; // larger text leaves a single column
constexpr float kListBand = 30.0f;          // the height each list's rows fill
constexpr float kNodeTitleTop = 54.0f;
constexpr float kListGap = 1.0f; // between a line and what it must not meet
constexpr float kPresentationListSize = 3.0f;
// Ends a list that cannot show every character; the hover box names the rest.
constexpr char kMoreLineFormat[] = "\u2026 and %d more";

constexpr char kBanner[] = "Quillmoor";
constexpr float kBannerX = 40.0f;
constexpr float kBannerY = 1.0f;
constexpr float kBannerSize = 5;

// "Open File" stands at 90 % across unless its label is too wide for the rest of the
// window; then it moves left until its body ends at 99 %, so the label is never cut off.
constexpr char kOpenFileLabel[] = "Open File";
constexpr float kOpenFileSize = 5;
constexpr float kOpenFileY = 1.0f;

// The bottom line hangs from the window's foot: the total's text ends at 99 %, a hover
// text's at 100 % (95 % down at the default sizes).
constexpr float kTotalX = 2.0f;
constexpr float kTotalBottom = 99.0f;
constexpr float kTotalSize = 4;
constexpr float kHoverSize = 5;
constexpr float kHoverRightmostStart = 70.0f;
constexpr float kHoverGap = 2.0f;
constexpr float kLeastHoverRoom = 6.0f; // less than this holds no readable text

// Where the button's box ends, shadow included (its height does not hang on the label's
// width, so no measure is needed).
float OpenFileButtonBottom() {
    return ButtonBoxOf(0.0f, kOpenFileY, 0.0f, 0.8f * kOpenFileSize).bottom;
}

float BottomLineY() {
    return kWindowBottom - ScaledSize(kHoverSize);
}

// Percent of the window height from one leaf to the next.
float LeafSpacing(int taxonCount) {
    return static_cast<float>(100.0 / TreeViewOf(taxonCount).Height());
}

// Label size in percent of the window height at 100 %: smaller as the column of leaves
// fills up; past 19 taxa, the half percents that the leaf spacing holds.
float BaseLabelSize(int taxonCount) {
    if (taxonCount > 19) return std::min(4.0f, std::floor(LeafSpacing(taxonCount) * 1.9f) / 2.0f);
    if (taxonCount > 15) return 4;
    if (taxonCount > 10) return 5;
    if (taxonCount > 5) return 6;
    return 7;
}
// The drawn size: scaled, but never taller than the room from one leaf to the next (the
// default sizes fit in it at any number of taxa).
float LabelSize(int taxonCount) {
    const float base = BaseLabelSize(taxonCount);
    return std::min(ScaledSize(base), std::max(base, LeafSpacing(taxonCount) * 0.9f));
}

// Keeps line as it is when it fits in room. Otherwise name + tail at the largest smaller
// size down to least at which it fits, centred on the same line; at least, name cut with
// "..." before the tail, or the whole cut at its end when not even the tail fits. Returns
// whether the line changed.
bool FitLine(PlacedText* line, const std::string& name, const std::string& tail, float room,
             float least, TextWidthFn width) {
    if (width(line->text.c_str(), line->size) <= room) return false;
    const std::string whole = name + tail;
    const float middle = line->y + line->size / 2.0f;
    float size = line->size;
    while (size > least && width(whole.c_str(), size) > room)
        size = std::max(size - 1.0f, least);
    line->size = size;
    line->y = middle - size / 2.0f;
    if (width(whole.c_str(), size) <= room) {
        line->text = whole;
        return true;
    }
    line->text = CutToFit(name, tail, room, size, width);
    if (width(line->text.c_str(), size) > room) line->text = CutToFit(whole, "", room, size, width);
    return true;
}

// List geometry for K characters: smaller text and more rows per column as K grows, down
// to size 2 from 18 characters; in presentation mode one size for every list.
struct ListLayout {
    float size;  // text size, percent of the window height
    int rows;    // lines per column
    float least; // the size a line too wide may shrink to
    int columns;
    float columnWidth;
};

int ListedCharacters() {
    return std::clamp(gCharacterCount, 0, kMaxCharacters);
}

ListLayout ListLayoutFor(int characters, float band) {
    const float base = gPresentationMode ? kPresentationListSize
                                         : static_cast<float>(std::max(5 - characters / 6, 2));
    const float size = ScaledSize(base);
    const int rows = std::max(1, static_cast<int>(std::floor(band / size)));
    const float scale = static_cast<float>(gTextScalePercent) / 100.0f;
    return {size, rows, gPresentationMode ? size : std::min(size, ScaledSize(kLeastListSize)),
            gTextScalePercent > kMostScaleOfTwoColumns ? 1 : kListColumns,
            kColumnWidth * std::max(1.0f, scale)};
}

struct Slot {
    int character;
    int32_t state;
    int column;
    int row;
    std::string stateText; // in place of the state's name when not empty
};

// A title, cut short of the banner when the text scale makes it that wide.
PlacedText Title(float y, const char* text, TextWidthFn width) {
    PlacedText title{text, kListLeft, y, ScaledSize(kTitleSize), -1};
    const PercentBox banner = BoxOf(BannerText(), width);
    if (y < banner.bottom) {
        const float room = banner.left - kListGap - kListLeft;
        if (width(text, title.size) > room)
            title.text = CutToFit(text, "", room, title.size, width);
    }
    return title;
}

// The marker number that leads a character's line in presentation mode.
std::string LegendNumber(int character) {
    return gPresentationMode ? std::to_string(character + 1) + "  " : std::string();
}

// Keeps the slots that fit in the list's columns; when some do not, the last place shown
// says how many more there are, and the characters left out go to hidden (in order).
void KeepSlotsThatFit(std::vector<Slot>* slots, int capacity, std::vector<Slot>* hidden) {
    if (static_cast<int>(slots->size()) <= capacity) return;
    const Slot last = (*slots)[static_cast<std::size_t>(capacity - 1)];
    hidden->assign(slots->begin() + capacity - 1, slots->end());
    slots->resize(static_cast<std::size_t>(capacity - 1));
    char more[40];
    std::snprintf(more, sizeof more, kMoreLineFormat, static_cast<int>(hidden->size()));
    slots->push_back({kMoreLine, 0, last.column, last.row, more});
}

// The lines of the slots left out, whole, at the list's size (unplaced), for the hover box.
void HiddenLines(const std::vector<Slot>& left, const ListLayout& layout,
                 std::vector<PlacedText>* hidden) {
    if (hidden == nullptr) return;
    hidden->clear();
    for (const Slot& slot : left) {
        const char* state = StateNameOf(slot.character, slot.state);
        const char* name = gCharacterNames[slot.character];
        hidden->push_back(
            {LegendNumber(slot.character) + std::string(name, strnlen(name, kMatrixNameSize)) +
                 ": " +
                 (slot.stateText.empty() ? std::string(state, strnlen(state, kMatrixNameSize))
                                         : slot.stateText),
             0.0f, 0.0f, layout.size, slot.character});
    }
}

// The lines of the slots under top, each fitted between its column's left edge and the
// first thing to its right on its row (see text_places.h), appended to out.
void AddListLines(const std::vector<Slot>& slots, const ListLayout& layout, float top,
                  const CladeNode* root, TextWidthFn width, std::vector<PlacedText>* out) {
    if (slots.empty()) return;
    std::vector<PercentBox> obstacles = {BoxOf(BannerText(), width),
                                         OpenFileButtonPlace(width).box};
    int rows = 0;
    for (const Slot& slot : slots)
        rows = std::max(rows, slot.row + 1);
    AddLabelBoxes(root, width, &obstacles, top, top + static_cast<float>(rows) * layout.size);
    std::map<std::pair<int, int>, float> columnStarts; // (column, row) -> left
    for (const Slot& slot : slots)
        columnStarts[{slot.column, slot.row}] =
            static_cast<float>(slot.column) * layout.columnWidth + kListLeft;

    for (const Slot& slot : slots) {
        std::string name;
        std::string tail;
        if (slot.character == kMoreLine) {
            name = slot.stateText;
        } else {
            name = LegendNumber(slot.character) +
                   std::string(gCharacterNames[slot.character],
                               strnlen(gCharacterNames[slot.character], kMatrixNameSize));
            const char* state = StateNameOf(slot.character, slot.state);
            tail =
                ": " + (slot.stateText.empty() ? std::string(state, strnlen(state, kMatrixNameSize))
                                               : slot.stateText);
        }
        PlacedText line{name + tail, columnStarts[{slot.column, slot.row}],
                        static_cast<float>(slot.row) * layout.size + top, layout.size,
                        slot.character};
        float right = kRightEdge;
        const auto next = columnStarts.find({slot.column + 1, slot.row});
        if (next != columnStarts.end()) right = next->second - kListGap;
        const float bottom = line.y + line.size;
        for (const PercentBox& box : obstacles) {
            if (box.left >= line.x && box.top < bottom && line.y < box.bottom)
                right = std::min(right, box.left - kListGap);
        }
        FitLine(&line, name, tail, right - line.x, layout.least, width);
        out->push_back(line);
    }
}

} // namespace

bool Overlaps(const PercentBox& a, const PercentBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

float MeasureText(const char* text, float size) {
    TextSetSize(size);
    return TextGetWidth(text);
}

PercentBox BoxOf(const PlacedText& line, TextWidthFn width) {
    return {line.x, line.y, line.x + width(line.text.c_str(), line.size),
            line.y + static_cast<float>(line.size)};
}

std::string CutToFit(const std::string& text, const std::string& tail, float room, float size,
                     TextWidthFn width) {
    static const char kEllipsis[] = "...";
    if (width((text + tail).c_str(), size) <= room) return text + tail;
    // The lengths a cut may keep, longest first: one character less each time, never
    // ending inside a UTF-8 sequence (its continuation bytes go with their lead byte).
    std::vector<std::size_t> keeps = {text.size()};
    for (std::size_t kept = text.size(); kept > 0;) {
        --kept;
        while (kept > 0 && (static_cast<unsigned char>(text[kept - 1]) & 0xC0) == 0x80)
            --kept;
        if (kept > 0 && (static_cast<unsigned char>(text[kept - 1]) & 0x80) != 0) --kept;
        keeps.push_back(kept);
    }
    auto fits = [&](std::size_t k) {
        return width((text.substr(0, keeps[k]) + kEllipsis + tail).c_str(), size) <= room;
    };
    // Widths grow with the length kept, so the longest that fits is found by halving:
    // keeps[bad] does not fit, keeps[good] does (or is the empty cut, the last resort).
    std::size_t bad = 0;
    std::size_t good = keeps.size() - 1;
    if (!fits(bad)) {
        while (good - bad > 1) {
            const std::size_t middle = (bad + good) / 2;
            (fits(middle) ? good : bad) = middle;
        }
    } else {
        good = bad;
    }
    return text.substr(0, keeps[good]) + kEllipsis + tail;
}

const char* LeafName(const CladeNode* leaf) {
    // The leaf's gTaxa record is the authority for its name; a leaf without one (never
    // built by the model) falls back on its own copy rather than reading through null.
    return leaf->source != nullptr ? leaf->source->name : leaf->name;
}

namespace {
// The label's line at the size the number of taxa gives, before any fitting.
// Past 19 taxa the label keeps the shift of 19 (it starts a percent right of its leaf);
// a scaled label keeps the middle the default size gives it.
PlacedText FullSizeLabel(const CladeNode* leaf) {
    const int n = gTaxonCount;
    const char* name = LeafName(leaf);
    const float shift = static_cast<float>(std::min(n / 5, 3));
    const float size = LabelSize(n);
    float y = TreeYToPercent(leaf->y) + shift + (BaseLabelSize(n) - size) / 2.0f;
    // Larger text keeps the top leaf's label under the button (the default size does).
    if (size > BaseLabelSize(n)) y = std::max(y, OpenFileButtonBottom());
    return {std::string(name, strnlen(name, kTaxonNameSize)), TreeXToPercent(leaf->x) - shift, y,
            size, -1};
}
} // namespace

LeafLabel PlaceLeafLabel(const CladeNode* leaf, TextWidthFn width) {
    LeafLabel label{FullSizeLabel(leaf), false};
    const std::string name = label.line.text;
    label.shortened = FitLine(&label.line, name, "", kRightEdge - label.line.x,
                              std::min(label.line.size, kLeastLabelSize), width);
    return label;
}

// Pre-order: the node's own label, then the left subtree's, then the right one's. A label
// is placed (and measured) only when its full-size cell meets the band: fitting only
// shrinks a label within that cell.
void AddLabelBoxes(const CladeNode* node, TextWidthFn width, std::vector<PercentBox>* out,
                   float bandTop, float bandBottom) {
    if (node == nullptr) return;
    if (node->isTaxon) {
        const PlacedText cell = FullSizeLabel(node);
        if (cell.y < bandBottom && bandTop < cell.y + cell.size)
            out->push_back(BoxOf(PlaceLeafLabel(node, width).line, width));
    }
    AddLabelBoxes(node->left, width, out, bandTop, bandBottom);
    AddLabelBoxes(node->right, width, out, bandTop, bandBottom);
}

bool OverNode(const CladeNode* node, float x, float y) {
    return InPickSquare(x - node->x, y - node->y);
}

// The banner and the button keep their size at every text scale: they are read once, and
// the places of the other texts hang on them.
ButtonPlace OpenFileButtonPlace(TextWidthFn width) {
    const float size = kOpenFileSize;
    const float labelWidth = width(kOpenFileLabel, size);
    const float x = std::min(90.0f, 98.0f - labelWidth);
    const float height = 0.8f * size;
    return {kOpenFileLabel, x, kOpenFileY, size, ButtonBoxOf(x, kOpenFileY, labelWidth, height)};
}

PlacedText BannerText() {
    return {kBanner, kBannerX, kBannerY, kBannerSize, -1};
}

float MessageLineTop() {
    const PlacedText banner = BannerText();
    return banner.y + banner.size;
}

std::vector<PlacedText> AncestralListText(const CladeNode* root, TextWidthFn width,
                                          const Reconstruction* fewest,
                                          std::vector<PlacedText>* hidden) {
    std::vector<PlacedText> out = {Title(0.0f, "Ancestral Characters:", width)};
    if (root == nullptr) return out;
    const ListLayout layout = ListLayoutFor(ListedCharacters(), kListBand);
    // The reconstruction's root is node 0 (pre-order); one of another tree reads as none.
    const bool reconstructed =
        fewest != nullptr && fewest->NodeCount() > 0 && fewest->Node(0) == root;
    std::vector<Slot> slots;
    for (int c = 0; c < ListedCharacters(); ++c) {
        slots.push_back({c, root->states[c], c / layout.rows, c % layout.rows, ""});
        if (reconstructed && fewest->Computed(c))
            slots.back().stateText = StateSetText(c, fewest->MprSet(0, c));
    }
    std::vector<Slot> left;
    KeepSlotsThatFit(&slots, layout.columns * layout.rows, &left);
    AddListLines(slots, layout, out.front().size, root, width, &out);
    HiddenLines(left, layout, hidden);
    return out;
}

std::vector<PlacedText> NodeListText(const CladeNode* node, const CladeNode* root,
                                     TextWidthFn width, const Reconstruction* fewest,
                                     std::vector<PlacedText>* hidden) {
    assert(node != nullptr);
    const float titleSize = ScaledSize(kTitleSize);
    std::vector<PlacedText> out = {Title(kNodeTitleTop, "This Node's", width),
                                   Title(kNodeTitleTop + titleSize, "Derived Characters:", width)};
    if (root == nullptr) return out;
    // The list runs from under the titles down to the bottom line, at most the band's height.
    const float top = kNodeTitleTop + 2.0f * titleSize;
    const float band = std::min(kListBand, BottomLineY() - kListGap - top);
    const ListLayout layout = ListLayoutFor(ListedCharacters(), band);
    const int index = fewest != nullptr ? fewest->IndexOf(node) : -1;
    const bool reconstructed = index >= 0 && fewest->Node(0) == root;
    std::vector<Slot> slots;
    int slot = 0;
    for (int c = 0; c < ListedCharacters(); ++c) {
        int32_t state = node->states[c];
        int32_t rootState = root->states[c];
        if (reconstructed && fewest->Computed(c)) {
            state = fewest->State(index, c);
            rootState = fewest->State(0, c);
        }
        if (state == rootState) continue;
        slots.push_back({c, state, slot / layout.rows, slot % layout.rows, ""});
        ++slot;
        // The second column leaves its first three rows empty (of a full-sized list, where
        // the picked node's leaf labels may reach); later columns start at the top.
        if (slot == layout.rows && layout.rows > 3) slot += 3;
    }
    const int capacity =
        layout.columns * layout.rows - (layout.columns > 1 && layout.rows > 3 ? 3 : 0);
    std::vector<Slot> left;
    KeepSlotsThatFit(&slots, capacity, &left);
    AddListLines(slots, layout, top, root, width, &out);
    HiddenLines(left, layout, hidden);
    return out;
}

std::string StateSetText(int character, StateSet states) {
    std::string text;
    const int count = StateCount(states);
    int named = 0;
    for (int s = 0; s < kMaxStates; ++s) {
        if ((states & StateBit(s)) == 0) continue;
        ++named;
        if (named > 1) text += named == count ? " or " : ", ";
        const char* name = StateNameOf(character, s);
        text.append(name, strnlen(name, kMatrixNameSize));
    }
    return text;
}

PlacedText EventTotalText(int eventTotal, bool fewestChanges) {
    const char* label = fewestChanges ? "Fewest changes: " : "Total Events: ";
    const float size = ScaledSize(kTotalSize);
    return {label + std::to_string(eventTotal), kTotalX, kTotalBottom - size, size, -1};
}

float EventTotalRight(int eventTotal, TextWidthFn width, bool fewestChanges) {
    return BoxOf(EventTotalText(eventTotal, fewestChanges), width).right;
}

float BottomLineTop() {
    return BottomLineY();
}

float BottomLineRight(const CladeNode* root, TextWidthFn width) {
    std::vector<PercentBox> labels;
    AddLabelBoxes(root, width, &labels, BottomLineY(), kWindowBottom);
    float right = kRightEdge;
    for (const PercentBox& box : labels) {
        if (box.bottom > BottomLineY()) right = std::min(right, box.left - kHoverGap);
    }
    return right;
}

std::vector<PlacedText> PlaceHoverTexts(const std::vector<HoverText>& texts, float leftBound,
                                        float rightBound, TextWidthFn width) {
    std::vector<PlacedText> placed;
    float right = rightBound;
    for (const HoverText& hover : texts) {
        const float room = right - leftBound;
        if (room < kLeastHoverRoom) break;
        std::string tail;
        char formatted[100];
        if (hover.character >= 0) {
            FormatStateLine(formatted, sizeof formatted, hover.name.c_str(), hover.state.c_str());
            tail = ": " + hover.state;
        } else {
            std::snprintf(formatted, sizeof formatted, "%s", hover.name.c_str());
        }
        PlacedText line{formatted, 0.0f, BottomLineY(), ScaledSize(kHoverSize), hover.character};
        FitLine(&line, hover.name, tail, room, ScaledSize(kLeastHoverSize), width);
        // Short texts start at 70 percent; longer ones start further left to end near the
        // edge, at a whole percent.
        const float w = width(line.text.c_str(), line.size);
        line.x = std::min(kHoverRightmostStart, std::floor(right - w));
        line.x = std::max(line.x, leftBound);
        right = line.x - kHoverGap;
        placed.push_back(line);
    }
    return placed;
}
