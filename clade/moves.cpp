// Move trials on private copies, the best single move, the search for a better tree and
// the replay of found moves on the live tree (see moves.h). Called by the app, the tests
// and the benchmarks. No GL state; prints nothing.
#include "clade/moves.h"

#include "clade/parsimony.h"

#include <cassert>
#include <cstring>

namespace {

// Pre-order, left before right; Node is CladeNode or const CladeNode.
template <typename Node> void CollectPreOrder(Node* node, std::vector<Node*>* out) {
    if (node == nullptr) return;
    out->push_back(node);
    CollectPreOrder<Node>(node->left, out);
    CollectPreOrder<Node>(node->right, out);
}

// Arena nodes belong to the arena: a node that leaves the copy needs no release.
void KeepArenaNode(CladeNode*) {}

} // namespace

TreeScore ScoreTree(const CladeNode* root) {
    return {CountChangeEvents(root), ParsimonyLength(root)};
}

TrialArena::TrialArena(const CladeNode* root) {
    CollectPreOrder(root, &source_);
    const int n = NodeCount();
    parent_.assign(n, -1);
    left_.assign(n, -1);
    right_.assign(n, -1);
    // Pre-order: a node's children come after it, so one backward search finds its parent.
    for (int i = 1; i < n; ++i) {
        int p = i - 1;
        while (source_[p] != source_[i]->parent)
            --p;
        parent_[i] = p;
        (source_[p]->left == source_[i] ? left_ : right_)[p] = i;
    }
    // Copies of the given-id constructor: building the arena takes no node number.
    nodes_.assign(n + 1, CladeNode(0));
}

int TrialArena::IndexOf(const CladeNode* node) const {
    for (int i = 0; i < NodeCount(); ++i)
        if (source_[i] == node) return i;
    return -1;
}

bool TrialArena::Allowed(TreeMove move) const {
    const int n = NodeCount();
    return move.moved >= 0 && move.moved < n && move.target >= 0 && move.target < n &&
           CanReattach(source_[move.moved], source_[move.target]);
}

CladeNode* TrialArena::Copy() {
    auto link = [this](int index) { return index < 0 ? nullptr : &nodes_[index]; };
    for (int i = 0; i < NodeCount(); ++i) {
        CladeNode& copy = nodes_[i];
        copy = *source_[i];
        copy.parent = link(parent_[i]);
        copy.left = link(left_[i]);
        copy.right = link(right_[i]);
    }
    return &nodes_[0];
}

TreeScore TrialArena::Try(TreeMove move, int32_t jointId) {
    assert(Allowed(move));
    CladeNode* root = Copy();
    CladeNode* joint = &nodes_.back();
    *joint = CladeNode(jointId);
    Reattach(root, &nodes_[move.moved], &nodes_[move.target], joint);
    UpdateTree(root, KeepArenaNode);
    trialRoot_ = root;
    return ScoreTree(root);
}

std::vector<DropFigures> PreviewDrops(const CladeNode* root, const CladeNode* moved,
                                      TaxonMask outgroup) {
    std::vector<DropFigures> drops;
    if (root == nullptr || moved == nullptr || moved->parent == nullptr) return drops;
    TrialArena arena(root);
    const int m = arena.IndexOf(moved);
    if (m < 0) return drops;
    const bool rooted = outgroup != 0 && IsRootedOn(root, outgroup);
    for (int t = 0; t < arena.NodeCount(); ++t) {
        if (!arena.Allowed({m, t})) continue;
        const TreeScore score = arena.Try({m, t}, gNextNodeId);
        drops.push_back(
            {arena.Source(t), score, rooted && !IsRootedOn(arena.TrialRoot(), outgroup)});
    }
    return drops;
}

// Moved nodes in pre-order, then targets in pre-order; a later pair wins only when strictly
// better, so ties keep the first.
MoveChoice BestSingleMove(const CladeNode* root, TaxonMask outgroup) {
    MoveChoice best;
    if (root == nullptr) return best;
    TrialArena arena(root);
    const bool rooted = outgroup != 0 && IsRootedOn(root, outgroup);
    for (int m = 1; m < arena.NodeCount(); ++m) {
        for (int t = 0; t < arena.NodeCount(); ++t) {
            if (!arena.Allowed({m, t})) continue;
            const TreeScore score = arena.Try({m, t}, gNextNodeId);
            if (rooted && !IsRootedOn(arena.TrialRoot(), outgroup)) continue;
            if (!best.found || Better(score, best.score)) best = {true, {m, t}, score};
        }
    }
    return best;
}

uint32_t MatrixSeed() {
    // FNV-1a over the counts, the names and the states.
    uint32_t hash = 2166136261u;
    auto mix = [&hash](const void* data, std::size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i)
            hash = (hash ^ bytes[i]) * 16777619u;
    };
    mix(&gTaxonCount, sizeof gTaxonCount);
    mix(&gCharacterCount, sizeof gCharacterCount);
    for (int t = 0; t < gTaxonCount && t < kMaxTaxa; ++t) {
        mix(gTaxa[t].name, strnlen(gTaxa[t].name, kTaxonNameSize));
        mix(gTaxa[t].states, sizeof gTaxa[t].states);
    }
    for (int c = 0; c < gCharacterCount && c < kMaxCharacters; ++c)
        mix(gCharacterNames[c], strnlen(gCharacterNames[c], kMatrixNameSize));
    return hash;
}
