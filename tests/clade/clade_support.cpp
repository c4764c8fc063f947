// Helpers shared by the tree tests (see clade_support.h).
#include "clade_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

void CladeTest::SetUp() {
    SetNodeReleaseHook(nullptr);
    ResetClade(true);
    ResetMatrix();
}

void CladeTest::TearDown() {
    SetNodeReleaseHook(nullptr);
    ResetClade(true);
}

void SetMatrix(const std::vector<std::string>& names, const std::vector<std::vector<int>>& states) {
    ResetMatrix();
    gTaxonCount = static_cast<int32_t>(names.size());
    gCharacterCount = states.empty() ? 0 : static_cast<int32_t>(states[0].size());
    for (size_t t = 0; t < names.size(); ++t) {
        std::snprintf(gTaxa[t].name, sizeof gTaxa[t].name, "%s", names[t].c_str());
        for (int c = 0; c < gCharacterCount; ++c) {
            gTaxa[t].states[c] = states[t][c];
            if (states[t][c] >= gStateCounts[c]) gStateCounts[c] = states[t][c] + 1;
        }
    }
    for (int c = 0; c < gCharacterCount; ++c)
        for (int s = 0; s < kMaxStates; ++s)
            std::snprintf(gStateNames[c][s], kMatrixNameSize, "s%d", s);
}

std::string Captured(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

std::string BuildAndList() {
    return Captured([] {
        BuildInitialTree();
        RebuildTree();
    });
}

std::string Shape(const CladeNode* node) {
    if (node == nullptr) return "-";
    if (node->isTaxon) return node->source->name;
    return "(" + Shape(node->left) + "," + Shape(node->right) + ")";
}

namespace {

void Collect(CladeNode* node, std::vector<CladeNode*>* out) {
    if (node == nullptr) return;
    out->push_back(node);
    Collect(node->left, out);
    Collect(node->right, out);
}

} // namespace

std::vector<CladeNode*> PreOrder() {
    std::vector<CladeNode*> nodes;
    Collect(gRoot, &nodes);
    return nodes;
}

CladeNode* FindTaxon(const char* name) {
    for (CladeNode* node : PreOrder())
        if (node->isTaxon && std::string(node->name) == name) return node;
    return nullptr;
}

std::string Fingerprint() {
    std::ostringstream out;
    for (const CladeNode* node : PreOrder()) {
        out << node->id << " p" << (node->parent ? node->parent->id : -1) << " l"
            << (node->left ? node->left->id : -1) << " r" << (node->right ? node->right->id : -1)
            << (node->isTaxon ? " T" : " I") << " L" << node->level << " " << node->x << ","
            << node->y << " " << node->name << " [";
        for (int32_t s : node->states)
            out << s << " ";
        out << "]\n";
    }
    return out.str();
}

namespace {

int LeavesBelow(const CladeNode* node) {
    return node->isTaxon ? 1 : LeavesBelow(node->left) + LeavesBelow(node->right);
}

} // namespace

// The model's own check of links, leaves, levels, positions and states, plus what follows
// from them for a tree over the whole matrix: 2n - 1 nodes, a node with k leaves at
// x = n - k, and change events that agree branch by branch with the total.
testing::AssertionResult TreeIsSound() {
    const int n = gTaxonCount;
    std::string fault;
    if (!CheckTree(gRoot, &fault)) return testing::AssertionFailure() << fault;
    const std::vector<CladeNode*> nodes = PreOrder();
    const size_t expectedNodes = n > 0 ? 2 * n - 1 : 1;
    if (nodes.size() != expectedNodes)
        return testing::AssertionFailure() << nodes.size() << " nodes for " << n << " taxa";

    int perBranch = 0;
    for (const CladeNode* node : nodes) {
        if (n > 0 && node->x != static_cast<float>(n - LeavesBelow(node)))
            return testing::AssertionFailure() << "node " << node->id << " x " << node->x;
        if (node == gRoot) continue;
        int tnum[kMaxCharacters];
        int tval[kMaxCharacters];
        const int count = ListChangeEvents(node, tnum, tval);
        int expected = 0;
        for (int c = 0; c < gCharacterCount; ++c) {
            if (node->states[c] == node->parent->states[c]) continue;
            if (expected >= count || tnum[expected] != c || tval[expected] != node->states[c])
                return testing::AssertionFailure() << "events of node " << node->id;
            ++expected;
        }
        if (expected != count)
            return testing::AssertionFailure() << "extra events on node " << node->id;
        perBranch += count;
    }
    if (CountChangeEvents(gRoot) != perBranch)
        return testing::AssertionFailure()
               << "total " << CountChangeEvents(gRoot) << " vs " << perBranch << " by branch";
    return testing::AssertionSuccess();
}

namespace {

// The test files and their folder, removed when the test program ends.
struct TempFiles {
    std::string dir;
    std::vector<std::string> paths;
    ~TempFiles() {
        for (const std::string& path : paths)
            std::remove(path.c_str());
        if (!dir.empty()) std::remove(dir.c_str());
    }
};

TempFiles gTempFiles;

} // namespace

std::string WriteTempFile(const std::string& name, const std::string& content) {
    if (gTempFiles.dir.empty()) {
        std::string pattern = testing::TempDir() + "clade_test_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return "";
        gTempFiles.dir = pattern;
    }
    const std::string path = gTempFiles.dir + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    gTempFiles.paths.push_back(path);
    return path;
}

void SetRandomCells(int n, int characters, std::mt19937& random) {
    std::vector<std::string> names;
    std::vector<std::vector<int>> rows(static_cast<size_t>(n));
    for (int t = 0; t < n; ++t) {
        names.push_back("T" + std::to_string(t));
        for (int c = 0; c < characters; ++c)
            rows[t].push_back(static_cast<int>(random() % StatesOf(c)));
    }
    SetMatrix(names, rows);
    for (int c = 1; c < characters; ++c) {
        const StateSet all = StateBit(StatesOf(c)) - 1;
        for (int t = 0; t < n; ++t) {
            if (random() % 3 != 0) continue;
            if (c % 3 == 1) gCellSets[t][c] = all;
            if (c % 3 == 2) gCellSets[t][c] = StateBit(gTaxa[t].states[c]) | (random() & all);
        }
    }
}

std::vector<Parents> AllRootedTrees(int n) {
    std::vector<Parents> trees = {{-1}};
    for (int k = 1; k < n; ++k) {
        std::vector<Parents> grown;
        for (const Parents& tree : trees) {
            for (size_t v = 0; v < tree.size(); ++v) {
                Parents next = tree;
                next.push_back(tree[v]); // the joint takes v's place
                next.push_back(2 * k - 1);
                next[v] = 2 * k - 1;
                grown.push_back(next);
            }
        }
        trees = grown;
    }
    return trees;
}

std::vector<CladeNode*> BuildParents(const Parents& tree) {
    std::vector<CladeNode*> nodes;
    for (size_t i = 0; i < tree.size(); ++i)
        nodes.push_back(new CladeNode(static_cast<int32_t>(i)));
    for (size_t i = 0; i < tree.size(); ++i) {
        if (i % 2 == 0) MakeTaxonLeaf(nodes[i], static_cast<int>(i / 2));
        if (tree[i] < 0) continue;
        CladeNode* parent = nodes[tree[i]];
        nodes[i]->parent = parent;
        (parent->left == nullptr ? parent->left : parent->right) = nodes[i];
    }
    return nodes;
}

BruteForce SolveByBruteForce(const Parents& tree, int character, int states) {
    const size_t size = tree.size();
    BruteForce result{1 << 30, std::vector<StateSet>(size, 0)};
    int assignments = 1;
    for (size_t i = 1; i < size; i += 2)
        assignments *= states;
    std::vector<int> at(size, 0);
    for (int code = 0; code < assignments; ++code) {
        int rest = code;
        for (size_t i = 1; i < size; i += 2) {
            at[i] = rest % states;
            rest /= states;
        }
        int cost = 0;
        for (size_t i = 0; i < size; ++i) {
            if (tree[i] < 0) continue;
            const int above = at[tree[i]];
            cost += i % 2 == 0
                        ? (CellStates(static_cast<int>(i / 2), character) & StateBit(above)) == 0
                        : at[i] != above;
        }
        if (cost > result.steps) continue;
        if (cost < result.steps) result = {cost, std::vector<StateSet>(size, 0)};
        for (size_t i = 0; i < size; ++i) {
            if (i % 2 == 1) {
                result.mpr[i] |= StateBit(at[i]);
                continue;
            }
            const StateSet cell = CellStates(static_cast<int>(i / 2), character);
            const StateSet above = tree[i] < 0 ? cell : StateBit(at[tree[i]]);
            result.mpr[i] |= (cell & above) != 0 ? cell & above : cell;
        }
    }
    return result;
}
