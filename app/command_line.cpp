// Command-line handling (see command_line.h). Called by main before and after glutInit;
// prints to the streams it is given. No GL, no X.
#include "app/command_line.h"

#include "app/commands.h"
#include "app/loading.h"

#include <cstring>

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace {

const char kUsageHead[] =
    "Usage: quillmoor [GLUT options] [FILE.csv]\n"
    "       quillmoor [GLUT options] FILE.csv TREE.nwk\n"
    "       quillmoor --newick FILE.csv [TREE.nwk]\n"
    "       quillmoor --export PICTURE FILE.csv [TREE.nwk] [--trace CHARACTER]\n"
    "       quillmoor --report FILE.csv [TREE.nwk]\n"
    "       quillmoor --search [--all] FILE.csv [TREE.nwk] [--outgroup NAME]\n"
    "       quillmoor --help | --version\n"
    "\n"
    "Quillmoor is an interactive cladogram editor. It reads a character matrix from a\n"
    "CSV data file (named here, or chosen with the \"Open File\" button), draws the taxa\n"
    "as a cladogram with every change of a character state on its branch, and lists the\n"
    "tree on standard output after every change. A tree file (Newick, as Save Tree\n"
    "writes it) named after the data file is applied to it.\n"
    "\n"
    "Mouse:\n"
    "  left click on a node           pick it up (with its subtree); it turns cyan\n"
    "  move the pointer (no button)   aim at a branch; the branch under it turns orange\n"
    "  left click on the lit branch   drop the picked node next to that branch's node\n"
    "  press, drag, release           the same in one move: press on a node, hold the\n"
    "                                 button, release over the lit branch\n"
    "  left click on the picked node  put it down again\n"
    "  left click on empty space      put the picked node down\n"
    "  left click on \"Open File\"      choose a data file to load\n"
    "  right button                   the menu of every command below\n"
    "  pointer over a change marker   show the character and its new state\n"
    "  badges on the branches         while a node is picked: a drop there gives fewer\n"
    "                                 (-), as many (=) or more (+) Total Events\n"
    "  left click on a character's    trace that character along the tree: its line\n"
    "    line                         in a character list or in the parsimony panel\n"
    "\n"
    "Keys (every one is also in the right-button menu; F1 shows them in the window):\n";

const char kUsageTail[] =
    "\n"
    "Options:\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "  --continuous  redraw continuously instead of only when something changes\n"
    "                (for comparisons; it keeps a processor core busy)\n"
    "\n"
    "Without a window (no display needed; exit status 0, or 1 with one line on\n"
    "standard error; the tree is the start tree, or the tree file's):\n"
    "  --newick FILE.csv [TREE.nwk]\n"
    "                print the tree in Newick on standard output\n"
    "  --export PICTURE FILE.csv [TREE.nwk]\n"
    "                write the picture of the tree to PICTURE; the extension chooses the\n"
    "                format: .png (twice the window's size), .svg or .pdf\n"
    "  --export PICTURE FILE.csv [TREE.nwk] --trace CHARACTER\n"
    "                the same picture with CHARACTER (named as in the data file) traced:\n"
    "                every branch in the colour of its state, grey dashes where more than\n"
    "                one state is possible, and a legend\n"
    "  --report FILE.csv [TREE.nwk]\n"
    "                print the parsimony figures of the tree: each character's steps and\n"
    "                minimum, the length, the lower bound and the consistency index\n"
    "  --search [--all] FILE.csv [TREE.nwk] [--outgroup NAME]\n"
    "                print the shortest tree found, in Newick, rooted on the outgroup: the\n"
    "                data file's first taxon, or the taxon NAME; with --all, every\n"
    "                equally short tree found (up to 100), one a line\n";

// The keys come from the command table itself, so help, menu and keyboard agree.
void PrintUsage(std::FILE* out) {
    std::fputs(kUsageHead, out);
    for (const HelpLine& line : CommandKeyLines())
        std::fprintf(out, "  %-22s %s\n", line.keys, line.text);
    std::fputs(kUsageTail, out);
}

const char kReportOption[] = "--report";

bool IsLongOption(const char* arg) {
    return std::strncmp(arg, "--", 2) == 0;
}

} // namespace

int AnswerInfoOptions(int argc, char** argv, std::FILE* out, std::FILE* err) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage(out);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fprintf(out, "quillmoor %s\n", QM_VERSION);
            return 0;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (IsLongOption(argv[i]) && std::strcmp(argv[i], kReportOption) != 0) {
            std::fprintf(err, "quillmoor: unknown option %s (try --help)\n", argv[i]);
            return 2;
        }
    }
    return -1;
}

bool TakeFlag(int* argc, char** argv, const char* flag) {
    bool found = false;
    for (int i = 1; i < *argc;) {
        if (std::strcmp(argv[i], flag) != 0) {
            ++i;
            continue;
        }
        for (int j = i; j < *argc; ++j)
            argv[j] = argv[j + 1]; // argv[argc] is the terminating null
        --*argc;
        found = true;
    }
    return found;
}

bool FindDataFileArgument(int argc, char** argv, const char** fileName, std::FILE* err,
                          const char** treeFile) {
    *fileName = nullptr;
    if (treeFile != nullptr) *treeFile = nullptr;
    const bool withTree = treeFile != nullptr && argc == 3 && IsTreeFileName(argv[2]);
    if (argc > 3 || (argc == 3 && !withTree)) {
        std::fprintf(err,
                     "quillmoor: one data file at most, and then one tree file (.nwk, .tre, "
                     ".tree, .newick); got %d files (try --help)\n",
                     argc - 1);
        return false;
    }
    if (argc >= 2) *fileName = argv[1];
    if (withTree) *treeFile = argv[2];
    return true;
}
