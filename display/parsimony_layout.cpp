// The parsimony drawing's layout (see parsimony_layout.h): reserved areas from the rules
// the frame's other text follows, a search for the panel's place on a grid of whole
// percents, the "Drop here" line and the branch marks. Pure: no GL, text measured through
// the caller's function. Called by the scene's parsimony builder and the tests.
#include "display/parsimony_layout.h"

#include "display/display.h"
#include "display/geometry.h"
#include "matrix/matrix.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

// ---- the frame's other text, as the frame places it ----------------------------------

// The band of the title, the button and the message line (to 11 % down at the default
// text size), and the bottom line of the total, the hover texts and "Drop here" (from 94 %).
PercentBox BannerBand() {
    return {38.0f, 0.0f, 100.0f, MessageLineTop() + ScaledSize(3.0f) + 2.0f};
}
PercentBox BottomLineBand() {
    return {0.0f, BottomLineTop() - 1.0f, 100.0f, 100.0f};
}

int ListedCharacters() {
    return std::clamp(gCharacterCount, 0, kMaxCharacters);
}

// ---- the panel's arrangements --------------------------------------------------------

constexpr float kPadX = 1.0f;
constexpr float kPadY = 1.0f;
constexpr float kColumnGap = 2.0f;
constexpr float kLineGap = 0.5f;
constexpr float kLongestCharacterLine = 30.0f; // a longer name is cut with "..."

enum class Content { Everything, Figures, OneLine };
struct Arrangement {
    Content content;
    float size; // at the default text scale
    int columns;
    int mostRows = 0; // character lines at most, the last "… and N more"; 0: every one
};
constexpr Arrangement kArrangements[] = {
    {Content::Everything, 3, 1},     {Content::Everything, 2, 1},    {Content::Everything, 2, 2},
    {Content::Everything, 2, 1, 12}, {Content::Everything, 2, 1, 6}, {Content::Figures, 3, 1},
    {Content::Figures, 2, 1},        {Content::OneLine, 2, 1},
};

std::string Decimal2(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The lines of an arrangement relative to the panel's top-left corner, and its size.
struct Arranged {
    std::vector<PlacedText> lines;
    std::vector<PlacedText> hidden; // the character lines a "… and N more" stands for
    float width = 0;
    float height = 0;
};

Arranged Arrange(const ParsimonyFigures& figures, const Arrangement& how, TextWidthFn width) {
    const float size = ScaledSize(how.size);
    std::vector<PlacedText> head;
    std::vector<PlacedText> rows;
    const std::string length = std::to_string(figures.length);
    const std::string bound = std::to_string(figures.lowerBound);
    const std::string index = Decimal2(ConsistencyIndex(figures));
    if (how.content == Content::OneLine) {
        head.push_back({"Length " + length + ", bound " + bound + ", CI " + index, 0, 0, size, -1});
    } else {
        head.push_back({"Parsimony of this tree", 0, 0, size, -1});
        head.push_back({"Length: " + length + " (lower bound " + bound + ")", 0, 0, size, -1});
        head.push_back({"Consistency index: " + index, 0, 0, size, -1});
    }
    if (how.content == Content::Everything) {
        for (int c = 0; c < ListedCharacters(); ++c) {
            const int steps = figures.steps[c];
            const std::string tail = ": " + std::to_string(steps) +
                                     (steps == 1 ? " step" : " steps") + " (min " +
                                     std::to_string(figures.minimum[c]) + ")";
            rows.push_back({CutToFit(gCharacterNames[c], tail, kLongestCharacterLine, size, width),
                            0, 0, size, c});
        }
    }
    Arranged out;
    if (how.mostRows > 0 && static_cast<int>(rows.size()) > how.mostRows) {
        out.hidden.assign(rows.begin() + how.mostRows - 1, rows.end());
        rows.resize(static_cast<std::size_t>(how.mostRows - 1));
        rows.push_back(
            {"\u2026 and " + std::to_string(out.hidden.size()) + " more", 0, 0, size, kMoreLine});
    }

    const float step = size + kLineGap;
    float y = kPadY;
    for (PlacedText& line : head) {
        line.x = kPadX;
        line.y = y;
        y += step;
        out.width = std::max(out.width, width(line.text.c_str(), size));
        out.lines.push_back(line);
    }
    // The characters fill the columns top to bottom, under the figures.
    const int perColumn =
        static_cast<int>((rows.size() + static_cast<std::size_t>(how.columns) - 1) / how.columns);
    float columnLeft = kPadX;
    float bottom = y;
    for (int column = 0; column < how.columns; ++column) {
        float columnWidth = 0;
        float rowY = y;
        for (int r = 0; r < perColumn; ++r) {
            const std::size_t k = static_cast<std::size_t>(column * perColumn + r);
            if (k >= rows.size()) break;
            PlacedText line = rows[k];
            line.x = columnLeft;
            line.y = rowY;
            rowY += step;
            columnWidth = std::max(columnWidth, width(line.text.c_str(), size));
            out.lines.push_back(line);
        }
        bottom = std::max(bottom, rowY);
        out.width = std::max(out.width, columnLeft - kPadX + columnWidth);
        columnLeft += columnWidth + kColumnGap;
    }
    out.width += 2 * kPadX;
    out.height = bottom - kLineGap + kPadY;
    return out;
}

// ---- the grid of whole percents ------------------------------------------------------

constexpr int kCells = 100;

// Counts of marked cells over rectangles in constant time (a summed-area table).
class CellCounts {
  public:
    void Mark(int i, int j) { marked_[j][i] = true; }
    void MarkBox(const PercentBox& box) {
        const int i0 = std::max(0, static_cast<int>(std::floor(box.left)));
        const int i1 = std::min(kCells, static_cast<int>(std::ceil(box.right)));
        const int j0 = std::max(0, static_cast<int>(std::floor(box.top)));
        const int j1 = std::min(kCells, static_cast<int>(std::ceil(box.bottom)));
        for (int j = j0; j < j1; ++j)
            for (int i = i0; i < i1; ++i)
                marked_[j][i] = true;
    }
    void Sum() {
        for (int j = 0; j < kCells; ++j)
            for (int i = 0; i < kCells; ++i)
                sums_[j + 1][i + 1] =
                    marked_[j][i] + sums_[j][i + 1] + sums_[j + 1][i] - sums_[j][i];
    }
    // Marked cells among columns i .. i + w - 1 and rows j .. j + h - 1.
    int Count(int i, int j, int w, int h) const {
        return sums_[j + h][i + w] - sums_[j][i + w] - sums_[j + h][i] + sums_[j][i];
    }

  private:
    bool marked_[kCells][kCells] = {};
    int sums_[kCells + 1][kCells + 1] = {};
};

// The tree's area: every node lies within half its x distance of the root's row, from the
// root to the leaf column (no branch rises faster than that), with room for the discs and
// the change markers; and the root's stem. Marks each cell of the grid that meets it.
void MarkTree(int taxonCount, CellCounts* cells) {
    constexpr double kMargin = 0.3;     // a disc's radius and a marker's reach, tree units
    constexpr double kStemReach = 0.15; // the stem's half height and its target zone
    const TreeView view = TreeViewOf(taxonCount);
    const double xSpan = view.Width();
    const double ySpan = view.Height();
    const double lastColumn = std::max(taxonCount - 1.0, 0.0);
    for (int j = 0; j < kCells; ++j) {
        const double y0 = j * ySpan / kCells + view.top;
        const double y1 = (j + 1) * ySpan / kCells + view.top;
        const double nearestY = y0 > 0 ? y0 : y1 < 0 ? -y1 : 0.0; // |y| nearest the row
        for (int i = 0; i < kCells; ++i) {
            const double x0 = i * xSpan / kCells + view.left;
            const double x1 = (i + 1) * xSpan / kCells + view.left;
            const double reachX = std::min(x1, lastColumn + kMargin);
            const bool cone = x1 >= -kMargin && x0 <= lastColumn + kMargin &&
                              nearestY <= std::max(reachX, 0.0) / 2 + kMargin;
            const bool stem = x1 >= -1 - kStemReach && x0 <= 0 && nearestY <= kStemReach;
            if (cone || stem) cells->Mark(i, j);
        }
    }
}

} // namespace

std::vector<PercentBox> ReservedAreas(const FrameContents& frame, TextWidthFn width) {
    std::vector<PercentBox> areas = {BannerBand(), BottomLineBand()};
    const bool fewest = frame.fewest != nullptr;
    areas.push_back(BoxOf(EventTotalText(frame.eventTotal, fewest), width));
    AddLabelBoxes(frame.root, width, &areas);
    for (const PlacedText& line : AncestralListText(frame.root, width, frame.fewest))
        areas.push_back(BoxOf(line, width));
    if (frame.picked != nullptr) {
        for (const PlacedText& line : NodeListText(frame.picked, frame.root, width, frame.fewest))
            areas.push_back(BoxOf(line, width));
    }
    return areas;
}

FreePlace FindFreePlace(const std::vector<std::pair<float, float>>& sizes, int taxonCount,
                        const std::vector<PercentBox>& reserved) {
    // Two grids of some 50 kB each: kept off the stack.
    static CellCounts hard;
    static CellCounts soft;
    hard = CellCounts();
    soft = CellCounts();
    for (const PercentBox& box : reserved)
        hard.MarkBox(box);
    hard.Sum();
    MarkTree(taxonCount, &soft);
    soft.Sum();

    FreePlace leastCovering;
    int leastCovered = 0;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        const int w = static_cast<int>(std::ceil(sizes[k].first));
        const int h = static_cast<int>(std::ceil(sizes[k].second));
        const bool isLast = k + 1 == sizes.size();
        if (w > kCells || h > kCells) continue;
        // Lowest first, then leftmost: under the tree, where the window is emptiest.
        for (int j = kCells - h; j >= 0; --j) {
            for (int i = 0; i + w <= kCells; ++i) {
                if (hard.Count(i, j, w, h) != 0) continue;
                const int covered = soft.Count(i, j, w, h);
                const PercentBox box{static_cast<float>(i), static_cast<float>(j),
                                     static_cast<float>(i + w), static_cast<float>(j + h)};
                if (covered == 0) return {true, static_cast<int>(k), box};
                if (isLast && (!leastCovering.found || covered < leastCovered)) {
                    leastCovering = {true, static_cast<int>(k), box};
                    leastCovered = covered;
                }
            }
        }
    }
    return leastCovering;
}

PanelLayout LayOutParsimonyPanel(const ParsimonyFigures& figures, int taxonCount,
                                 const std::vector<PercentBox>& reserved, TextWidthFn width) {
    std::vector<Arranged> arrangements;
    std::vector<std::pair<float, float>> sizes;
    for (const Arrangement& how : kArrangements) {
        arrangements.push_back(Arrange(figures, how, width));
        sizes.emplace_back(arrangements.back().width, arrangements.back().height);
    }
    const FreePlace spot = FindFreePlace(sizes, taxonCount, reserved);
    PanelLayout layout;
    if (!spot.found) return layout;
    const Arranged& arranged = arrangements[static_cast<std::size_t>(spot.size)];
    layout.shown = true;
    layout.box = spot.box;
    layout.hidden = arranged.hidden;
    for (PlacedText line : arranged.lines) {
        line.x += layout.box.left;
        line.y += layout.box.top;
        layout.lines.push_back(line);
    }
    return layout;
}

namespace {
constexpr float kDropHereGap = 3.0f;
} // namespace

float DropHereRoomEnd(const std::string& text, float after, TextWidthFn width) {
    return after + kDropHereGap + width(text.c_str(), ScaledSize(2.0f)) + 1.0f;
}

DropHerePlace PlaceDropHereText(const std::string& text, float after, float before,
                                TextWidthFn width) {
    constexpr float kGap = kDropHereGap;
    constexpr float kLeastRoom = 10.0f;
    DropHerePlace place;
    const float left = after + kGap;
    const float room = before - left;
    if (room < kLeastRoom) return place;
    float size = ScaledSize(3.0f);
    std::string shown = text;
    if (width(text.c_str(), size) > room) {
        size = ScaledSize(2.0f);
        shown = CutToFit(text, "", room, size, width);
    }
    // Centred on the event total's line.
    const PlacedText total = EventTotalText(0);
    const float top = total.y + total.size / 2.0f - size / 2.0f;
    place.shown = true;
    place.line = {shown, left, top, size, -1};
    place.box = BoxOf(place.line, width);
    return place;
}

DropEffect EffectOf(const TreeScore& current, const TreeScore& drop) {
    if (drop.events < current.events) return DropEffect::Lowers;
    if (drop.events > current.events) return DropEffect::Raises;
    return DropEffect::Keeps;
}

void BranchMiddle(const CladeNode* target, float* x, float* y) {
    assert(target != nullptr);
    if (target->parent == nullptr) {
        *x = target->x - 0.5f; // the middle of the root's stem
        *y = target->y;
        return;
    }
    *x = (target->parent->x + target->x) / 2.0f;
    *y = (target->parent->y + target->y) / 2.0f;
}

std::vector<BranchMark> DropMarks(const std::vector<DropFigures>& drops, const TreeScore& current,
                                  const CladeNode* aimed) {
    std::vector<BranchMark> marks;
    for (const DropFigures& drop : drops) {
        if (drop.target == aimed) continue;
        BranchMark mark{0, 0, EffectOf(current, drop.score)};
        BranchMiddle(drop.target, &mark.x, &mark.y);
        marks.push_back(mark);
    }
    return marks;
}
