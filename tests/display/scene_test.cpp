// The frame's scene without a window, for a table of models and interaction states: what
// any picture of the tree must hold (a disc per node, a band per branch, the stem, a
// marker and an outline per change event, each leaf's label, the model's event total)
// and the panels' and the indicator's items only while they apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>

#include "display/display.h"
#include "display/geometry.h"
#include "display/text_places.h"
#include "font/text.h"
#include "matrix/matrix.h"
#include "tests/display/display_gl_support.h"

namespace {

struct Case {
    const char* name;
    std::vector<std::string> taxa; // none: the start-up tree
    int characters;
    bool pick;  // pick an internal node (its panel shows)
    bool aim;   // and aim at the lowest leaf's branch (the indicator shows)
    bool hover; // and put the pointer on the first marker (its text shows)
};

// characters rows of random states "s0" to "s2", one a taxon; the same every run.
std::vector<std::vector<std::string>> Rows(size_t taxa, int characters) {
    std::mt19937 random(5);
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(characters));
    for (auto& row : rows)
        for (size_t t = 0; t < taxa; ++t)
            row.push_back("s" + std::to_string(random() % 3));
    return rows;
}

int Nodes(const CladeNode* n) {
    return n == nullptr ? 0 : 1 + Nodes(n->left) + Nodes(n->right);
}

// True when a disc (radius 0.2 around the node) meets the box (percent of the window).
bool DiscMeets(const CladeNode* n, const PercentBox& box) {
    const double x = std::clamp<double>(n->x, PercentToTreeX(box.left, gTaxonCount),
                                        PercentToTreeX(box.right, gTaxonCount));
    const double y = std::clamp<double>(n->y, PercentToTreeY(box.top, gTaxonCount),
                                        PercentToTreeY(box.bottom, gTaxonCount));
    return std::hypot(x - n->x, y - n->y) < 0.2 - 1e-4;
}

// Pre-order: every node of the subtree whose disc meets the box.
void DiscsUnder(const CladeNode* n, const PercentBox& box, std::vector<int>* ids) {
    if (n == nullptr) return;
    if (DiscMeets(n, box)) ids->push_back(n->id);
    DiscsUnder(n->left, box, ids);
    DiscsUnder(n->right, box, ids);
}

} // namespace

TEST(SceneTest, HoldsOneItemPerPartOfTheModelAndTheExtrasOfTheView) {
    Refusal why;
    ASSERT_TRUE(TextInitWithoutWindow(800, 600, &why)) << DescribeRefusal(why);
    std::vector<std::string> many;
    for (int t = 0; t < 19; ++t)
        many.push_back("Taxon " + std::to_string(t));
    const Case cases[] = {
        {"start-up tree", {}, 0, false, false, false},
        {"four taxa", {"t0", "t1", "t2", "t3"}, 3, false, false, false},
        {"picked", {"t0", "t1", "t2", "t3"}, 3, true, false, false},
        {"picked, aimed, hovering", {"a", "b", "c", "d", "e"}, 4, true, true, true},
        {"full size", many, 19, true, true, true},
    };
    Scene scene;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetModel();
        if (!c.taxa.empty()) LoadMatrix(MatrixCsv(c.taxa, Rows(c.taxa.size(), c.characters)));
        SceneView view{nullptr, nullptr, -100.0f, -100.0f};
        CladeNode* picked = c.pick ? gRoot->right : nullptr;
        if (picked != nullptr) picked->isDragged = true;
        if (c.aim) {
            view.dragNode = picked;
            for (view.dropTarget = gRoot; view.dropTarget->right != nullptr;)
                view.dropTarget = view.dropTarget->right;
        }
        BuildFrameScene(view, &scene);
        if (c.hover) { // on the first marker, wherever the builder put it
            for (const SceneItem& item : scene.items) {
                if (item.kind != SceneKind::Marker) continue;
                view.pointerX = item.marker.x;
                view.pointerY = item.marker.y;
                break;
            }
            BuildFrameScene(view, &scene);
        }

        std::map<SceneKind, int> kinds;
        std::multiset<std::string> texts;
        std::set<std::tuple<float, float, float>> fills;
        for (const SceneItem& item : scene.items) {
            ++kinds[item.kind];
            const bool window =
                item.kind == SceneKind::Text || item.kind == SceneKind::WindowControls;
            EXPECT_EQ(item.space, window ? SceneSpace::Window : SceneSpace::Tree);
            if (item.kind == SceneKind::Text) texts.insert(scene.TextOf(item));
            if (item.kind == SceneKind::Marker)
                fills.insert({item.marker.x, item.marker.y, item.z + 0.01f});
            if (item.kind == SceneKind::Outline) { // after its own fill, just in front of it
                EXPECT_EQ(fills.count({item.marker.x, item.marker.y, item.z}), 1u);
            }
        }
        const int nodes = Nodes(gRoot);
        const int events = CountChangeEvents(gRoot);
        const bool indicator = c.aim;
        EXPECT_EQ(kinds[SceneKind::Disc], nodes + (indicator ? 2 : 0));
        EXPECT_EQ(kinds[SceneKind::Quad], nodes - 1 + (indicator ? 1 : 0));
        EXPECT_EQ(kinds[SceneKind::Rect], 1);
        EXPECT_EQ(kinds[SceneKind::Marker], events);
        EXPECT_EQ(kinds[SceneKind::Outline], events);
        EXPECT_EQ(kinds[SceneKind::Arc], indicator ? 1 : 0);
        EXPECT_EQ(scene.eventTotal, events);
        // The window's controls come right after the banner, under everything else.
        ASSERT_GE(scene.items.size(), 2u);
        EXPECT_EQ(scene.items[1].kind, SceneKind::WindowControls);
        EXPECT_EQ(kinds[SceneKind::WindowControls], 1);

        EXPECT_EQ(texts.count("Quillmoor"), 1u);
        EXPECT_EQ(texts.count("Total Events: " + std::to_string(events)), 1u);
        EXPECT_EQ(texts.count("Ancestral Characters:"), 1u);
        EXPECT_EQ(texts.count("This Node's"), c.pick ? 1u : 0u);
        for (int t = 0; t < std::max(gTaxonCount, 1); ++t)
            EXPECT_EQ(texts.count(gTaxa[t].name), 1u) << gTaxa[t].name;
        int derived = 0;
        for (int k = 0; picked != nullptr && k < gCharacterCount; ++k)
            derived += picked->states[k] != gRoot->states[k];
        const int panels = 1 + gCharacterCount + (c.pick ? 2 + derived : 0);
        EXPECT_EQ(kinds[SceneKind::Text],
                  1 + std::max(gTaxonCount, 1) + 1 + panels + (c.hover ? 1 : 0));

        // Rebuilt for the same state, the scene keeps its storage: no allocation per frame.
        const SceneItem* items = scene.items.data();
        const char* text = scene.text.data();
        BuildFrameScene(view, &scene);
        EXPECT_EQ(scene.items.data(), items);
        EXPECT_EQ(scene.text.data(), text);
        if (picked != nullptr) picked->isDragged = false;
    }
    ResetModel();
}

// For every number of taxa, with long names and a long message: the message box meets no
// leaf label and no node's disc; from 16 taxa, where the leaf column lies under the "Open
// File" button, the top leaf's label and disc stay clear of the button's box.
TEST(SceneTest, TopLeafAndMessageKeepClearOfTheButtonAndTheLabels) {
    Refusal why;
    ASSERT_TRUE(TextInitWithoutWindow(800, 600, &why)) << DescribeRefusal(why);
    const char* message = "Best tree found: 104 events (was 131), 87 steps (was 102)";
    const PercentBox button = OpenFileButtonPlace(MeasureText).box;
    Scene scene;
    for (int taxa = 1; taxa <= 19; ++taxa) {
        SCOPED_TRACE(std::to_string(taxa) + " taxa");
        std::vector<std::string> names;
        for (int t = 0; t < taxa; ++t)
            names.push_back("Taxon " + std::to_string(t) + " of a long-named group");
        ResetModel();
        LoadMatrix(MatrixCsv(names, Rows(names.size(), 3)));
        std::vector<PercentBox> labels;
        AddLabelBoxes(gRoot, MeasureText, &labels);
        ASSERT_EQ(labels.size(), static_cast<std::size_t>(taxa));

        std::vector<int> covered;
        if (taxa >= 16) {
            const CladeNode* top = gRoot;
            while (top->left != nullptr)
                top = top->left;
            EXPECT_FALSE(
                Overlaps(BoxOf(PlaceLeafLabel(top, MeasureText).line, MeasureText), button));
            DiscsUnder(gRoot, button, &covered);
        }

        scene.Clear();
        AddWindowOverlays(scene, message, nullptr, 0);
        ASSERT_EQ(scene.items.at(0).kind, SceneKind::Rect);
        const SceneRect& rect = scene.items[0].rect;
        const PercentBox box{rect.left, rect.top, rect.right, rect.bottom};
        EXPECT_GT(box.right - box.left, 20.0f) << "room for a message";
        for (const PercentBox& label : labels)
            EXPECT_FALSE(Overlaps(box, label)) << label.left << ", " << label.top;
        DiscsUnder(gRoot, box, &covered);
        EXPECT_TRUE(covered.empty()) << "node " << covered.front();
    }
    ResetModel();
}

// Lists too long for their columns: every character is either on a line or named by the
// "… and N more" line's box, never both; the ancestral list stays above the picked node's
// titles; in presentation mode every line leads with its marker number.
TEST(SceneTest, ListsThatCannotShowEveryCharacterNameTheRestUnderThePointer) {
    Refusal why;
    ASSERT_TRUE(TextInitWithoutWindow(800, 600, &why)) << DescribeRefusal(why);
    const struct {
        int characters, textScale;
        bool presentation;
    } cases[] = {{19, 100, false}, {19, 250, false}, {40, 100, false}, {40, 250, true}};
    Scene scene;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.characters) + " at " + std::to_string(c.textScale));
        std::string sheet = "Taxon";
        for (int t = -1; t < 3; ++t)
            for (int k = 0; k < c.characters; ++k)
                sheet += t < 0 ? ",C" + std::to_string(k)
                               : (k == 0 ? "\nT" + std::to_string(t) : "") + (t ? ",b" : ",a");
        ResetModel();
        LoadMatrix(sheet + "\n");
        gTextScalePercent = c.textScale;
        gPresentationMode = c.presentation;
        std::vector<PlacedText> hidden;
        const std::vector<PlacedText> lines =
            AncestralListText(gRoot, MeasureText, nullptr, &hidden);
        std::multiset<int> named;
        const PlacedText* more = nullptr;
        for (const PlacedText& line : lines) {
            EXPECT_LE(line.y + line.size, 54.0f) << line.text;
            if (line.character == kMoreLine) more = &line;
            if (line.character >= 0) named.insert(line.character);
            if (c.presentation && line.character >= 0) {
                EXPECT_EQ(line.text.rfind(std::to_string(line.character + 1) + "  ", 0), 0u);
            }
        }
        for (const PlacedText& line : hidden)
            named.insert(line.character);
        EXPECT_EQ(named.size(), std::set<int>(named.begin(), named.end()).size());
        EXPECT_EQ(named.size(), static_cast<std::size_t>(c.characters));
        ASSERT_EQ(more != nullptr, !hidden.empty());
        if (more == nullptr) continue;
        EXPECT_EQ(more->text, "\u2026 and " + std::to_string(hidden.size()) + " more");

        // The pointer on the line: a box names each character left out.
        const PercentBox box = BoxOf(*more, MeasureText);
        BuildFrameScene({nullptr, nullptr, float(PercentToTreeX(box.left + 1, gTaxonCount)),
                         float(PercentToTreeY(box.top + 1, gTaxonCount))},
                        &scene);
        std::multiset<std::string> texts;
        for (const SceneItem& item : scene.items)
            if (item.kind == SceneKind::Text) texts.insert(scene.TextOf(item));
        for (const PlacedText& line : hidden)
            EXPECT_EQ(texts.count(line.text), 1u) << line.text;
    }
    ResetModel();
    ResetDisplay();
}
