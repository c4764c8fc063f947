// SearchBestTrees and ScoreAppliedTree (see search.h). Called by the app, the tests and the
// benchmarks. No GL state, no output.
//
// The search works on its own compact trees (index arrays, no CladeNode), always rooted on
// the outgroup: the root's first child holds the outgroup's part, its second the rest (the
// ingroup's part), and every move stays within one part. It runs in two phases:
// 1. The shortest trees. Up to kExactSearchTaxa taxa, branch and bound proves the shortest
//    length and meets every tree of that length; beyond, TBR climbs from the tree searched
//    from and from random addition sequences, then TBR from every kept tree to meet the
//    other trees of the same length. Both rest on one exact fact: joining a subtree whose
//    Fitch sets (at its top) are P onto the branch above node x of the rest of the tree
//    costs, per character, one step when P meets nothing of Fitch's rule applied to x's
//    set from below and its set from above (the rest of the tree seen from x), else none.
//    So a pass down and a pass up price every place at once.
// 2. For the goal kShortest, the kept trees are each turned (children swapped) towards
//    fewer events. For kFewestEvents, best-move climbs on the events (SPR moves and
//    swaps) from the tree searched from and from the best-turned shortest trees.
// The events of a tree are counted as it shows once built fresh (ApplyNewickTree): every
// internal node first takes the states of its last leaf, then the editor's pre-order pass
// runs once (see ScoreFresh).
#include "clade/search.h"

#include "clade/parsimony.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <map>
#include <memory>
#include <random>

namespace {

constexpr int kNone = -1;

// Starting trees of the heuristic beyond the tree searched from, and how many of the kept
// shortest trees the events climbs start from.
constexpr int kRandomStarts = 30;
constexpr int kEventStarts = 3;
// TBR scans from kept trees, to meet equally short ones: at most this many in all.
constexpr int kPlateauScans = 2 * kMaxKeptTrees;

// The matrix as the search reads it.
struct Data {
    int n = 0;
    int characters = 0;
    TaxonMask outgroup = 0;
    StateSet cells[kMaxTaxa][kMaxCharacters] = {};
    int32_t names[kMaxTaxa][kMaxCharacters] = {}; // the state indices the editor's rule reads
};

// A rooted binary tree over some or all of the taxa: node t < n is taxon t's leaf, nodes
// n and up are internal. The root's first child holds the outgroup's part.
struct Tree {
    int root = kNone;
    int parent[kMaxTreeNodes];
    int left[kMaxTreeNodes]; // kNone for a leaf
    int right[kMaxTreeNodes];

    bool IsLeaf(int v) const { return left[v] == kNone; }
    int Sibling(int v) const { return left[parent[v]] == v ? right[parent[v]] : left[parent[v]]; }
    // The link of v's parent that holds v.
    int& SlotOf(int v) { return left[parent[v]] == v ? left[parent[v]] : right[parent[v]]; }
    // The root's child whose part holds v (v not the root).
    int PartOf(int v) const {
        while (parent[v] != root)
            v = parent[v];
        return v;
    }
};

// Nodes under from in pre-order, left before right; returns how many.
int PreOrder(const Tree& t, int from, int* out) {
    int stack[kMaxTreeNodes];
    int depth = 0;
    int count = 0;
    stack[depth++] = from;
    while (depth > 0) {
        const int v = stack[--depth];
        out[count++] = v;
        if (!t.IsLeaf(v)) {
            stack[depth++] = t.right[v];
            stack[depth++] = t.left[v];
        }
    }
    return count;
}

// Takes s (with its subtree) out: its parent p leaves the tree and s's sibling takes p's
// place. Returns p, whose id is free again. s is not the root nor a child of it.
int Detach(Tree& t, int s) {
    const int p = t.parent[s];
    assert(p != kNone && p != t.root);
    const int w = t.Sibling(s);
    t.SlotOf(p) = w;
    t.parent[w] = t.parent[p];
    t.parent[s] = kNone;
    return p;
}

// Puts s above x under p (a free id): p takes x's place, x as its first child and s as
// its second. x is not the root.
void InsertAbove(Tree& t, int x, int s, int p) {
    t.parent[p] = t.parent[x];
    t.SlotOf(x) = p;
    t.left[p] = x;
    t.right[p] = s;
    t.parent[x] = p;
    t.parent[s] = p;
}

StateSet Fitch(StateSet a, StateSet b) {
    const StateSet shared = a & b;
    return shared != 0 ? shared : a | b;
}

// Fitch's sets of a tree from below (down) and from above (up), the steps under each node
// and the length.
struct Passes {
    int order[kMaxTreeNodes]; // pre-order from the root
    int count = 0;
    int length = 0;
    int below[kMaxTreeNodes];
    StateSet down[kMaxTreeNodes][kMaxCharacters];
    StateSet up[kMaxTreeNodes][kMaxCharacters]; // for a child of the root: its sibling's down
};

// The passes over the subtree under top (the whole tree when top is the root): the up
// sets are those of the rest of that subtree.
void PassDown(const Data& d, const Tree& t, int top, Passes* ps) {
    ps->count = PreOrder(t, top, ps->order);
    for (int k = ps->count - 1; k >= 0; --k) { // children before parents
        const int v = ps->order[k];
        if (t.IsLeaf(v)) {
            std::memcpy(ps->down[v], d.cells[v], sizeof(StateSet) * d.characters);
            ps->below[v] = 0;
            continue;
        }
        const StateSet* a = ps->down[t.left[v]];
        const StateSet* b = ps->down[t.right[v]];
        int steps = ps->below[t.left[v]] + ps->below[t.right[v]];
        for (int c = 0; c < d.characters; ++c) {
            const StateSet shared = a[c] & b[c];
            ps->down[v][c] = shared != 0 ? shared : a[c] | b[c];
            steps += shared == 0;
        }
        ps->below[v] = steps;
    }
    ps->length = ps->below[top];
}

void PassUp(const Data& d, const Tree& t, Passes* ps) {
    const int top = ps->order[0];
    for (int k = 1; k < ps->count; ++k) { // parents before children
        const int v = ps->order[k];
        const int p = t.parent[v];
        const StateSet* sibling = ps->down[t.Sibling(v)];
        if (p == top) {
            std::memcpy(ps->up[v], sibling, sizeof(StateSet) * d.characters);
            continue;
        }
        for (int c = 0; c < d.characters; ++c)
            ps->up[v][c] = Fitch(ps->up[p][c], sibling[c]);
    }
}

// Fitch's sets of a virtual root on the branch above x (not the top of the passes).
void BranchSets(const Data& d, const Passes& ps, int x, StateSet* out) {
    for (int c = 0; c < d.characters; ++c)
        out[c] = Fitch(ps.down[x][c], ps.up[x][c]);
}

// The steps that joining a subtree whose top has the sets top onto a branch whose virtual
// root has the sets branch adds.
int JoinCost(const Data& d, const StateSet* top, const StateSet* branch) {
    int cost = 0;
    for (int c = 0; c < d.characters; ++c)
        cost += (top[c] & branch[c]) == 0;
    return cost;
}

// Re-roots the subtree under top on the branch above y (y below top, not a child of it):
// top's id becomes the new top, with y as its first child and the rest of the subtree as
// its second; the branches on the path from y to top turn round and top's two branches
// join into one. The unrooted subtree and top's own link upwards stay as they are.
void RerootSubtree(Tree& t, int top, int y) {
    const int oldLeft = t.left[top];
    const int oldRight = t.right[top];
    int below = y;
    int above = t.parent[y];
    assert(above != top);
    int holder = top;
    int* slot = &t.right[top];
    t.left[top] = y;
    t.parent[y] = top;
    while (above != top) {
        const int next = t.parent[above];
        int* freed = t.left[above] == below ? &t.left[above] : &t.right[above];
        *slot = above;
        t.parent[above] = holder;
        holder = above;
        slot = freed; // above's former parent comes here
        below = above;
        above = next;
    }
    const int other = oldLeft == below ? oldRight : oldLeft;
    *slot = other;
    t.parent[other] = holder;
}

int Length(const Data& d, const Tree& t) {
    // Only the sets of one path of the tree are alive at once: a small post-order.
    StateSet sets[kMaxTreeNodes][kMaxCharacters];
    int order[kMaxTreeNodes];
    const int count = PreOrder(t, t.root, order);
    int length = 0;
    for (int k = count - 1; k >= 0; --k) {
        const int v = order[k];
        if (t.IsLeaf(v)) {
            std::memcpy(sets[v], d.cells[v], sizeof(StateSet) * d.characters);
            continue;
        }
        const StateSet* a = sets[t.left[v]];
        const StateSet* b = sets[t.right[v]];
        for (int c = 0; c < d.characters; ++c) {
            const StateSet shared = a[c] & b[c];
            sets[v][c] = shared != 0 ? shared : a[c] | b[c];
            length += shared == 0;
        }
    }
    return length;
}

// Total Events of the tree built fresh: the initial pass (children first) leaves every
// internal node with its last leaf's states (its parent still holds no state, so the
// rule takes the second child's), the root with its first child's when that is a leaf;
// then one pre-order pass of the rule, which reads the children as the first pass left
// them. A change event is a state that differs from the parent's.
int ScoreFreshEvents(const Data& d, const Tree& t) {
    int order[kMaxTreeNodes];
    const int count = PreOrder(t, t.root, order);
    if (count == 1) return 0;
    int last[kMaxTreeNodes]; // the last leaf under each node
    for (int k = count - 1; k >= 0; --k) {
        const int v = order[k];
        last[v] = t.IsLeaf(v) ? v : last[t.right[v]];
    }
    int32_t state[kMaxTreeNodes][kMaxCharacters];
    const int r = t.root;
    const int from = t.IsLeaf(t.left[r]) ? t.left[r] : last[t.right[r]];
    std::memcpy(state[r], d.names[from], sizeof(int32_t) * d.characters);
    int events = 0;
    for (int k = 1; k < count; ++k) {
        const int v = order[k];
        const int32_t* above = state[t.parent[v]];
        int32_t* mine = state[v];
        if (t.IsLeaf(v)) {
            std::memcpy(mine, d.names[v], sizeof(int32_t) * d.characters);
        } else {
            const int32_t* first = d.names[last[t.left[v]]];
            const int32_t* second = d.names[last[t.right[v]]];
            for (int c = 0; c < d.characters; ++c)
                mine[c] = above[c] == first[c] ? first[c] : second[c];
        }
        for (int c = 0; c < d.characters; ++c)
            events += mine[c] != above[c];
    }
    return events;
}

TreeScore ScoreFresh(const Data& d, const Tree& t) {
    return {ScoreFreshEvents(d, t), Length(d, t)};
}

// A rooted tree as the set of its clades: the taxa under each internal node but the root,
// sorted. Two trees with the same key differ at most in the order of children.
using TreeKey = std::vector<TaxonMask>;

TreeKey KeyOf(const Tree& t) {
    int order[kMaxTreeNodes];
    const int count = PreOrder(t, t.root, order);
    TaxonMask taxa[kMaxTreeNodes];
    TreeKey key;
    for (int k = count - 1; k >= 0; --k) {
        const int v = order[k];
        taxa[v] = t.IsLeaf(v) ? TaxonBit(v) : taxa[t.left[v]] | taxa[t.right[v]];
        if (!t.IsLeaf(v) && v != t.root) key.push_back(taxa[v]);
    }
    std::sort(key.begin(), key.end());
    return key;
}

// The distinct trees met at the best primary figure of a goal, in the order met.
struct Pool {
    struct Entry {
        Tree tree;
        TreeScore score;
    };
    explicit Pool(SearchGoal g) : goal(g) {}
    SearchGoal goal;
    int best = 1 << 30; // the best primary figure met
    std::vector<Entry> entries;
    std::map<TreeKey, std::size_t> keys; // each kept tree's place in entries
    bool more = false;

    // Whether a tree of this primary figure would be kept or would reset the pool.
    bool Wanted(int primary) const {
        return primary < best || (primary == best && (!more || entries.size() < kMaxKeptTrees));
    }
    // Offers a tree; returns true when it was new at the best figure (or beat it).
    bool Offer(const Tree& tree, const TreeScore& score) {
        const int primary = PrimaryFigure(score, goal);
        if (primary > best) return false;
        if (primary < best) {
            best = primary;
            entries.clear();
            keys.clear();
            more = false;
        }
        TreeKey key = KeyOf(tree);
        const auto known = keys.find(key);
        if (known != keys.end()) {
            // The same tree again: keep the better turn of it.
            Entry& entry = entries[known->second];
            if (Better(score, entry.score, goal)) entry = {tree, score};
            return false;
        }
        if (entries.size() >= kMaxKeptTrees) {
            more = true;
            return false;
        }
        keys.emplace(std::move(key), entries.size());
        entries.push_back({tree, score});
        return true;
    }
};

// ---- Phase 1: the shortest trees -------------------------------------------------------

// One TBR scan of t by exact join costs: every subtree of a part, as it hangs and re-rooted
// on each of its inner branches, regrafted on every other branch of the same part (its
// stem included). Offers pool (a kShortest pool, whose scores then hold the length alone)
// every tree at its best length or better. Returns true with *next the best tree of the
// scan when that is shorter than t.
bool ScanTbr(const Data& d, const Tree& t, Pool* pool, Tree* next) {
    auto ps = std::make_unique<Passes>();
    auto rest = std::make_unique<Passes>();
    auto moved = std::make_unique<Passes>();
    PassDown(d, t, t.root, ps.get());
    int bestLength = ps->length;
    bool improved = false;
    Tree work;
    int targets[kMaxTreeNodes];
    // The ways the moved subtree can hang: its top sets for each re-rooting (kNone: as it
    // is), and the branches of the rest it can join.
    int tops[kMaxTreeNodes];
    StateSet topSets[kMaxTreeNodes][kMaxCharacters];
    StateSet branch[kMaxCharacters];
    for (int k = 0; k < ps->count; ++k) {
        const int s = ps->order[k];
        if (s == t.root || t.parent[s] == t.root) continue;
        work = t;
        const int w = t.Sibling(s);
        const int p = Detach(work, s);
        PassDown(d, work, work.root, rest.get());
        PassUp(d, work, rest.get());
        const int base = rest->length + ps->below[s];

        int topCount = 0;
        tops[topCount] = kNone;
        std::memcpy(topSets[topCount++], ps->down[s], sizeof(StateSet) * d.characters);
        if (!work.IsLeaf(s)) {
            PassDown(d, work, s, moved.get());
            PassUp(d, work, moved.get());
            for (int i = 1; i < moved->count; ++i) {
                const int y = moved->order[i];
                if (work.parent[y] == s) continue; // the branch s stands on now
                tops[topCount] = y;
                BranchSets(d, *moved, y, topSets[topCount++]);
            }
        }

        const int count = PreOrder(work, work.PartOf(w), targets);
        for (int i = 0; i < count; ++i) {
            const int x = targets[i];
            BranchSets(d, *rest, x, branch);
            for (int j = 0; j < topCount; ++j) {
                if (x == w && j == 0) continue; // where s came from
                const int length = base + JoinCost(d, topSets[j], branch);
                if (length >= bestLength && !pool->Wanted(length)) continue;
                Tree candidate = work;
                if (tops[j] != kNone) RerootSubtree(candidate, s, tops[j]);
                InsertAbove(candidate, x, s, p);
                pool->Offer(candidate, {0, length});
                if (length < bestLength) {
                    bestLength = length;
                    *next = candidate;
                    improved = true;
                }
            }
        }
    }
    return improved;
}

void ClimbLength(const Data& d, Tree* t, Pool* pool) {
    pool->Offer(*t, {0, Length(d, *t)});
    Tree next;
    while (ScanTbr(d, *t, pool, &next))
        *t = next;
}

// A tree over every taxon built by adding them in a random order, each on the branch of
// its part where it costs least (the first such branch).
Tree RandomAddition(const Data& d, std::mt19937* random) {
    std::vector<int> outgroup;
    std::vector<int> ingroup;
    for (int t = 0; t < d.n; ++t)
        ((d.outgroup & TaxonBit(t)) != 0 ? outgroup : ingroup).push_back(t);
    std::shuffle(outgroup.begin(), outgroup.end(), *random);
    std::shuffle(ingroup.begin(), ingroup.end(), *random);
    Tree t;
    t.root = d.n;
    t.parent[t.root] = kNone;
    t.left[t.root] = outgroup[0];
    t.right[t.root] = ingroup[0];
    t.parent[outgroup[0]] = t.parent[ingroup[0]] = t.root;
    for (int v = 0; v < d.n; ++v)
        t.left[v] = t.right[v] = kNone;
    std::vector<int> rest(outgroup.begin() + 1, outgroup.end());
    rest.insert(rest.end(), ingroup.begin() + 1, ingroup.end());
    std::shuffle(rest.begin(), rest.end(), *random);
    auto ps = std::make_unique<Passes>();
    int targets[kMaxTreeNodes];
    int nextId = d.n + 1;
    for (int taxon : rest) {
        PassDown(d, t, t.root, ps.get());
        PassUp(d, t, ps.get());
        const int part = (d.outgroup & TaxonBit(taxon)) != 0 ? t.left[t.root] : t.right[t.root];
        const int count = PreOrder(t, part, targets);
        int best = targets[0];
        int bestCost = 1 << 30;
        StateSet branch[kMaxCharacters];
        for (int i = 0; i < count; ++i) {
            BranchSets(d, *ps, targets[i], branch);
            const int cost = JoinCost(d, d.cells[taxon], branch);
            if (cost < bestCost) {
                bestCost = cost;
                best = targets[i];
            }
        }
        InsertAbove(t, best, taxon, nextId++);
    }
    return t;
}

// Branch and bound by stepwise addition: taxon order[depth] joins every branch of its part
// whose join keeps the length within the pool's best, and so on; every complete tree at
// the best length is offered. Exact: adding a taxon never shortens a tree.
void BranchAndBound(const Data& d, const std::vector<int>& order, int depth, int length, Tree* t,
                    std::vector<std::unique_ptr<Passes>>& work, Pool* pool) {
    if (depth == static_cast<int>(order.size())) {
        pool->Offer(*t, {0, length});
        return;
    }
    const int taxon = order[depth];
    Passes& ps = *work[depth];
    PassDown(d, *t, t->root, &ps);
    PassUp(d, *t, &ps);
    assert(ps.length == length);
    const int part = (d.outgroup & TaxonBit(taxon)) != 0 ? t->left[t->root] : t->right[t->root];
    int targets[kMaxTreeNodes];
    const int count = PreOrder(*t, part, targets);
    const int joint = d.n + depth + 1; // the tree holds depth + 2 taxa and depth + 1 joints
    StateSet branch[kMaxCharacters];
    for (int i = 0; i < count; ++i) {
        BranchSets(d, ps, targets[i], branch);
        const int cost = JoinCost(d, d.cells[taxon], branch);
        if (!pool->Wanted(length + cost)) continue;
        InsertAbove(*t, targets[i], taxon, joint);
        BranchAndBound(d, order, depth + 1, length + cost, t, work, pool);
        Detach(*t, taxon);
    }
}

void ExactShortest(const Data& d, Pool* pool) {
    std::vector<int> outgroup;
    std::vector<int> ingroup;
    for (int t = 0; t < d.n; ++t)
        ((d.outgroup & TaxonBit(t)) != 0 ? outgroup : ingroup).push_back(t);
    Tree t;
    t.root = d.n;
    t.parent[t.root] = kNone;
    for (int v = 0; v < d.n; ++v)
        t.left[v] = t.right[v] = kNone;
    t.left[t.root] = outgroup[0];
    t.right[t.root] = ingroup[0];
    t.parent[outgroup[0]] = t.parent[ingroup[0]] = t.root;
    std::vector<int> order(outgroup.begin() + 1, outgroup.end());
    order.insert(order.end(), ingroup.begin() + 1, ingroup.end());
    std::vector<std::unique_ptr<Passes>> work;
    for (std::size_t i = 0; i < order.size(); ++i)
        work.push_back(std::make_unique<Passes>());
    BranchAndBound(d, order, 0, Length(d, t), &t, work, pool);
}

// Every kept tree scanned once more for equally short neighbours (which join the pool and
// are scanned in turn); a shorter one restarts the pool and the climb.
void ExplorePlateau(const Data& d, Pool* pool) {
    Tree next;
    std::size_t i = 0;
    for (int scans = 0; scans < kPlateauScans && i < pool->entries.size(); ++scans) {
        const Tree tree = pool->entries[i].tree;
        if (ScanTbr(d, tree, pool, &next)) {
            ClimbLength(d, &next, pool);
            i = 0;
        } else {
            ++i;
        }
    }
}

// ---- Phase 2: the events ---------------------------------------------------------------

// Swaps of children (any internal node but the root) while one lowers the events; the
// length is the same for every turn.
void TurnForFewerEvents(const Data& d, Tree* t, TreeScore* score) {
    for (bool better = true; better;) {
        better = false;
        for (int v = d.n; v < 2 * d.n - 1; ++v) {
            if (v == t->root) continue;
            std::swap(t->left[v], t->right[v]);
            const int events = ScoreFreshEvents(d, *t);
            if (events < score->events) {
                score->events = events;
                better = true;
            } else {
                std::swap(t->left[v], t->right[v]);
            }
        }
    }
}

// Best-move climb on the events (then the length): every swap of children and every SPR
// move within a part, each scored fresh; every tree met is offered to the pool. Stops when
// no move is better, or after a step limit that bounds a pathological climb.
void ClimbEvents(const Data& d, Tree t, Pool* pool) {
    TreeScore score = ScoreFresh(d, t);
    pool->Offer(t, score);
    const int stepLimit = 4 * d.n;
    int order[kMaxTreeNodes];
    int targets[kMaxTreeNodes];
    for (int step = 0; step < stepLimit; ++step) {
        Tree best = t;
        TreeScore bestScore = score;
        auto consider = [&](const Tree& candidate) {
            const int events = ScoreFreshEvents(d, candidate);
            if (events > bestScore.events && !pool->Wanted(events)) return;
            const TreeScore candidateScore{events, Length(d, candidate)};
            pool->Offer(candidate, candidateScore);
            if (Better(candidateScore, bestScore, SearchGoal::kFewestEvents)) {
                best = candidate;
                bestScore = candidateScore;
            }
        };
        const int count = PreOrder(t, t.root, order);
        for (int k = 0; k < count; ++k) {
            const int v = order[k];
            if (v == t.root || t.IsLeaf(v)) continue;
            Tree candidate = t;
            std::swap(candidate.left[v], candidate.right[v]);
            consider(candidate);
        }
        for (int k = 0; k < count; ++k) {
            const int s = order[k];
            if (s == t.root || t.parent[s] == t.root) continue;
            Tree work = t;
            const int w = t.Sibling(s);
            const int p = Detach(work, s);
            const int targetCount = PreOrder(work, work.PartOf(w), targets);
            for (int i = 0; i < targetCount; ++i) {
                if (targets[i] == w) continue;
                Tree candidate = work;
                InsertAbove(candidate, targets[i], s, p);
                consider(candidate);
            }
        }
        if (!Better(bestScore, score, SearchGoal::kFewestEvents)) return;
        t = best;
        score = bestScore;
    }
}

// ---- Between CladeNode trees, NewickTree and the search's trees -------------------------

// Pre-order, left before right: leaves are their taxa, internal nodes take ids from
// *nextId on.
int FromCladeNodes(const CladeNode* node, int parent, int* nextId, Tree* t) {
    const int taxon = TaxonIndexOf(node);
    const int v = taxon >= 0 ? taxon : (*nextId)++;
    t->parent[v] = parent;
    if (taxon >= 0) {
        t->left[v] = t->right[v] = kNone;
        return v;
    }
    t->left[v] = FromCladeNodes(node->left, v, nextId, t);
    t->right[v] = FromCladeNodes(node->right, v, nextId, t);
    return v;
}

int FromNewick(const NewickTree& tree, int index, int parent, int n, int* nextId, Tree* t) {
    const NewickTree::Node& node = tree.nodes[static_cast<std::size_t>(index)];
    const int v = node.taxon >= 0 ? node.taxon : (*nextId)++;
    t->parent[v] = parent;
    if (node.taxon >= 0) {
        t->left[v] = t->right[v] = kNone;
        return v;
    }
    t->left[v] = FromNewick(tree, node.left, v, n, nextId, t);
    t->right[v] = FromNewick(tree, node.right, v, n, nextId, t);
    return v;
}

// Pre-order, left before right: parents before children, node 0 the root.
int ToNewick(const Tree& t, int v, NewickTree* out) {
    const int index = static_cast<int>(out->nodes.size());
    out->nodes.emplace_back();
    if (t.IsLeaf(v)) {
        out->nodes.back().taxon = v;
        return index;
    }
    const int left = ToNewick(t, t.left[v], out);
    const int right = ToNewick(t, t.right[v], out);
    out->nodes[static_cast<std::size_t>(index)].left = left;
    out->nodes[static_cast<std::size_t>(index)].right = right;
    return index;
}

Data ReadData(TaxonMask outgroup) {
    Data d;
    d.n = gTaxonCount < 0 ? 0 : std::min<int>(gTaxonCount, kMaxTaxa);
    d.characters = gCharacterCount < 0 ? 0 : std::min<int>(gCharacterCount, kMaxCharacters);
    for (int t = 0; t < d.n; ++t) {
        for (int c = 0; c < d.characters; ++c) {
            d.cells[t][c] = CellStates(t, c);
            d.names[t][c] = gTaxa[t].states[c];
        }
    }
    outgroup &= AllTaxa();
    d.outgroup = outgroup == 0 || outgroup == AllTaxa() ? TaxonBit(0) : outgroup;
    return d;
}

} // namespace

TreeScore ScoreAppliedTree(const NewickTree& tree) {
    if (tree.nodes.empty()) return {};
    const Data d = ReadData(0);
    Tree t;
    int nextId = d.n;
    t.root = FromNewick(tree, 0, kNone, d.n, &nextId, &t);
    return ScoreFresh(d, t);
}

TreeSearchOutcome SearchBestTrees(const CladeNode* root, const SearchSettings& settings) {
    TreeSearchOutcome outcome;
    outcome.start = ScoreTree(root);
    if (root == nullptr) return outcome;
    const Data d = ReadData(settings.outgroup);
    outcome.outgroup = d.outgroup;
    outcome.startRooted = IsRootedOn(root, d.outgroup);

    // The tree searched from, rooted on the outgroup (first) in the search's own terms.
    Tree start;
    if (d.n < 2) {
        int nextId = d.n;
        start.root = FromCladeNodes(root, kNone, &nextId, &start);
    } else {
        int32_t spareIds = 0;
        CladeNode* copy = RootedCopy(root, d.outgroup, &spareIds);
        int nextId = d.n;
        start.root = FromCladeNodes(copy, kNone, &nextId, &start);
        DeleteTree(copy);
    }

    Pool pool(settings.goal);
    if (d.n < 3) {
        pool.Offer(start, ScoreFresh(d, start)); // one tree only
    } else {
        std::mt19937 random(settings.seed);
        Pool shortest(SearchGoal::kShortest);
        Tree climbed = start;
        ClimbLength(d, &climbed, &shortest);
        const int starts = d.n <= kExactSearchTaxa ? 2 : kRandomStarts;
        for (int i = 0; i < starts; ++i) {
            Tree tree = RandomAddition(d, &random);
            ClimbLength(d, &tree, &shortest);
        }
        if (d.n <= kExactSearchTaxa) {
            ExactShortest(d, &shortest);
            outcome.exactLength = true;
        } else {
            ExplorePlateau(d, &shortest);
        }

        // The kept shortest trees, each turned towards fewer events.
        std::vector<Pool::Entry> turned = shortest.entries;
        for (Pool::Entry& entry : turned) {
            entry.score.events = ScoreFreshEvents(d, entry.tree);
            TurnForFewerEvents(d, &entry.tree, &entry.score);
        }
        if (settings.goal == SearchGoal::kShortest) {
            for (const Pool::Entry& entry : turned)
                pool.Offer(entry.tree, entry.score);
            pool.more = pool.more || shortest.more;
        } else {
            std::stable_sort(turned.begin(), turned.end(),
                             [](const Pool::Entry& a, const Pool::Entry& b) {
                                 return a.score.events < b.score.events;
                             });
            ClimbEvents(d, start, &pool);
            for (int i = 0; i < kEventStarts && i < static_cast<int>(turned.size()); ++i)
                ClimbEvents(d, turned[static_cast<std::size_t>(i)].tree, &pool);
        }
    }

    std::stable_sort(pool.entries.begin(), pool.entries.end(),
                     [&](const Pool::Entry& a, const Pool::Entry& b) {
                         return Better(a.score, b.score, settings.goal);
                     });
    for (const Pool::Entry& entry : pool.entries) {
        FoundTree found;
        ToNewick(entry.tree, entry.tree.root, &found.tree);
        found.score = entry.score;
        outcome.trees.push_back(std::move(found));
    }
    outcome.moreTrees = pool.more;
    return outcome;
}
