// Where the frame's own text goes, in percent of the window (x right, y down): the leaf
// labels, the two character lists, the "Open File" button, the event total and the hover
// texts of the bottom line. The scene builders draw there and the parsimony layout keeps
// clear of it, so both follow one rule. No GL: text is measured through the caller's function.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/geometry.h"
#include "matrix/matrix.h"

struct CladeNode;
class Reconstruction;
// True when the two boxes share more than an edge.
bool Overlaps(const PercentBox& a, const PercentBox& b);

// The window's text scale in percent (kLeastTextScale to kMostTextScale; 100 is the
// default look): every text size of the frame passes through ScaledSize, and the places
// that hang on a text's height move with it. Set by the app's view commands.
constexpr int kLeastTextScale = 75;
constexpr int kMostTextScale = 250;
extern int gTextScalePercent;
inline float ScaledSize(float size) {
    return size * static_cast<float>(gTextScalePercent) / 100.0f;
}

// Width of text at a text size, in percent of the window width.
using TextWidthFn = float (*)(const char* text, float size);
// Text width through the baked font: the TextWidthFn of the real window. Changes the
// current text size.
float MeasureText(const char* text, float size);

// One line of text: its top-left corner, its size (percent of the window height) and its
// colour (a character's colour, or black for -1).
struct PlacedText {
    std::string text;
    float x, y;
    float size;
    int character;
};
// The cell box of a line: its pen advance across, its size down.
PercentBox BoxOf(const PlacedText& line, TextWidthFn width);

// text + tail when it fits in room at size; otherwise text cut at a character boundary
// (never inside a UTF-8 sequence) and ended with "...", then tail, the longest such that
// fits. When not even "..." + tail fits, that is returned all the same.
std::string CutToFit(const std::string& text, const std::string& tail, float room, float size,
                     TextWidthFn width);

// The leaf's label: right of and above its disc at the size the number of taxa gives. A
// label that would run past the window's right edge is drawn smaller, centred on the same
// line, down to a legible size, and at that size cut with "..."; shortened tells which.
struct LeafLabel {
    PlacedText line;
    bool shortened;
};
LeafLabel PlaceLeafLabel(const CladeNode* leaf, TextWidthFn width);
// The name of the taxon leaf, from its gTaxa record when it has one.
const char* LeafName(const CladeNode* leaf);
// The label boxes of the subtree's taxon leaves, pre-order; only of those that may reach
// into the band of window rows from bandTop to bandBottom.
void AddLabelBoxes(const CladeNode* node, TextWidthFn width, std::vector<PercentBox>* out,
                   float bandTop = 0.0f, float bandBottom = 100.0f);
// True when the point (tree units) is over the leaf's disc: within the square a press
// picks the node in (geometry.h).
bool OverNode(const CladeNode* node, float x, float y);

// "Open File": its label's top-left corner and size, and the box its body and shadow take
// (ButtonBoxOf). The window draws the button there and a press there is the button's;
// the other text and the tree keep off the box.
struct ButtonPlace {
    const char* label;
    float x, y;
    float size;
    PercentBox box;
};
ButtonPlace OpenFileButtonPlace(TextWidthFn width);
// The banner "Quillmoor" at the top of the window, and where the message line starts
// under it.
PlacedText BannerText();
float MessageLineTop();

// The character lists: "Ancestral Characters:" and a line per character with the root's
// state; "This Node's" / "Derived Characters:" and a line per character in which node
// differs from the root. Titles come first, in black. The lines fill columns 20 % apart;
// a line that would meet the next column's line of its row, the banner, the button, a
// leaf label or the window's edge is drawn smaller, then cut with "...".
// The states are the nodes' own (the editor's rule), or, with fewest, the reconstruction's:
// the root's line names every state some shortest reconstruction gives it ("a or b"), and
// a node's derived characters are those whose state in the reconstruction the markers
// show (ACCTRAN) differs from the root's there.
// The lines fill two columns; when the characters do not all fit, the last place says
// "… and N more" (character kMoreLine) and the lines left out go to hidden (unplaced, at
// the list's size), when given. In presentation mode every line has one size and starts
// with the character's marker number.
constexpr int kMoreLine = -2;
std::vector<PlacedText> AncestralListText(const CladeNode* root, TextWidthFn width,
                                          const Reconstruction* fewest = nullptr,
                                          std::vector<PlacedText>* hidden = nullptr);
std::vector<PlacedText> NodeListText(const CladeNode* node, const CladeNode* root,
                                     TextWidthFn width, const Reconstruction* fewest = nullptr,
                                     std::vector<PlacedText>* hidden = nullptr);
// The names of the states in the set, in index order: "a", "a or b", "a, b or c".
std::string StateSetText(int character, StateSet states);

// "Total Events: N" at the bottom left (with fewestChanges, "Fewest changes: N"), and the
// right end of its text.
PlacedText EventTotalText(int eventTotal, bool fewestChanges = false);
float EventTotalRight(int eventTotal, TextWidthFn width, bool fewestChanges = false);

// Where the bottom line's texts start (95 % at the default sizes).
float BottomLineTop();

// A hover text of the bottom line: a change marker's "name: state" in the character's
// colour, or, with character -1, a shortened label's full name (state unused).
struct HoverText {
    std::string name;
    std::string state;
    int character;
};
// Where the bottom line's free room ends on the right: the window's edge, or short of the
// leaf labels that reach down into the line (the lowest leaves' when there are many).
float BottomLineRight(const CladeNode* root, TextWidthFn width);
// The hover texts placed from rightBound leftwards: the first ends near it (a short one
// starts at 70 %), each next one ends left of the one before. None starts left of
// leftBound: a text too wide for what is left is drawn smaller, then cut with "...", and
// one with no room at all is left out.
std::vector<PlacedText> PlaceHoverTexts(const std::vector<HoverText>& texts, float leftBound,
                                        float rightBound, TextWidthFn width);
