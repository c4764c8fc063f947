// The cell sets of staged tables (see cell_sets.h): the CSV naming rules for missing and
// polymorphic cells, and the resolution of staged marks into published sets. Called by
// the readers just before PublishMatrix. No GL state, no output.
#include "matrix/cell_sets.h"

#include <cassert>
#include <cstring>

namespace {

// What a state name stands for under the CSV rules, decided once per state index: every
// cell with that name is the same kind of cell.
enum class NameKind { kPlain, kMissing, kSlashed };

NameKind KindOf(const char* name) {
    if (std::strcmp(name, "?") == 0 || std::strcmp(name, "-") == 0) return NameKind::kMissing;
    return std::strchr(name, '/') != nullptr ? NameKind::kSlashed : NameKind::kPlain;
}

// The states a slashed name lists, when every part between slashes is the name of a plain
// state among ownStates; 0 when some part is not (the name is then one state of its own).
StateSet PolymorphicSet(const char* name, const char (*names)[kMatrixNameSize], int stateCount,
                        StateSet ownStates) {
    StateSet set = 0;
    for (const char* part = name;;) {
        const char* slash = std::strchr(part, '/');
        const std::size_t length = slash != nullptr ? std::size_t(slash - part) : std::strlen(part);
        StateSet found = 0;
        for (int s = 0; s < stateCount && found == 0; ++s)
            if ((ownStates & StateBit(s)) != 0 && std::strlen(names[s]) == length &&
                std::memcmp(names[s], part, length) == 0)
                found = StateBit(s);
        if (found == 0) return 0; // an empty part matches no name either
        set |= found;
        if (slash == nullptr) return set;
        part = slash + 1;
    }
}

} // namespace

void DeriveCellSetsFromNames(MatrixTables* tables) {
    for (int c = 0; c < tables->characterCount; ++c) {
        const int stateCount = tables->stateCounts[c];
        const char(*names)[kMatrixNameSize] = tables->stateNames[c];
        // Every state index names at least one cell, so the plain names are the states
        // that some cell holds on its own.
        StateSet ownStates = 0;
        for (int s = 0; s < stateCount; ++s)
            if (KindOf(names[s]) == NameKind::kPlain) ownStates |= StateBit(s);
        StateSet marks[kMaxStates] = {};
        for (int s = 0; s < stateCount; ++s) {
            switch (KindOf(names[s])) {
            case NameKind::kPlain:
                marks[s] = kPlainCell;
                break;
            case NameKind::kMissing:
                marks[s] = kMissingCell;
                break;
            case NameKind::kSlashed:
                marks[s] = PolymorphicSet(names[s], names, stateCount, ownStates);
                break;
            }
        }
        for (int t = 0; t < tables->taxonCount; ++t) {
            const int32_t s = tables->taxa[t].states[c];
            assert(s >= 0 && s < stateCount);
            tables->cellSets[t][c] = marks[s];
        }
    }
    ResolveCellSets(tables);
}

void ResolveCellSets(MatrixTables* tables) {
    auto own = [](int32_t s) { return s >= 0 && s < kMaxStates ? StateBit(s) : StateSet{0}; };
    for (int c = 0; c < tables->characterCount; ++c) {
        StateSet real = 0;
        for (int t = 0; t < tables->taxonCount; ++t) {
            const StateSet mark = tables->cellSets[t][c];
            if (mark == kPlainCell)
                real |= own(tables->taxa[t].states[c]);
            else if (mark != kMissingCell)
                real |= mark;
        }
        if (real == 0) real = StateBit(0);
        for (int t = 0; t < tables->taxonCount; ++t) {
            StateSet& set = tables->cellSets[t][c];
            if (set == kPlainCell) set = own(tables->taxa[t].states[c]);
            if (set == kMissingCell || set == 0) set = real;
        }
    }
}
