// Random re-attachments on random matrices: after every rebuild the tree keeps all its
// invariants, and refused pairs leave it exactly as it was.
#include "clade_support.h"

#include <random>
#include <sstream>

namespace {

using PropertyTest = CladeTest;

// The listing printed after a Connect: the Connecting line, then one line per node in
// pre-order with the node's own id and its parent's.
testing::AssertionResult ListingMatchesTree(const std::string& out, int32_t moved, int32_t target) {
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    const std::string expected = "---------- Connecting #" + std::to_string(moved) + " before #" +
                                 std::to_string(target) + " -----------------";
    if (line != expected) return testing::AssertionFailure() << "first line: " << line;
    for (const CladeNode* node : PreOrder()) {
        if (!std::getline(lines, line)) return testing::AssertionFailure() << "listing too short";
        std::string head = "Node " + std::to_string(node->id) + ":  ";
        head += node->parent ? "P=" + std::to_string(node->parent->id) + "  " : "ROOT ";
        if (line.find(head) == std::string::npos)
            return testing::AssertionFailure() << "expected " << head << " in: " << line;
    }
    if (std::getline(lines, line))
        return testing::AssertionFailure() << "listing too long: " << line;
    return testing::AssertionSuccess();
}

TEST_F(PropertyTest, RandomConnectsKeepEveryInvariant) {
    static int releases;
    SetNodeReleaseHook([](const CladeNode*) { ++releases; });
    std::mt19937 rng(20240607);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    int applied = 0;
    int refused = 0;
    for (int matrix = 0; matrix < 40; ++matrix) {
        const int n = pick(2, 19);
        const int characters = pick(0, 19);
        std::vector<std::string> names;
        std::vector<std::vector<int>> states(n);
        for (int t = 0; t < n; ++t) {
            names.push_back("taxon" + std::to_string(t));
            for (int c = 0; c < characters; ++c)
                states[t].push_back(pick(0, t)); // a state at most as new as its column
        }
        SetMatrix(names, states);
        BuildAndList();
        ASSERT_TRUE(TreeIsSound()) << "initial tree, " << n << " taxa";

        for (int step = 0; step < 120; ++step) {
            const std::vector<CladeNode*> nodes = PreOrder();
            CladeNode* s = nodes[pick(0, static_cast<int>(nodes.size()) - 1)];
            CladeNode* t = nodes[pick(0, static_cast<int>(nodes.size()) - 1)];
            const int32_t sid = s->id;
            const int32_t tid = t->id;
            const int32_t nextId = gNextNodeId;
            const bool ontoParent = t == s->parent; // the parent itself is compacted away
            releases = 0;
            if (s == gRoot || t == s || t == s->left || t == s->right) {
                const std::string before = Fingerprint();
                const std::string out = Captured([&] { s->Connect(t); });
                ASSERT_EQ(out, "---------- Connecting #" + std::to_string(sid) + " before #" +
                                   std::to_string(tid) + " -----------------\n");
                ASSERT_EQ(Fingerprint(), before);
                ASSERT_EQ(gNextNodeId, nextId);
                ASSERT_EQ(releases, 0);
                ++refused;
                continue;
            }
            const std::string out = Captured([&] { s->Connect(t); });
            ASSERT_TRUE(TreeIsSound()) << n << " taxa, #" << sid << " before #" << tid;
            ASSERT_TRUE(ListingMatchesTree(out, sid, tid));
            ASSERT_EQ(gNextNodeId, nextId + 1);
            ASSERT_EQ(releases, 1); // the old parent, or the dissolved node
            // The target moves one level down as the first child of the new node.
            const CladeNode* joint = nullptr;
            for (const CladeNode* node : PreOrder())
                if (node->id == nextId) joint = node;
            ASSERT_NE(joint, nullptr);
            if (!ontoParent) {
                ASSERT_EQ(joint->left->id, tid);
            }
            ++applied;
        }
    }
    // Both kinds were exercised in quantity.
    EXPECT_GT(applied, 3000);
    EXPECT_GT(refused, 100);
}

} // namespace
