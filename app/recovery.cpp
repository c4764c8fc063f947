// The recovery file (see recovery.h): its name from the data file's path and contents,
// its text, and the trees it is compared with. Called by the change step, the load path
// and the question. Writes and removes files in the state folder; no GL state.
//
// The file holds the tree alone, not the whole history: the recovered tree comes back as
// one change over the data file's tree, so that Ctrl+Z gives the file's tree, as after
// any change; the earlier trees would make that step a walk through the lost session,
// and writing them all at every change would cost a write of the whole history each time.
// It also notes how many undo steps led to the tree, which the message line tells.
#include "app/recovery.h"

#include "app/refusals.h"
#include "base/files.h"
#include "clade/history.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The file's first line: the program, what the file is, and the version of its layout.
constexpr char kFirstLine[] = "quillmoor recovery 1";
constexpr char kDataKey[] = "data = ";
constexpr char kChangesKey[] = "changes = ";
constexpr char kTreeKey[] = "tree = ";

std::string gFolder;       // empty: recovery is off
std::string gDataPath;     // the data file's absolute path; empty before one is named
std::string gRecoveryFile; // its recovery file, while gDataPath is set
std::string gLoadedText;   // the tree as loaded, as WriteNewick with states writes it
std::string gSavedText;    // the tree last saved, or as loaded
bool gToldFailure = false;
bool gToldWhere = false;

std::string LiveText() {
    return WriteNewick(gRoot, true);
}

// FNV-1a, 64 bits: a name for the key, not a defence against anyone.
uint64_t Fingerprint(const std::string& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// The name the data file is known by, whatever folder the editor was started in.
std::string AbsolutePath(const char* path) {
    char resolved[PATH_MAX];
    if (realpath(path, resolved) != nullptr) return resolved;
    if (path[0] == '/') return path;
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) + "/" + path : path;
}

// The data file's path on one line: a backslash and a line break are escaped.
std::string Escaped(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string RecoveryText(const std::string& tree) {
    return std::string(kFirstLine) + "\n" + kDataKey + Escaped(gDataPath) + "\n" + kChangesKey +
           std::to_string(UndoStepCount()) + "\n" + kTreeKey + tree;
}

// The next line of text from *at (without its line end), moving *at past it; false at
// the end of the text.
bool NextLine(const std::string& text, std::size_t* at, std::string* line) {
    if (*at >= text.size()) return false;
    std::size_t end = text.find('\n', *at);
    if (end == std::string::npos) end = text.size();
    *line = text.substr(*at, end - *at);
    *at = end + 1;
    return true;
}

bool StartsWith(const std::string& text, const char* head) {
    return text.compare(0, std::char_traits<char>::length(head), head) == 0;
}

// Reads a recovery file's text: the data file it names into *data, its undo steps into
// *changes, and the tree's Newick (the rest of the file: a quoted name may hold a line
// break) into *tree. Returns false with the line and problem in *refusal otherwise.
bool ParseRecoveryText(const std::string& text, std::string* data, int* changes, std::string* tree,
                       Refusal* refusal) {
    std::size_t at = 0;
    std::string line;
    const auto refuse = [refusal](int number, const char* problem) {
        refusal->line = number;
        refusal->text = problem;
        return false;
    };
    if (!NextLine(text, &at, &line) || line != kFirstLine)
        return refuse(1, "not a recovery file of this version");
    if (!NextLine(text, &at, &line) || !StartsWith(line, kDataKey))
        return refuse(2, "expected the data file's path");
    data->clear();
    for (std::size_t i = std::char_traits<char>::length(kDataKey); i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            ++i;
            *data += line[i] == 'n' ? '\n' : line[i];
        } else {
            *data += line[i];
        }
    }
    if (!NextLine(text, &at, &line) || !StartsWith(line, kChangesKey))
        return refuse(3, "expected the number of changes");
    *changes = std::atoi(line.c_str() + std::char_traits<char>::length(kChangesKey));
    if (!StartsWith(text.substr(at), kTreeKey)) return refuse(4, "expected the tree");
    *tree = text.substr(at + std::char_traits<char>::length(kTreeKey));
    return true;
}

void RemoveFile() {
    if (!gRecoveryFile.empty()) unlink(gRecoveryFile.c_str());
}

// Writes the live tree's text; the first failure of the run is told.
void WriteFile(const std::string& tree) {
    Refusal refusal;
    if (MakeFolders(gFolder, 0700, &refusal) &&
        WriteTextReplacing(gRecoveryFile.c_str(), RecoveryText(tree), &refusal))
        return;
    if (gToldFailure) return;
    gToldFailure = true;
    refusal.text += "; the tree cannot be recovered after a crash";
    ShowRefusal(refusal, Audience::CommandLine, Severity::Warning);
}

} // namespace

void EnableRecovery(const std::string& folder) {
    gFolder = folder;
    gDataPath.clear();
    gRecoveryFile.clear();
}

void UpdateRecoveryFile(bool newHistory) {
    const std::string live = LiveText();
    if (newHistory) {
        gLoadedText = gSavedText = live;
        gDataPath.clear();
        gRecoveryFile.clear();
        return;
    }
    if (gRecoveryFile.empty()) return;
    // A tree that would not read back could not be put back either.
    if (live == gLoadedText || live == gSavedText || !NewickReadsBack(nullptr)) {
        RemoveFile();
        return;
    }
    WriteFile(live);
}

bool FindRecoveredTree(const char* dataFile, RecoveredTree* found, Refusal* refusal) {
    if (gFolder.empty()) return false;
    std::string contents;
    // The file loaded a moment ago; one gone since has nothing to be recovered over.
    if (!ReadWholeFile(dataFile, &contents, nullptr)) return false;
    gDataPath = AbsolutePath(dataFile);
    char name[40];
    std::snprintf(name, sizeof name, "%016llx.recovery",
                  static_cast<unsigned long long>(Fingerprint(gDataPath + '\0' + contents)));
    gRecoveryFile = gFolder + name;

    if (access(gRecoveryFile.c_str(), F_OK) != 0 && errno == ENOENT) return false;
    Refusal refused{gRecoveryFile, 0, 0, ""};
    std::string text;
    std::string data;
    std::string tree;
    RecoveredTree read;
    if (!ReadWholeFile(gRecoveryFile.c_str(), &text, &refused) ||
        !ParseRecoveryText(text, &data, &read.changes, &tree, &refused)) {
        if (refusal != nullptr) *refusal = refused;
        return false;
    }
    if (data != gDataPath) return false;
    if (!ReadNewick(tree, gRecoveryFile, &read.tree, refusal)) return false;
    *found = read;
    return true;
}

bool HasUnsavedWork() {
    // A tree over no taxa holds no work, and no file could keep it.
    if (gTaxonCount <= 0) return false;
    const std::string live = LiveText();
    return live != gLoadedText && live != gSavedText;
}

void MarkTreeSaved() {
    gSavedText = LiveText();
    RemoveFile();
}

void DiscardRecoveryFile() {
    RemoveFile();
}

const std::string& RecoveryFile() {
    return gRecoveryFile;
}

void TellWhereWorkIsKept() {
    if (gToldWhere || gRecoveryFile.empty() || !HasUnsavedWork() ||
        access(gRecoveryFile.c_str(), F_OK) != 0)
        return;
    gToldWhere = true;
    std::fprintf(stderr,
                 "quillmoor: the unsaved tree is kept in %s; it comes back when %s is "
                 "opened again\n",
                 gRecoveryFile.c_str(), gDataPath.c_str());
    std::fflush(stderr);
}
