// The views of a reconstruction in the frame's scene, without a window, over matrices with
// missing and polymorphic cells on shuffled trees: the fewest-change markers count exactly
// the length, which the total names; the root's line names its whole MPR set; a trace
// colours the band into every node (and the root's stem) by the node's MPR set, in dashes
// where it holds several states, draws no markers and names every state in a legend that
// covers no other text.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "clade/parsimony.h"
#include "clade/reconstruction.h"
#include "display/display.h"
#include "display/reconstruction_view.h"
#include "display/text_places.h"
#include "font/text.h"
#include "matrix/cell_sets.h"
#include "tests/display/display_gl_support.h"

namespace {

// taxa x characters cells: states "s0" to "s2", every fifth cell of a character from the
// third taxon on missing ("?") and every seventh polymorphic ("s0/s1"); the first two taxa
// hold s0 and s1 alone, so that "s0/s1" reads as both of them.
std::string RandomMatrix(int taxa, int characters, std::mt19937& random) {
    std::vector<std::string> names;
    for (int t = 0; t < taxa; ++t)
        names.push_back("T" + std::to_string(t));
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(characters));
    for (auto& row : rows) {
        for (int t = 0; t < taxa; ++t) {
            const unsigned roll = random() % 35;
            if (t < 2)
                row.push_back("s" + std::to_string(t));
            else if (roll % 5 == 0)
                row.push_back("?");
            else if (roll % 7 == 0)
                row.push_back("s0/s1");
            else
                row.push_back("s" + std::to_string(random() % 3));
        }
    }
    return MatrixCsv(names, rows);
}

// Pre-order: every node of the subtree.
void Collect(CladeNode* node, std::vector<CladeNode*>* out) {
    if (node == nullptr) return;
    out->push_back(node);
    Collect(node->left, out);
    Collect(node->right, out);
}

// A few random re-attachments of the live tree, so that shapes other than the comb come up.
void Shuffle(std::mt19937& random, int moves) {
    testing::internal::CaptureStdout(); // each prints its "Connecting" line
    for (int m = 0; m < moves; ++m) {
        std::vector<CladeNode*> nodes;
        Collect(gRoot, &nodes);
        CladeNode* moved = nodes[random() % nodes.size()];
        CladeNode* target = nodes[random() % nodes.size()];
        if (CanReattach(moved, target)) ConnectWithoutListing(moved, target);
    }
    testing::internal::GetCapturedStdout();
}

std::multiset<std::string> Texts(const Scene& scene) {
    std::multiset<std::string> texts;
    for (const SceneItem& item : scene.items)
        if (item.kind == SceneKind::Text) texts.insert(scene.TextOf(item));
    return texts;
}

bool SameRgb(const float a[3], const float b[3]) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// Where a branch band (or a dash of it) lies along the branch from `from` to `to`: the
// fractions of the way at its two ends, or false when it is not on that branch.
bool OnBranch(const SceneQuad& quad, const CladeNode* from, const CladeNode* to, float* t0,
              float* t1) {
    const float dx = to->x - from->x;
    const float dy = to->y - from->y;
    const float ends[2][2] = {{(quad.corners[0][0] + quad.corners[1][0]) / 2, quad.corners[0][1]},
                              {(quad.corners[2][0] + quad.corners[3][0]) / 2, quad.corners[2][1]}};
    float t[2];
    for (int k = 0; k < 2; ++k) {
        const float ex = ends[k][0] - from->x;
        const float ey = ends[k][1] - from->y;
        if (std::fabs(ex * dy - ey * dx) > 1e-3f) return false;
        t[k] = (ex * dx + ey * dy) / (dx * dx + dy * dy);
        if (t[k] < -1e-4f || t[k] > 1.0f + 1e-4f) return false;
    }
    *t0 = t[0];
    *t1 = t[1];
    return true;
}

class ReconstructionSceneTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Refusal why;
        ASSERT_TRUE(TextInitWithoutWindow(800, 600, &why)) << DescribeRefusal(why);
    }
    void TearDown() override { ResetModel(); }
    // Tens of KB: off the stack.
    std::unique_ptr<Reconstruction> reconstruction_ = std::make_unique<Reconstruction>();
    Scene scene_;
};

TEST_F(ReconstructionSceneTest, FewestChangeMarkersCountTheLengthAndTheRootShowsItsWholeSet) {
    std::mt19937 random(1709);
    int ambiguousRoots = 0;
    for (int round = 0; round < 12; ++round) {
        const int taxa = 3 + round % 10;
        const int characters = 1 + round % 7;
        SCOPED_TRACE(std::to_string(taxa) + " taxa, round " + std::to_string(round));
        LoadMatrix(RandomMatrix(taxa, characters, random));
        Shuffle(random, round);
        reconstruction_->Compute(gRoot);
        const ReconstructionView views{reconstruction_.get(), true, -1};
        SceneView view{nullptr, nullptr, -100.0f, -100.0f};
        view.reconstructionView = &views;
        BuildFrameScene(view, &scene_);

        const int length = ComputeParsimony(gRoot).length;
        std::map<SceneKind, int> kinds;
        for (const SceneItem& item : scene_.items)
            ++kinds[item.kind];
        EXPECT_EQ(kinds[SceneKind::Marker], length);
        EXPECT_EQ(kinds[SceneKind::Outline], length);
        EXPECT_EQ(scene_.eventTotal, length);
        const std::multiset<std::string> texts = Texts(scene_);
        EXPECT_EQ(texts.count("Fewest changes: " + std::to_string(length)), 1u);
        for (const std::string& text : texts)
            EXPECT_EQ(text.find("Total Events"), std::string::npos);
        for (int c = 0; c < characters; ++c) {
            const StateSet root = reconstruction_->MprSet(0, c);
            EXPECT_EQ(texts.count("C" + std::to_string(c) + ": " + StateSetText(c, root)), 1u);
            if (StateCount(root) == 2) { // "a or b", in index order
                const int high = 63 - __builtin_clzll(root);
                EXPECT_EQ(StateSetText(c, root), std::string(gStateNames[c][LowestState(root)]) +
                                                     " or " + gStateNames[c][high]);
            }
            ambiguousRoots += StateCount(root) > 1;
        }
    }
    EXPECT_GT(ambiguousRoots, 0) << "no root was ambiguous: the table tests too little";
}

TEST_F(ReconstructionSceneTest, TraceColoursEachBandByItsNodesMprSetAndNamesEveryState) {
    std::mt19937 random(4021);
    int dashed = 0;
    int solid = 0;
    for (int round = 0; round < 8; ++round) {
        const int taxa = 4 + round * 2;
        const int characters = 3;
        LoadMatrix(RandomMatrix(taxa, characters, random));
        Shuffle(random, 2 * round);
        reconstruction_->Compute(gRoot);
        std::vector<CladeNode*> nodes;
        Collect(gRoot, &nodes);
        for (int c = 0; c < characters; ++c) {
            SCOPED_TRACE(std::to_string(taxa) + " taxa, character " + std::to_string(c));
            const ReconstructionView views{reconstruction_.get(), false, c};
            SceneView view{nullptr, nullptr, -100.0f, -100.0f};
            view.reconstructionView = &views;
            BuildFrameScene(view, &scene_);

            bool anyAmbiguous = false;
            for (const CladeNode* node : nodes) {
                const StateSet set = reconstruction_->MprSet(reconstruction_->IndexOf(node), c);
                const bool ambiguous = StateCount(set) > 1;
                anyAmbiguous = anyAmbiguous || ambiguous;
                const float* rgb =
                    ambiguous ? kTraceAmbiguousColour : TraceStateColour(LowestState(set));
                // The band into the node, or the stem into the root: its pieces in order.
                std::vector<std::pair<float, float>> pieces;
                for (const SceneItem& item : scene_.items) {
                    float t0 = 0;
                    float t1 = 0;
                    if (node == gRoot && item.kind == SceneKind::Rect &&
                        item.space == SceneSpace::Tree) {
                        EXPECT_TRUE(SameRgb(item.rect.rgb, rgb));
                        pieces.emplace_back(item.rect.left - (node->x - 1.0f),
                                            item.rect.right - (node->x - 1.0f));
                    } else if (node != gRoot && item.kind == SceneKind::Quad &&
                               OnBranch(item.quad, node->parent, node, &t0, &t1)) {
                        EXPECT_TRUE(SameRgb(item.quad.rgb, rgb)) << "node " << node->id;
                        pieces.emplace_back(t0, t1);
                    }
                }
                ASSERT_FALSE(pieces.empty()) << "node " << node->id;
                // Whole from end to end, or dashes with gaps between them.
                EXPECT_NEAR(pieces.front().first, 0.0f, 1e-4f);
                EXPECT_NEAR(pieces.back().second, 1.0f, 1e-4f);
                EXPECT_EQ(pieces.size() > 1, ambiguous) << "node " << node->id;
                for (size_t k = 1; k < pieces.size(); ++k)
                    EXPECT_GT(pieces[k].first, pieces[k - 1].second + 1e-3f);
                (ambiguous ? dashed : solid) += 1;
            }

            std::map<SceneKind, int> kinds;
            for (const SceneItem& item : scene_.items)
                ++kinds[item.kind];
            EXPECT_EQ(kinds[SceneKind::Marker], 0) << "the markers give way to the colours";
            const std::multiset<std::string> texts = Texts(scene_);
            EXPECT_EQ(texts.count("Total Events: " + std::to_string(CountChangeEvents(gRoot))), 1u);
            EXPECT_EQ(texts.count("Trace: C" + std::to_string(c)), 1u);
            const int steps = reconstruction_->Steps(c);
            EXPECT_EQ(texts.count(std::to_string(steps) + (steps == 1 ? " step" : " steps") +
                                  " on this tree (minimum " + std::to_string(CharacterMinimum(c)) +
                                  ")"),
                      1u);
            // Every state some cell allows, and nothing for the names of missing and
            // polymorphic cells, which are no states of their own.
            for (int s = 0; s < gStateCounts[c]; ++s) {
                bool held = false;
                for (int t = 0; t < taxa; ++t)
                    held = held || (CellStates(t, c) & StateBit(s)) != 0;
                EXPECT_EQ(texts.count(gStateNames[c][s]), held ? 1u : 0u) << gStateNames[c][s];
            }
            EXPECT_EQ(texts.count("more than one state possible"), anyAmbiguous ? 1u : 0u);

            // The legend covers no line of the lists and no leaf label.
            ASSERT_TRUE(scene_.traceLegendShown);
            for (const CharacterLine& line : scene_.characterLines)
                EXPECT_FALSE(Overlaps(line.box, scene_.traceLegend));
            std::vector<PercentBox> labels;
            AddLabelBoxes(gRoot, MeasureText, &labels);
            for (const PercentBox& label : labels)
                EXPECT_FALSE(Overlaps(label, scene_.traceLegend));
        }
    }
    EXPECT_GT(dashed, 0);
    EXPECT_GT(solid, 0);
}

} // namespace
