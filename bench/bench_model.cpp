// Timings of the model at its largest file size (19 taxa by 19 characters): the load of
// the CSV file and of the same matrix as a NEXUS file, a fresh tree with its rebuild, a
// rebuild alone, one re-attachment with its rebuild, undo, and the parsimony tools: a
// Fitch pass, drop previews, the hint, the searches, and the reconstruction that the
// fewest-change markers and the trace redraw from after each change.
// The tree listings go to /dev/null; the report goes to the original standard output.
#include "clade/clade.h"
#include "clade/history.h"
#include "clade/moves.h"
#include "clade/parsimony.h"
#include "clade/reconstruction.h"
#include "clade/search.h"
#include "matrix/matrix.h"
#include "nexus/nexus.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::string gFilePath;
std::string gNexusPath;

// The state of taxon t for character c in the largest files.
int StateOf(int t, int c) {
    return (t * (c + 3) / 7) % (2 + c % 4);
}

// A full-size data file: 19 taxa, 19 characters, a few states each, CR LF as saved by
// a spreadsheet.
void WriteLargestFile() {
    char pattern[] = "/tmp/bench_model_XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    close(fd);
    gFilePath = pattern;
    std::ofstream out(gFilePath, std::ios::binary);
    out << "Benchmark matrix\r\nGroup,Character";
    for (int t = 0; t < 19; ++t)
        out << ",Taxon " << t;
    out << ",UNUSED,\r\n";
    for (int c = 0; c < 19; ++c) {
        out << c + 1 << ",Character " << c;
        for (int t = 0; t < 19; ++t)
            out << ",state " << StateOf(t, c);
        out << "\r\n";
    }
    out << "20,UNUSED\r\n";
}

// The same matrix as a NEXUS file, as a phylogenetics program writes it: quoted names,
// CHARSTATELABELS, one row per taxon, a comment.
void WriteLargestNexusFile() {
    char pattern[] = "/tmp/bench_model_nexus_XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    close(fd);
    gNexusPath = pattern;
    std::ofstream out(gNexusPath, std::ios::binary);
    out << "#NEXUS\n[Benchmark matrix]\nBEGIN TAXA;\nDIMENSIONS NTAX=19;\nTAXLABELS";
    for (int t = 0; t < 19; ++t)
        out << " 'Taxon " << t << "'";
    out << ";\nEND;\nBEGIN CHARACTERS;\nDIMENSIONS NCHAR=19;\n"
           "FORMAT DATATYPE=STANDARD SYMBOLS=\"012345\" MISSING=? GAP=-;\nCHARSTATELABELS\n";
    for (int c = 0; c < 19; ++c) {
        out << (c ? ",\n" : "") << c + 1 << " 'Character " << c << "' /";
        for (int s = 0; s < 2 + c % 4; ++s)
            out << " 'state " << s << "'";
    }
    out << ";\nMATRIX\n";
    for (int t = 0; t < 19; ++t) {
        out << "'Taxon " << t << "' ";
        for (int c = 0; c < 19; ++c)
            out << StateOf(t, c);
        out << "\n";
    }
    out << ";\nEND;\n";
}

void LoadLargest() {
    if (!LoadCharacterMatrix(gFilePath.c_str())) std::abort();
}

void BM_LoadMatrix19x19(benchmark::State& state) {
    for (auto _ : state)
        LoadLargest();
}
BENCHMARK(BM_LoadMatrix19x19);

// The reader module is loaded by the first call, before the timing starts.
void BM_LoadNexus19x19(benchmark::State& state) {
    if (!LoadNexusMatrix(gNexusPath.c_str())) std::abort();
    for (auto _ : state)
        LoadNexusMatrix(gNexusPath.c_str());
}
BENCHMARK(BM_LoadNexus19x19);

void BM_BuildAndRebuild19(benchmark::State& state) {
    LoadLargest();
    for (auto _ : state) {
        BuildInitialTree();
        RebuildTree();
    }
}
BENCHMARK(BM_BuildAndRebuild19);

void BM_Rebuild19(benchmark::State& state) {
    LoadLargest();
    BuildInitialTree();
    for (auto _ : state)
        RebuildTree();
}
BENCHMARK(BM_Rebuild19);

// The top leaf moves under the bottom leaf: the comb keeps its shape, so every
// iteration does the same amount of work (one new node, one node compacted away).
void BM_ConnectAndRebuild19(benchmark::State& state) {
    LoadLargest();
    BuildInitialTree();
    RebuildTree();
    for (auto _ : state) {
        CladeNode* bottom = gRoot;
        while (bottom->right != nullptr)
            bottom = bottom->right;
        gRoot->left->Connect(bottom);
    }
}
BENCHMARK(BM_ConnectAndRebuild19);

// Undo and redo at 19 taxa, each without its listing: a history of ten moves of the top
// leaf, then one undo and one redo per iteration (each timed on its own).
void UndoRedoHistory() {
    LoadLargest();
    BuildInitialTree();
    RebuildTree();
    ResetHistory();
    for (int i = 0; i < 10; ++i) {
        CladeNode* bottom = gRoot;
        while (bottom->right != nullptr)
            bottom = bottom->right;
        BeginTreeChange();
        gRoot->left->Connect(bottom);
        EndTreeChange();
    }
}

void BM_Undo19(benchmark::State& state) {
    UndoRedoHistory();
    for (auto _ : state) {
        UndoTreeChange();
        state.PauseTiming();
        RedoTreeChange();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Undo19);

void BM_Redo19(benchmark::State& state) {
    UndoRedoHistory();
    for (auto _ : state) {
        state.PauseTiming();
        UndoTreeChange();
        state.ResumeTiming();
        RedoTreeChange();
    }
}
BENCHMARK(BM_Redo19);

// What every recorded change adds to a drop: the copy of the tree before it and the
// comparison after it (the Connect itself is BM_ConnectAndRebuild19).
void BM_RecordChange19(benchmark::State& state) {
    LoadLargest();
    BuildInitialTree();
    RebuildTree();
    ResetHistory();
    for (auto _ : state) {
        BeginTreeChange();
        EndTreeChange();
    }
}
BENCHMARK(BM_RecordChange19);

// The start tree of the largest file, as the editor shows it after the load.
void LargestStartTree() {
    LoadLargest();
    BuildInitialTree();
    RebuildTree();
}

void BM_FitchPass19(benchmark::State& state) {
    LargestStartTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(ParsimonyLength(gRoot));
}
BENCHMARK(BM_FitchPass19);

// Every target of a picked leaf (the top one), and of the root's second child, which holds
// 18 of the 19 leaves: each target needs a copy, a re-attachment, a rebuild and a score.
void BM_PreviewLeaf19(benchmark::State& state) {
    LargestStartTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(PreviewDrops(gRoot, gRoot->left));
}
BENCHMARK(BM_PreviewLeaf19);

void BM_PreviewSubtree19(benchmark::State& state) {
    LargestStartTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(PreviewDrops(gRoot, gRoot->right));
}
BENCHMARK(BM_PreviewSubtree19);

void BM_Hint19(benchmark::State& state) {
    LargestStartTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(BestSingleMove(gRoot));
}
BENCHMARK(BM_Hint19);

// The search that keeps the outgroup (the first taxon, as after the load), for each figure
// it can minimise.
void BM_SearchShortest19(benchmark::State& state) {
    LargestStartTree();
    const SearchSettings settings{SearchGoal::kShortest, gOutgroup, MatrixSeed()};
    for (auto _ : state)
        benchmark::DoNotOptimize(SearchBestTrees(gRoot, settings));
}
BENCHMARK(BM_SearchShortest19)->Unit(benchmark::kMillisecond);

void BM_SearchFewestEvents19(benchmark::State& state) {
    LargestStartTree();
    const SearchSettings settings{SearchGoal::kFewestEvents, gOutgroup, MatrixSeed()};
    for (auto _ : state)
        benchmark::DoNotOptimize(SearchBestTrees(gRoot, settings));
}
BENCHMARK(BM_SearchFewestEvents19)->Unit(benchmark::kMillisecond);

// After a change: the MPR sets and ACCTRAN states of every character (the markers by the
// fewest changes), or of one (a trace).
void BM_Reconstruct19(benchmark::State& state) {
    LargestStartTree();
    auto reconstruction = std::make_unique<Reconstruction>();
    for (auto _ : state) {
        reconstruction->Compute(gRoot);
        benchmark::DoNotOptimize(reconstruction->CountChanges());
    }
}
BENCHMARK(BM_Reconstruct19);

void BM_TraceCharacter19(benchmark::State& state) {
    LargestStartTree();
    auto reconstruction = std::make_unique<Reconstruction>();
    for (auto _ : state) {
        reconstruction->ComputeCharacter(gRoot, 5);
        benchmark::DoNotOptimize(reconstruction->MprSet(1, 5));
    }
}
BENCHMARK(BM_TraceCharacter19);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    WriteLargestFile();
    WriteLargestNexusFile();

    // The model prints a listing per rebuild; keep the report, drop the listings.
    std::fflush(stdout);
    const int console = dup(STDOUT_FILENO);
    std::ofstream report("/dev/fd/" + std::to_string(console));
    if (console < 0 || !report || std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
    benchmark::ConsoleReporter reporter(isatty(console) ? benchmark::ConsoleReporter::OO_Defaults
                                                        : benchmark::ConsoleReporter::OO_Tabular);
    reporter.SetOutputStream(&report);
    reporter.SetErrorStream(&report);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    ResetClade(false);
    std::remove(gFilePath.c_str());
    std::remove(gNexusPath.c_str());
    return 0;
}
