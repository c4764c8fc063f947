// Native services on X11: the GLUT window's handle, the modal notice, the modal file
// chooser and the sleep. Called by the app at start-up and from frames, and by the font
// loader for its missing-file notice. Changes no GL state. The dialogs live in a module
// (GTK 3) that is loaded at the first dialog, so start-up does not pay for GTK.
#include "platform/platform.h"

#include "platform/dialogs_module.h"

#include <dlfcn.h>
#include <GL/glx.h>
#include <unistd.h>
#include <X11/keysym.h>
#include <X11/Xlib.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

unsigned long gWindowHandle = 0;

namespace {

MessageBoxHook gMessageBoxHook = nullptr;
FileDialogHook gFileDialogHook = nullptr;

struct DialogModule {
    decltype(&QuillmoorShowMessageBox) showMessageBox = nullptr;
    decltype(&QuillmoorShowFileDialog) showFileDialog = nullptr;
};

// Opens the module from the first folder that has it: beside the program, then the
// build's output folder, then the installed library folder. Full paths rather than the
// run path, since a sanitizer's dlopen interceptor loses the caller's run path.
void* OpenDialogModule() {
    for (const std::string& folder : {ExecutableFolder(), std::string(QM_MODULE_BUILD_DIR "/"),
                                      std::string(QM_MODULE_INSTALL_DIR "/")}) {
        if (folder.empty()) continue;
        const std::string path = folder + kDialogsModuleName;
        if (access(path.c_str(), F_OK) != 0) continue;
        return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    return dlopen(kDialogsModuleName, RTLD_NOW | RTLD_LOCAL); // the system's search
}

// The dialog module, loaded once. Returns nullptr, after saying why on stderr once, when
// it cannot be loaded.
const DialogModule* Dialogs() {
    static DialogModule module;
    static bool tried = false;
    if (!tried) {
        tried = true;
        void* handle = OpenDialogModule();
        if (handle != nullptr) {
            module.showMessageBox = reinterpret_cast<decltype(module.showMessageBox)>(
                dlsym(handle, "QuillmoorShowMessageBox"));
            module.showFileDialog = reinterpret_cast<decltype(module.showFileDialog)>(
                dlsym(handle, "QuillmoorShowFileDialog"));
        }
        if (module.showMessageBox == nullptr || module.showFileDialog == nullptr) {
            const char* why = dlerror();
            std::fprintf(stderr, "quillmoor: dialogs unavailable: %s\n",
                         why != nullptr ? why : "incomplete dialog module");
            std::fflush(stderr);
            module = DialogModule();
        }
    }
    return module.showMessageBox != nullptr ? &module : nullptr;
}

} // namespace

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

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

bool ShiftKeyHeld() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return false;
    char keys[32];
    XQueryKeymap(display, keys);
    for (KeySym shift : {XK_Shift_L, XK_Shift_R}) {
        const KeyCode code = XKeysymToKeycode(display, shift);
        if (code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0) return true;
    }
    return false;
}

void SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
