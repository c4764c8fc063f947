// Native services in the browser, beside the X11 ones (platform.cpp, modules.cpp): no
// window handle, the page's notice for a message box, the browser's file picker and
// downloads for the choosers, entry points linked in for modules, local storage, and no
// sleep (the browser paces the frames). The page's side is web_library.js. Called by the
// app, the font and the NEXUS loader as on the desktop, and by the page's program (web.h).
// Changes no GL state.
#include "platform/web.h"
#include "platform/platform.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

unsigned long gWindowHandle = 0;

// web_library.js
extern "C" {
void quillmoor_show_notice(const char* caption, const char* text);
void quillmoor_pick_file(const char* accept);
void quillmoor_offer_download(const char* path);
char* quillmoor_kept_text(const char* key); // malloc'ed, or null
void quillmoor_keep_text(const char* key, const char* text);
void quillmoor_offer_kept_tree(const char* fileName);
void quillmoor_withdraw_kept_tree_offer();
unsigned char* quillmoor_encode_png(const unsigned char* rgba, int width, int height, int* size);
void quillmoor_set_open_handler(ChosenFileHandler open);
}

namespace {

constexpr char kDownloadFolder[] = "/downloads";

MessageBoxHook gMessageBoxHook = nullptr;
QuestionHook gQuestionHook = nullptr;
FileDialogHook gFileDialogHook = nullptr;
const LinkedEntryPoint* gLinked = nullptr;
int gLinkedCount = 0;
std::vector<std::string> gDownloadTypes;

// Emscripten's file system starts with the mask 0777, which leaves every file written
// whole (WriteFileReplacing gives it the mode a new file gets) unreadable to the page's
// downloads; a system's usual mask instead.
const mode_t kFileMask = (umask(022), 022);

// "*.csv *.nex" as the picker's accept list ".csv,.nex"; "*" alone accepts anything.
std::string AcceptList(const std::vector<FileFilter>& filters) {
    std::string accept;
    for (const FileFilter& filter : filters) {
        for (const char* p = filter.patterns; *p != '\0';) {
            while (*p == ' ')
                ++p;
            const char* end = std::strchr(p, ' ');
            if (end == nullptr) end = p + std::strlen(p);
            const std::string pattern(p, end);
            p = end;
            if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0) continue;
            const std::string extension = pattern.substr(1);
            if (accept.find(extension + ",") != std::string::npos) continue;
            accept += extension + ",";
        }
    }
    if (!accept.empty()) accept.pop_back();
    return accept;
}

// The extension a download of the chooser's file types gets (see SetDownloadTypes).
std::string DownloadExtension(const FileDialogOptions& options) {
    for (const FileFilter& filter : options.filters) {
        for (const std::string& type : gDownloadTypes) {
            if (std::strstr(filter.patterns, ("*." + type).c_str()) != nullptr) return type;
        }
    }
    return options.defaultExtension;
}

} // namespace

void FindMainWindowHandle() {
    // The page's one canvas owns nothing: notices and pickers belong to the page.
}

// A page has no close button of its own to take: closing the tab ends the page, and the
// kept tree (KeepText) holds the work.
bool InterceptWindowClose() {
    return false;
}

bool TakeCloseRequest() {
    return false;
}

int KeepGlDriverLoaded() {
    return 0; // the browser's GL is no library of this program's
}

void SetMessageBoxHook(MessageBoxHook hook) {
    gMessageBoxHook = hook;
}

void ShowMessageBox(const char* caption, const char* text) {
    if (gMessageBoxHook != nullptr) {
        gMessageBoxHook(caption, text);
        return;
    }
    quillmoor_show_notice(caption, text);
}

void SetQuestionHook(QuestionHook hook) {
    gQuestionHook = hook;
}

// The page asks no modal question: the browser keeps each data file's last tree (the kept
// tree, offered back when the file is opened again), so the caller may go on.
int AskQuestion(const QuestionOptions& options) {
    return gQuestionHook != nullptr ? gQuestionHook(options) : kNoAnswer;
}

void SetFileDialogHook(FileDialogHook hook) {
    gFileDialogHook = hook;
}

// The browser's picker does not block: an open chooser shows it and answers "nothing
// chosen" at once; the page then writes the chosen file into the in-memory file system
// and has the program open it. A save chooser becomes a download (SetDownloadTypes).
bool ShowFileDialog(const FileDialogOptions& options, std::string& path) {
    if (gFileDialogHook != nullptr) return gFileDialogHook(options, path);
    if (!options.save) {
        quillmoor_pick_file(AcceptList(options.filters).c_str());
        return false;
    }
    std::string name = options.proposedName;
    const std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    if (name.empty()) name = "Data";
    mkdir(kDownloadFolder, 0777); // already there after the first save
    path = std::string(kDownloadFolder) + "/" +
           AppendDefaultExtension(name, DownloadExtension(options).c_str());
    quillmoor_offer_download(path.c_str()); // once the caller has written it
    return true;
}

void SetDownloadTypes(const char* const* extensions, int count) {
    gDownloadTypes.assign(extensions, extensions + count);
}

void SetLinkedEntryPoints(const LinkedEntryPoint* entries, int count) {
    gLinked = entries;
    gLinkedCount = count;
}

// The desktop's loader (modules.cpp) in the page: the entry points linked in, from the
// table; a module or symbol that is not in it is told as missing, as a module that is not
// found or lacks the symbol is on the desktop.
void* ModuleEntryPoint(const char* fileName, const char* symbol, std::string* whyNot) {
    bool linked = false;
    for (int i = 0; i < gLinkedCount; ++i) {
        if (std::strcmp(gLinked[i].module, fileName) != 0) continue;
        linked = true;
        if (std::strcmp(gLinked[i].symbol, symbol) == 0) return gLinked[i].entry;
    }
    *whyNot = std::string(fileName) + (linked ? " has no " + std::string(symbol)
                                              : std::string(" is not part of the web page"));
    return nullptr;
}

void SleepMs(unsigned) {
    // The browser runs a frame when it paints; a pause would only hold up the page.
}

std::string KeptText(const std::string& key) {
    char* text = quillmoor_kept_text(key.c_str());
    if (text == nullptr) return std::string();
    std::string kept(text);
    std::free(text);
    return kept;
}

void KeepText(const std::string& key, const std::string& text) {
    quillmoor_keep_text(key.c_str(), text.c_str());
}

void OfferKeptTree(const std::string& fileName) {
    quillmoor_offer_kept_tree(fileName.c_str());
}

void WithdrawKeptTreeOffer() {
    quillmoor_withdraw_kept_tree_offer();
}

std::vector<unsigned char> EncodePng(const unsigned char* rgba, int width, int height) {
    int size = 0;
    unsigned char* png = quillmoor_encode_png(rgba, width, height, &size);
    if (png == nullptr) return {};
    std::vector<unsigned char> bytes(png, png + size);
    std::free(png);
    return bytes;
}

void SetChosenFileHandler(ChosenFileHandler open) {
    quillmoor_set_open_handler(open);
}
