// Native services on X11: the GLUT window's handle, the modal notice, the modal file
// chooser, whole-file writes, the sleep and the program's own folders. Called by the app
// at start-up, from frames and for exports, and by the font loader for its font and
// missing-file notice. Changes no GL state. The dialogs live in a module (GTK 3) that is
// loaded at the first dialog, so start-up does not pay for GTK.
#include "platform/platform.h"

#include "platform/dialogs_module.h"

#include <dlfcn.h>
#include <GL/glx.h>
#include <sys/stat.h>
#include <unistd.h>
#include <X11/keysym.h>
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
        void* handle = OpenModule(kDialogsModuleName, &whyNot);
        if (handle != nullptr) {
            module.showMessageBox = reinterpret_cast<decltype(module.showMessageBox)>(
                dlsym(handle, "QuillmoorShowMessageBox"));
            module.showFileDialog = reinterpret_cast<decltype(module.showFileDialog)>(
                dlsym(handle, "QuillmoorShowFileDialog"));
        }
        if (module.showMessageBox == nullptr || module.showFileDialog == nullptr) {
            if (handle != nullptr) whyNot = "incomplete dialog module";
            std::fprintf(stderr, "quillmoor: dialogs unavailable: %s\n", whyNot.c_str());
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

std::vector<std::string> ModuleFolders() {
    std::vector<std::string> folders;
    const std::string program = ExecutableFolder();
    if (!program.empty()) {
        folders.push_back(program);
        folders.push_back(program + QM_MODULES_FROM_BIN "/");
    }
    folders.push_back(QM_MODULE_BUILD_DIR "/");
    return folders;
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders{std::string()};
    const std::string program = ExecutableFolder();
    if (!program.empty()) {
        folders.push_back(program);
        folders.push_back(program + QM_DATA_FROM_BIN "/");
    }
    return folders;
}

std::string FindFileIn(const std::vector<std::string>& folders, const char* name) {
    for (const std::string& folder : folders) {
        const std::string path = folder + name;
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return path;
    }
    return std::string();
}

void* OpenModule(const char* fileName, std::string* whyNot) {
    // Full paths rather than a run path: a sanitizer's dlopen interceptor loses the
    // caller's run path, and a bare name would search the system's folders.
    const std::string path = FindFileIn(ModuleFolders(), fileName);
    if (path.empty()) {
        *whyNot = std::string(fileName) + " is in none of the program's module folders";
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        *whyNot = why != nullptr ? why : path + " does not load";
    }
    return handle;
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

bool WriteFileReplacing(const char* path, FileWriter write, void* context, std::string* whyNot) {
    // A hidden name in the same folder, so that the rename never crosses file systems.
    const std::string target(path);
    const std::string::size_type slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = folder + "." + base + ".XXXXXX";
    auto fail = [&](const std::string& problem) {
        *whyNot = target + ": " + problem;
        return false;
    };
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) return fail(std::string("cannot write: ") + std::strerror(errno));
    // mkstemp makes the file private; give it the permissions any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* out = fdopen(fd, "wb");
    if (out == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return fail(std::string("cannot write: ") + std::strerror(errno));
    }
    std::string problem;
    bool written = write(out, context, &problem);
    if (written && (std::fflush(out) != 0 || std::ferror(out) != 0)) {
        written = false;
        problem = std::string("cannot write: ") + std::strerror(errno);
    }
    if (std::fclose(out) != 0 && written) {
        written = false;
        problem = std::string("cannot write: ") + std::strerror(errno);
    }
    if (written && std::rename(temporary.c_str(), path) != 0) {
        written = false;
        problem = std::string("cannot replace the file: ") + std::strerror(errno);
    }
    if (!written) {
        unlink(temporary.c_str());
        return fail(problem);
    }
    return true;
}

void SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
