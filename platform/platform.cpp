// Native services on X11: the GLUT window's handle, the modal notice, the modal file
// chooser and the sleep. Called by the app at start-up and from frames, and by the font
// loader for its missing-file notice. Changes no GL state. The dialogs live in a module
// (GTK 3) that is loaded at the first dialog, so start-up does not pay for GTK.
#include "platform/platform.h"

#include "platform/dialogs_module.h"

#include <dlfcn.h>
#include <GL/glx.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

unsigned long gWindowHandle = 0;

namespace {

MessageBoxHook gMessageBoxHook = nullptr;

struct DialogModule {
    decltype(&QuillmoorShowMessageBox) showMessageBox = nullptr;
    decltype(&QuillmoorShowFileDialog) showFileDialog = nullptr;
};

// The dialog module, loaded once. Found beside the program ($ORIGIN) or where the build
// or the installation put it (the program's run path). Returns nullptr, after saying why
// on stderr once, when it cannot be loaded.
const DialogModule* Dialogs() {
    static DialogModule module;
    static bool tried = false;
    if (!tried) {
        tried = true;
        void* handle = dlopen(kDialogsModuleName, RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) {
            module.showMessageBox = reinterpret_cast<decltype(module.showMessageBox)>(
                dlsym(handle, "QuillmoorShowMessageBox"));
            module.showFileDialog = reinterpret_cast<decltype(module.showFileDialog)>(
                dlsym(handle, "QuillmoorShowFileDialog"));
        }
        if (module.showMessageBox == nullptr || module.showFileDialog == nullptr) {
            std::fprintf(stderr, "quillmoor: dialogs unavailable: %s\n", dlerror());
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

bool ShowFileDialog(const FileDialogOptions& options, std::string& path) {
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
