// Presentation mode's markers in the frame's scene, on sheets of 5 x 5 to 40 x 40: each holds
// a number centred in its body, black or white on a palette colour, and a pointer on either
// end of the number reaches the change of that number's character.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "display/display.h"
#include "display/palette.h"
#include "display/text_places.h"
#include "font/text.h"
#include "tests/display/display_gl_support.h"

TEST(PresentationSceneTest, EachMarkerHoldsTheNumberOfTheChangeItShows) {
    Refusal why;
    ASSERT_TRUE(TextInitWithoutWindow(kTestWidth, kTestHeight, &why)) << DescribeRefusal(why);
    for (int size : {5, 19, 40}) {
        std::string sheet = "Taxon"; // taxa as rows, states from a fixed scramble
        for (int t = -1; t < size; ++t)
            for (int c = 0; c < size; ++c)
                sheet += (t < 0 ? ",C" + std::to_string(c)
                                : (c == 0 ? "\nT" + std::to_string(t) : "") + ",s" +
                                      std::to_string((t * t + 7 * c * t + c) % 3));
        LoadMatrix(sheet + "\n");
        gPresentationMode = true;
        Scene scene;
        BuildFrameScene({nullptr, nullptr, -100, -100}, &scene);
        std::vector<const SceneItem*> fills, numbers; // the numbers follow the last outline
        for (const SceneItem& item : scene.items) {
            if (item.kind == SceneKind::Marker) fills.push_back(&item);
            numbers.push_back(&item);
            if (item.kind == SceneKind::Outline) numbers.clear();
        }
        ASSERT_EQ(fills.size(), static_cast<std::size_t>(CountChangeEvents(gRoot)));
        for (std::size_t i = 0; i < fills.size(); ++i) {
            SCOPED_TRACE(std::to_string(size) + " taxa, marker " + std::to_string(i));
            const SceneMarker& m = fills[i]->marker;
            const SceneText& text = numbers[i]->text;
            ASSERT_EQ(numbers[i]->kind, SceneKind::Text);
            EXPECT_TRUE(std::any_of(kSafeColours, kSafeColours + kSafeColourCount,
                                    [&](const float* p) { return std::equal(p, p + 3, m.rgb); }));
            EXPECT_TRUE(text.rgb[0] == text.rgb[1] && text.rgb[1] == text.rgb[2] &&
                        (text.rgb[0] == 0 || text.rgb[0] == 1));
            // The number's cell lies in the triangle (percent), centred on its centroid.
            float x[3], y[3];
            for (int k = 0; k < 3; ++k) {
                x[k] = static_cast<float>(TreeToPercentX(MarkerCornerX(m, k), size));
                y[k] = static_cast<float>(TreeToPercentY(MarkerCornerY(m, k), size));
            }
            const float width = MeasureText(scene.TextOf(*numbers[i]), text.size);
            // (A number at its least size, 1.5, may reach past a marker shrunk to the
            // spacing of many leaves.)
            for (float px : {text.x, text.x + width})
                for (float py : {text.y, text.y + text.height})
                    for (int k = 0, j = 1; k < 3 && text.size > 1.5f; ++k, j = (k + 1) % 3)
                        EXPECT_GE((x[j] - x[k]) * (py - y[k]) - (y[j] - y[k]) * (px - x[k]), 0);
            EXPECT_NEAR(text.x + width / 2, (x[0] + x[1] + x[2]) / 3, 0.05f);
            EXPECT_NEAR(text.y + text.height / 2, (y[0] + y[1] + y[2]) / 3, 0.05f);
            // Either end of the number's middle row reaches its character's change.
            const int character = std::stoi(scene.TextOf(*numbers[i])) - 1;
            for (float px : {text.x + 0.1f, text.x + width - 0.1f}) {
                if (size == 40 && i % 16 != 0) break;
                Scene hovered;
                BuildFrameScene({nullptr, nullptr, float(PercentToTreeX(px, size)),
                                 float(PercentToTreeY(text.y + text.height / 2, size))},
                                &hovered);
                EXPECT_TRUE(std::any_of(hovered.hoveredChanges.begin(),
                                        hovered.hoveredChanges.end(),
                                        [&](const auto& h) { return h.first == character; }));
            }
        }
    }
    ResetModel();
}
