// The frame's scene without a window, for a table of models and interaction states: what
// any picture of the tree must hold (a disc per node, a band per branch, the stem, a
// marker and an outline per change event, each leaf's label, the model's event total)
// and the panels' and the indicator's items only while they apply.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "display/display.h"
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
