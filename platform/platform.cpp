// Native services on X11: the GLUT window's handle, the modal notice, the modal file
// chooser, whole-file writes, the sleep and the program's own folders. Called by the app
// at start-up, from frames and for exports, and by the font loader for its font and
// missing-file notice. Changes no GL state. The dialogs live in a module (GTK 3) that is
// loaded at the first dialog, so start-up does not pay for GTK.
#include "platform/platform.h"

#include "platform/dialogs_module.h"

#include <GL/glx.h>
#include <sys/stat.h>
#include <unistd.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

unsigned long gWindowHandle = 0;

namespace {

MessageBoxHook gMessageBoxHook = nullptr;
FileDialogHook gFileDialogHook = nullptr;

struct DialogModule {
    decltype(&QuillmoorShowMessageBox) showMessageBox = nullptr;
    decltype(&QuillmoorShowFileDialog) showFileDialog = nullptr;
};

// The dialog module, loaded once. Returns nullptr, after saying why on stderr once, when
// it cannot be loaded.
const DialogModule* Dialogs() {
    static DialogModule module;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::string whyNot;
        module.showMessageBox = reinterpret_cast<decltype(module.showMessageBox)>(
            ModuleEntryPoint(kDialogsModuleName, "QuillmoorShowMessageBox", &whyNot));
        if (module.showMessageBox != nullptr) {
            module.showFileDialog = reinterpret_cast<decltype(module.showFileDialog)>(
                ModuleEntryPoint(kDialogsModuleName, "QuillmoorShowFileDialog", &whyNot));
        }
        if (module.showMessageBox == nullptr || module.showFileDialog == nullptr) {
            std::fprintf(stderr, "quillmoor: dialogs unavailable: %s\n", whyNot.c_str());
            std::fflush(stderr);
            module = DialogModule();
        }
    }
    return module.showMessageBox != nullptr ? &module : nullptr;
}

} // namespace

void FindMainWindowHandle() {
    gWindowHandle = glXGetCurrentDrawable();
}

void SetMessageBoxHook(MessageBoxHook hook) {
    gMessageBoxHook = hook;
}

void ShowMessageBox(const char* caption, const char* text) {
    if (gMessageBoxHook != nullptr) {
        gMessageBoxHook(caption, text);
        return;
    }
    const DialogModule* dialogs = Dialogs();
    if (dialogs == nullptr || !dialogs->showMessageBox(caption, text, gWindowHandle)) {
        // No dialog can be shown (no module, or no display): the notice still reaches
        // the user.
        std::fprintf(stderr, "%s: %s\n", caption, text);
        std::fflush(stderr);
    }
}

void SetFileDialogHook(FileDialogHook hook) {
    gFileDialogHook = hook;
}

bool ShowFileDialog(const FileDialogOptions& options, std::string& path) {
    if (gFileDialogHook != nullptr) return gFileDialogHook(options, path);
    const DialogModule* dialogs = Dialogs();
    char* chosen = nullptr;
    if (dialogs == nullptr || dialogs->showFileDialog(&options, gWindowHandle, &chosen) != 1) {
        return false;
    }
    path = chosen;
    std::free(chosen);
    return true;
}

void SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
