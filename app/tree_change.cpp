// The change step (see tree_change.h): the one place where the live tree is changed and
// where the undo history hears of it. Changes no GL state; prints the listing.
#include "app/tree_change.h"

#include "app/frame_request.h"
#include "app/interaction.h"
#include "app/messages.h"
#include "clade/history.h"
#include "clade/newick.h"
#include "clade/rooting.h"

#include <cassert>

namespace {

bool gListing = true;
TreeVersion gVersion{0, 0};

// How the history hears of a kind of change.
enum class Record {
    Edit,        // kept as an undo step when the tree changed
    HistoryStep, // a move within the history, which keeps its own steps
    NewHistory,  // the start of a new history: the tree as loaded
};

// Each kind's work on the live tree, which prints nothing but a drop's "Connecting" line.
// Returns false when it certainly changed nothing.
bool Drop(const TreeChange& what) {
    return ConnectWithoutListing(what.moved, what.target);
}
bool ApplyTree(const TreeChange& what) {
    ApplyNewickTree(*what.tree);
    // A tree saved by the editor names its outgroup; it comes back with the tree.
    if (what.tree->outgroup != 0) gOutgroup = what.tree->outgroup;
    // A tree saved with its states shows the figures it was saved with: a state pass
    // would read those states as "before" and could give others.
    if (what.tree->keepsStates)
        RebuildTreeKeepingStates();
    else
        RebuildTreeWithoutListing();
    return true;
}
bool Compact(const TreeChange&) {
    if (gRoot != nullptr) gRoot->Compact();
    return true;
}
// The group becomes the outgroup inside the recorded change, so that undo gives back the
// outgroup as well; a group that already is the root's first child leaves the tree alone.
bool Reroot(const TreeChange& what) {
    gOutgroup = TaxaBelow(what.moved);
    RerootLiveTree(what.moved);
    return true;
}
bool StartTree(const TreeChange&) {
    BuildInitialTree();
    RebuildTreeWithoutListing();
    return true;
}
bool Undo(const TreeChange&) {
    return UndoTreeChange();
}
bool Redo(const TreeChange&) {
    return RedoTreeChange();
}
bool BackToLoaded(const TreeChange&) {
    return RevertToLoadedTree();
}

struct KindRule {
    TreeChange::Kind kind;
    bool (*apply)(const TreeChange& what);
    Record record;
    bool listed; // compaction alone has always been silent: it only tidies the tree
    // A student's own drop may break the outgroup; the message line then says so. The
    // commands that keep it (hint, search, re-rooting) never do, and a tree file or a step
    // in the history brings the tree it brings.
    bool toldOfOutgroup;
};
// In the order of TreeChange::Kind.
const KindRule kRules[] = {
    {TreeChange::Kind::Drop, Drop, Record::Edit, true, true},
    {TreeChange::Kind::ApplyTree, ApplyTree, Record::Edit, true, false},
    {TreeChange::Kind::Compact, Compact, Record::Edit, false, false},
    {TreeChange::Kind::Reroot, Reroot, Record::Edit, true, false},
    {TreeChange::Kind::Undo, Undo, Record::HistoryStep, true, false},
    {TreeChange::Kind::Redo, Redo, Record::HistoryStep, true, false},
    {TreeChange::Kind::BackToLoaded, BackToLoaded, Record::HistoryStep, true, false},
    {TreeChange::Kind::StartTree, StartTree, Record::NewHistory, true, false},
    {TreeChange::Kind::LoadedTree, ApplyTree, Record::NewHistory, true, false},
};

const KindRule& RuleOf(TreeChange::Kind kind) {
    const KindRule& rule = kRules[static_cast<int>(kind)];
    assert(rule.kind == kind);
    return rule;
}

// Applies the change and tells the history; true when the tree changed.
bool ApplyAndRecord(const TreeChange& what) {
    const KindRule& rule = RuleOf(what.kind);
    switch (rule.record) {
    case Record::Edit:
        BeginTreeChange();
        rule.apply(what);
        return EndTreeChange();
    case Record::HistoryStep:
        return rule.apply(what);
    case Record::NewHistory:
        rule.apply(what);
        ResetHistory();
        return true;
    }
    return false;
}

} // namespace

bool ChangeTree(const TreeChange& what) {
    assert(what.kind != TreeChange::Kind::Drop ||
           (what.moved != nullptr && what.target != nullptr));
    assert(what.kind != TreeChange::Kind::Reroot || what.moved != nullptr);
    ForgetDragState();
    const KindRule& rule = RuleOf(what.kind);
    // Only a drop that breaks the rooting is told, not each later drop of a tree already
    // rooted elsewhere.
    const bool wasRooted = rule.toldOfOutgroup && IsRootedOn(gRoot, gOutgroup);
    const bool changed = ApplyAndRecord(what);
    if (changed) {
        ++gVersion.changes;
        if (rule.record == Record::NewHistory) ++gVersion.histories;
    }
    if (changed && gListing && rule.listed) ListLiveTree();
    if (changed && wasRooted && !IsRootedOn(gRoot, gOutgroup))
        ShowMessage("The outgroup no longer roots the tree");
    RequestFrame();
    return changed;
}

TreeVersion LiveTreeVersion() {
    return gVersion;
}

void SetTreeListing(bool on) {
    gListing = on;
}
