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

// Leaves below node, a leaf counting itself; fails on the first broken link.
int CheckLinks(const CladeNode* node, std::set<const TaxonRecord*>* sources, std::set<int32_t>* ids,
               std::string* fault) {
    if (!ids->insert(node->id).second || node->id >= gNextNodeId)
        *fault = "bad or repeated id " + std::to_string(node->id);
    if (node->isTaxon) {
        if (node->left != nullptr || node->right != nullptr) *fault = "taxon leaf with a child";
        const int n = gTaxonCount;
        if (node->source < gTaxa || node->source >= gTaxa + (n > 0 ? n : 1))
            *fault = "leaf without a taxon source";
        else if (!sources->insert(node->source).second)
            *fault = "taxon shown twice";
        return 1;
    }
    if (node->left == nullptr || node->right == nullptr) {
        *fault = "internal node " + std::to_string(node->id) + " without two children";
        return 0;
    }
    if (node->left->parent != node || node->right->parent != node) {
        *fault = "child of node " + std::to_string(node->id) + " names another parent";
        return 0;
    }
    return CheckLinks(node->left, sources, ids, fault) +
           CheckLinks(node->right, sources, ids, fault);
}

int LeavesBelow(const CladeNode* node) {
    return node->isTaxon ? 1 : LeavesBelow(node->left) + LeavesBelow(node->right);
}

} // namespace

testing::AssertionResult TreeIsSound() {
    const int n = gTaxonCount;
    if (gRoot == nullptr || gRoot->parent != nullptr)
        return testing::AssertionFailure() << "no root, or a root with a parent";
    std::set<const TaxonRecord*> sources;
    std::set<int32_t> ids;
    std::string fault;
    CheckLinks(gRoot, &sources, &ids, &fault);
    if (!fault.empty()) return testing::AssertionFailure() << fault;
    const std::vector<CladeNode*> nodes = PreOrder();
    const size_t expectedNodes = n > 0 ? 2 * n - 1 : 1;
    if (nodes.size() != expectedNodes)
        return testing::AssertionFailure() << nodes.size() << " nodes for " << n << " taxa";

    int leafIndex = 0;
    int perBranch = 0;
    for (const CladeNode* node : nodes) {
        const int k = LeavesBelow(node);
        const bool root = node == gRoot;
        const int level = (root || node->isTaxon) ? n : n - k + 1;
        if (node->level != level)
            return testing::AssertionFailure() << "node " << node->id << " level " << node->level;
        if (n > 0 && node->x != static_cast<float>(n - k))
            return testing::AssertionFailure() << "node " << node->id << " x " << node->x;
        if (root && (node->x != 0.0f || node->y != 0.0f))
            return testing::AssertionFailure() << "root away from the origin";
        if (!root) {
            const float side = node == node->parent->left ? -1.0f : 1.0f;
            const float dy = (node->x - node->parent->x) * 0.5f * side;
            if (node->y != node->parent->y + dy)
                return testing::AssertionFailure() << "node " << node->id << " y " << node->y;
        }
        if (node->isTaxon) {
            const float y = static_cast<float>(leafIndex++) - (n - 1) / 2.0f;
            if (n > 0 && (node->x != static_cast<float>(n - 1) || node->y != y))
                return testing::AssertionFailure()
                       << "leaf " << node->name << " at " << node->x << "," << node->y;
            if (std::memcmp(node->states, node->source->states, sizeof node->states) != 0 ||
                std::string(node->name) != node->source->name)
                return testing::AssertionFailure()
                       << "leaf " << node->id << " differs from its taxon";
        } else {
            for (int c = 0; c < kMaxCharacters; ++c) {
                const int32_t s = node->states[c];
                const bool inRange =
                    c < gCharacterCount ? s >= 0 && s < gStateCounts[c] : s == kNoState;
                if (!inRange)
                    return testing::AssertionFailure()
                           << "node " << node->id << " state " << c << " = " << s;
            }
            if (std::string(node->name) != "Unused")
                return testing::AssertionFailure() << "internal node named " << node->name;
        }
        if (!root) {
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
