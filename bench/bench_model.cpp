// Timings of the model at its largest files: the load of a 19 x 19 CSV file in the marker
// layout, of the same matrix as a NEXUS file and of a 40 x 40 sheet, then at 19 taxa a
// fresh tree with its rebuild, a rebuild alone, one re-attachment with its rebuild, undo,
// and at 19 and at 40 taxa the parsimony tools: a Fitch pass, drop previews, the hint, the
// searches, and the reconstruction that the fewest-change markers and the trace redraw
// from after each change.
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

// A data file written for the benchmarks: the matrix of StateOf over taxa x characters.
struct BenchFile {
    int taxa;
    int characters;
    std::string path;
};
BenchFile gLargestFile{19, 19, {}}; // the marker layout's largest
BenchFile gSheetFile{40, 40, {}};   // a sheet's largest
std::string gNexusPath;
const BenchFile* const kSizedFiles[] = {&gLargestFile, &gSheetFile};

// The state of taxon t for character c in the benchmark files: two to five states, in
// runs along the taxa, so that neighbouring taxa share states and a search has work.
int StateOf(int t, int c) {
    return (t * (c + 3) / 7) % (2 + c % 4);
}

// A new empty file under /tmp; returns its path.
std::string NewTempFile(const char* stem) {
    std::string pattern = std::string("/tmp/") + stem + "_XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) std::abort();
    close(fd);
    return pattern;
}

// The marker layout at its largest: a title line, a header of the taxa, one line per
// character (its group number, its name, its states), the closing UNUSED markers; CR LF
// as saved by a spreadsheet.
void WriteMarkerFile(BenchFile* file) {
    file->path = NewTempFile("bench_model");
    std::ofstream out(file->path, std::ios::binary);
    out << "Benchmark matrix\r\nGroup,Character";
    for (int t = 0; t < file->taxa; ++t)
        out << ",Taxon " << t;
    out << ",UNUSED,\r\n";
    for (int c = 0; c < file->characters; ++c) {
        out << c + 1 << ",Character " << c;
        for (int t = 0; t < file->taxa; ++t)
            out << ",state " << StateOf(t, c);
        out << "\r\n";
    }
    out << file->characters + 1 << ",UNUSED\r\n";
}

// The sheet layout: a corner cell and the character names, then one row per taxon, its
// name and its states; CR LF as above.
void WriteSheetFile(BenchFile* file) {
    file->path = NewTempFile("bench_model_sheet");
    std::ofstream out(file->path, std::ios::binary);
    out << "Taxon";
    for (int c = 0; c < file->characters; ++c)
        out << ",Character " << c;
    out << "\r\n";
    for (int t = 0; t < file->taxa; ++t) {
        out << "Taxon " << t;
        for (int c = 0; c < file->characters; ++c)
            out << ",state " << StateOf(t, c);
        out << "\r\n";
    }
}

// The marker file's matrix as a NEXUS file, as a phylogenetics program writes it: quoted
// names, CHARSTATELABELS, one row per taxon, a comment.
void WriteNexusFile(const BenchFile& file) {
    gNexusPath = NewTempFile("bench_model_nexus");
    std::ofstream out(gNexusPath, std::ios::binary);
    out << "#NEXUS\n[Benchmark matrix]\nBEGIN TAXA;\nDIMENSIONS NTAX=" << file.taxa
        << ";\nTAXLABELS";
    for (int t = 0; t < file.taxa; ++t)
        out << " 'Taxon " << t << "'";
    out << ";\nEND;\nBEGIN CHARACTERS;\nDIMENSIONS NCHAR=" << file.characters
        << ";\nFORMAT DATATYPE=STANDARD SYMBOLS=\"012345\" MISSING=? GAP=-;\nCHARSTATELABELS\n";
    for (int c = 0; c < file.characters; ++c) {
        out << (c ? ",\n" : "") << c + 1 << " 'Character " << c << "' /";
        for (int s = 0; s < 2 + c % 4; ++s)
            out << " 'state " << s << "'";
    }
    out << ";\nMATRIX\n";
    for (int t = 0; t < file.taxa; ++t) {
        out << "'Taxon " << t << "' ";
        for (int c = 0; c < file.characters; ++c)
            out << StateOf(t, c);
        out << "\n";
    }
    out << ";\nEND;\n";
}

void Load(const BenchFile& file) {
    if (!LoadCharacterMatrix(file.path.c_str())) std::abort();
    if (gTaxonCount != file.taxa || gCharacterCount != file.characters) std::abort();
}

void LoadLargest() {
    Load(gLargestFile);
}

void BM_LoadMatrix19x19(benchmark::State& state) {
    for (auto _ : state)
        LoadLargest();
}
BENCHMARK(BM_LoadMatrix19x19);

void BM_LoadSheet40x40(benchmark::State& state) {
    for (auto _ : state)
        Load(gSheetFile);
}
BENCHMARK(BM_LoadSheet40x40);

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

// The start tree of a benchmark file, as the editor shows it after the load.
void StartTree(const BenchFile& file) {
    Load(file);
    BuildInitialTree();
    RebuildTree();
}

// The parsimony tools, each run on the start tree of every file of kSizedFiles and named
// after its taxon count (BM_Hint19, BM_Hint40).
void FitchPass(benchmark::State& state, const BenchFile& file) {
    StartTree(file);
    for (auto _ : state)
        benchmark::DoNotOptimize(ParsimonyLength(gRoot));
}

// Every target of a picked leaf (the top one), and of the root's second child, which holds
// all leaves but that one: each target needs a copy, a re-attachment, a rebuild and a score.
void PreviewLeaf(benchmark::State& state, const BenchFile& file) {
    StartTree(file);
    for (auto _ : state)
        benchmark::DoNotOptimize(PreviewDrops(gRoot, gRoot->left));
}

void PreviewSubtree(benchmark::State& state, const BenchFile& file) {
    StartTree(file);
    for (auto _ : state)
        benchmark::DoNotOptimize(PreviewDrops(gRoot, gRoot->right));
}

void Hint(benchmark::State& state, const BenchFile& file) {
    StartTree(file);
    for (auto _ : state)
        benchmark::DoNotOptimize(BestSingleMove(gRoot));
}

// The search that keeps the outgroup (the first taxon, as after the load), for each figure
// it can minimise.
void Search(benchmark::State& state, const BenchFile& file, SearchGoal goal) {
    StartTree(file);
    const SearchSettings settings{goal, gOutgroup, MatrixSeed()};
    for (auto _ : state)
        benchmark::DoNotOptimize(SearchBestTrees(gRoot, settings));
}

void SearchShortest(benchmark::State& state, const BenchFile& file) {
    Search(state, file, SearchGoal::kShortest);
}

void SearchFewestEvents(benchmark::State& state, const BenchFile& file) {
    Search(state, file, SearchGoal::kFewestEvents);
}

// After a change: the MPR sets and ACCTRAN states of every character (the markers by the
// fewest changes), or of one (a trace).
void Reconstruct(benchmark::State& state, const BenchFile& file) {
    StartTree(file);
    auto reconstruction = std::make_unique<Reconstruction>();
    for (auto _ : state) {
        reconstruction->Compute(gRoot);
        benchmark::DoNotOptimize(reconstruction->CountChanges());
    }
}

void TraceCharacter(benchmark::State& state, const BenchFile& file) {
    StartTree(file);
    auto reconstruction = std::make_unique<Reconstruction>();
    for (auto _ : state) {
        reconstruction->ComputeCharacter(gRoot, 5);
        benchmark::DoNotOptimize(reconstruction->MprSet(1, 5));
    }
}

struct SizedBenchmark {
    const char* name;
    void (*run)(benchmark::State&, const BenchFile&);
    benchmark::TimeUnit unit;
};
const SizedBenchmark kSizedBenchmarks[] = {
    {"BM_FitchPass", FitchPass, benchmark::kNanosecond},
    {"BM_PreviewLeaf", PreviewLeaf, benchmark::kNanosecond},
    {"BM_PreviewSubtree", PreviewSubtree, benchmark::kNanosecond},
    {"BM_Hint", Hint, benchmark::kNanosecond},
    {"BM_SearchShortest", SearchShortest, benchmark::kMillisecond},
    {"BM_SearchFewestEvents", SearchFewestEvents, benchmark::kMillisecond},
    {"BM_Reconstruct", Reconstruct, benchmark::kNanosecond},
    {"BM_TraceCharacter", TraceCharacter, benchmark::kNanosecond},
};

// After the fixed benchmarks above, in table order, the 19-taxon one before the 40.
void RegisterSizedBenchmarks() {
    for (const SizedBenchmark& sized : kSizedBenchmarks) {
        for (const BenchFile* file : kSizedFiles) {
            const std::string name = sized.name + std::to_string(file->taxa);
            benchmark::RegisterBenchmark(name.c_str(), sized.run, *file)->Unit(sized.unit);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    WriteMarkerFile(&gLargestFile);
    WriteSheetFile(&gSheetFile);
    WriteNexusFile(gLargestFile);
    RegisterSizedBenchmarks(); // after the files: each copies its file's path

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
    std::remove(gLargestFile.path.c_str());
    std::remove(gSheetFile.path.c_str());
    std::remove(gNexusPath.c_str());
    return 0;
}
