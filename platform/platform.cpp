// Native services on X11: the GLUT window's handle, the modal notice, the modal file
// chooser and the sleep. Called by the app at start-up, from frames and to show a
// refusal in the notice. Changes no GL state. The dialogs live in a module (GTK 3) that is
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

template <typename Entry> Entry DialogEntry(const char* symbol, std::string* whyNot) {
    return reinterpret_cast<Entry>(ModuleEntryPoint(kDialogsModuleName, symbol, whyNot));
}

// Says once on stderr why no dialog can be shown; returns false.
bool DialogsUnavailable(const std::string& whyNot) {
    static bool told = false;
    if (!told) {
        told = true;
        std::fprintf(stderr, "quillmoor: dialogs unavailable: %s\n", whyNot.c_str());
        std::fflush(stderr);
    }
    return false;
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
    std::string whyNot;
    const auto show =
        DialogEntry<decltype(&QuillmoorShowMessageBox)>("QuillmoorShowMessageBox", &whyNot);
    if (show == nullptr) DialogsUnavailable(whyNot);
    if (show == nullptr || !show(caption, text, gWindowHandle)) {
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
    std::string whyNot;
    const auto show =
        DialogEntry<decltype(&QuillmoorShowFileDialog)>("QuillmoorShowFileDialog", &whyNot);
    if (show == nullptr) return DialogsUnavailable(whyNot);
    const ChooserRequest request{kChooserRequestVersion,
                                 options.save ? 1 : 0,
                                 options.title,
                                 options.filters.data(),
                                 static_cast<int>(options.filters.size()),
                                 options.proposedName,
                                 options.defaultExtension};
    char* chosen = nullptr;
    if (show(&request, gWindowHandle, &chosen) != 1) {
        return false;
    }
    path = chosen;
    std::free(chosen);
    return true;
}

void SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
