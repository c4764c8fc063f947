// Command-line handling (see command_line.h). Called by main before and after glutInit;
// prints to the streams it is given. No GL, no X.
#include "app/command_line.h"

#include <cstring>

#ifndef QM_VERSION
#define QM_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "Usage: quillmoor [GLUT options] [FILE.csv]\n"
    "       quillmoor --export PICTURE FILE.csv\n"
    "       quillmoor --help | --version\n"
    "\n"
    "Quillmoor is an interactive cladogram editor. It reads a character matrix from a\n"
    "CSV data file (named here, or chosen with the \"Open File\" button), draws the taxa\n"
    "as a cladogram with every change of a character state on its branch, and lists the\n"
    "tree on standard output after every change.\n"
    "\n"
    "Mouse:\n"
    "  left click on a node           pick it up (with its subtree); it turns cyan\n"
    "  move the pointer (no button)   aim at a branch; the branch under it turns orange\n"
    "  left click on the lit branch   drop the picked node next to that branch's node\n"
    "  left click on the picked node  put it down again\n"
    "  left click on empty space      put the picked node down\n"
    "  left click on \"Open File\"      choose a data file to load\n"
    "  pointer over a change marker   show the character and its new state\n"
    "\n"
    "Keys:\n"
    "  1   move the root's first grandchild (first child's first child) next to the root\n"
    "  2   move the root's last grandchild (second child's second child) next to the root\n"
    "  3   move the root's last grandchild next to the root's first child\n"
    "  f   recompute the node positions\n"
    "  c   remove internal nodes that have a single child\n"
    "\n"
    "Options:\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "  --continuous  redraw continuously instead of only when something changes\n"
    "                (for comparisons; it keeps a processor core busy)\n"
    "  --export PICTURE\n"
    "                write the picture of the data file's tree to PICTURE and exit; the\n"
    "                extension chooses the format: .png (twice the window's size), .svg or\n"
    "                .pdf. Opens no window and needs no display. Exit status 0 when the\n"
    "                picture was written, else 1 with one line on standard error\n";

const char kExportOption[] = "--export";

bool IsLongOption(const char* arg) {
    return std::strncmp(arg, "--", 2) == 0;
}

} // namespace

int AnswerInfoOptions(int argc, char** argv, std::FILE* out, std::FILE* err) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, out);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fprintf(out, "quillmoor %s\n", QM_VERSION);
            return 0;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (IsLongOption(argv[i]) && std::strcmp(argv[i], kExportOption) != 0) {
            std::fprintf(err, "quillmoor: unknown option %s (try --help)\n", argv[i]);
            return 2;
        }
    }
    return -1;
}

int FindExportArguments(int argc, char** argv, const char** picture, const char** data,
                        std::FILE* err) {
    int option = 0;
    for (int i = 1; i < argc && option == 0; ++i) {
        if (std::strcmp(argv[i], kExportOption) == 0) option = i;
    }
    if (option == 0) return -1;
    if (option + 1 >= argc) {
        std::fprintf(err,
                     "quillmoor: --export needs a picture file and a data file (try --help)\n");
        return 1;
    }
    *picture = argv[option + 1];
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        if (i == option || i == option + 1) continue;
        if (files == 0) *data = argv[i];
        ++files;
    }
    if (files == 0) {
        std::fprintf(err, "quillmoor: --export needs a data file after the picture (try --help)\n");
        return 1;
    }
    if (files > 1) {
        std::fprintf(err, "quillmoor: --export takes one data file, got %d (try --help)\n", files);
        return 1;
    }
    return 0;
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

bool FindDataFileArgument(int argc, char** argv, const char** fileName, std::FILE* err) {
    *fileName = nullptr;
    if (argc > 2) {
        std::fprintf(err, "quillmoor: one data file at most, got %d (try --help)\n", argc - 1);
        return false;
    }
    if (argc == 2) *fileName = argv[1];
    return true;
}
