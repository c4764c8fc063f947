// The few native services the program needs, on X11 and GTK 3: the main window's
// handle, the GL driver kept loaded, a modal message box, a modal file chooser, a
// millisecond sleep, and the folders where the program's own files (modules, font) are
// found and its modules loaded.
// GTK is initialised lazily at the first dialog so that start-up stays fast.
#pragma once

#include <string>
#include <vector>

// The X11 window of the GLUT window, owner of dialogs; 0 when there is none.
extern unsigned long gWindowHandle;

// Records the current GLX drawable as gWindowHandle. Call right after glutCreateWindow.
void FindMainWindowHandle();

// Keeps the GL driver that the current context loaded in memory until the process ends,
// so that leak reports at exit can still name it. Call once a GL context exists. Returns
// the number of driver libraries pinned (0 when the context uses none, e.g. indirect GL).
int KeepGlDriverLoaded();

// Modal notice with one OK button, transient for gWindowHandle when set. Blocks until
// the user closes it. Falls back to stderr when no display can be opened.
void ShowMessageBox(const char* caption, const char* text);

// Tests route notices here instead of a dialog; nullptr restores the dialog.
using MessageBoxHook = void (*)(const char* caption, const char* text);
void SetMessageBoxHook(MessageBoxHook hook);

// One entry of the chooser's list of file types: the name shown and the patterns of the
// files it lists, separated by spaces, e.g. {"NEXUS files", "*.nex *.nexus *.nxs"}.
struct FileFilter {
    const char* name;
    const char* patterns;
};

struct FileDialogOptions {
    bool save = false; // save chooser instead of open chooser
    const char* title = "";
    // The file types offered, in this order; the first is selected when the chooser
    // opens. None: every file is listed.
    std::vector<FileFilter> filters;
    const char* proposedName = "";     // name shown in the entry when the dialog opens
    const char* defaultExtension = ""; // appended (with a dot) to a name without one
};

// Modal file chooser. Returns true and the full path in path when the user confirmed a
// name; false on cancel or when no dialog can be shown (path untouched). A save chooser
// asks before the name confirmed -- as typed, or with the default extension added --
// replaces an existing file; declining brings the chooser back.
bool ShowFileDialog(const FileDialogOptions& options, std::string& path);

// Tests route file choosers here instead of a dialog; nullptr restores the dialog.
using FileDialogHook = bool (*)(const FileDialogOptions& options, std::string& path);
void SetFileDialogHook(FileDialogHook hook);

// Returns path with "." + extension appended when its base name has no extension (a
// leading dot marks a hidden file, not an extension); path itself otherwise, and when
// extension is empty or null.
// Inline: the dialog module uses it as well.
inline std::string AppendDefaultExtension(const std::string& path, const char* extension) {
    if (extension == nullptr || extension[0] == '\0') {
        return path;
    }
    std::string::size_type slash = path.rfind('/');
    std::string::size_type baseStart = slash == std::string::npos ? 0 : slash + 1;
    // A dot that starts the base name marks a hidden file, not an extension.
    std::string::size_type dot = path.rfind('.');
    if (dot != std::string::npos && dot > baseStart) {
        return path;
    }
    return path + "." + extension;
}

// The folder of the running program, with a trailing slash; empty when unknown. Files
// that travel with the program (the font, the dialog module) are looked for there.
std::string ExecutableFolder();

// Where the program's own files are looked for, in order, each folder with a trailing
// slash. No install path is compiled in: an installed tree is found from the program's
// location, so it works under any prefix and can be moved whole.
// ModuleFolders: beside the program (the build's bin folder), <bin>/../lib/quillmoor (an
// installed tree), then the build's output folder, so that a copy of the program run
// from elsewhere, as tests do, still finds the modules built with it. That folder comes
// last: an installed program built elsewhere carries a path that means nothing here.
// DataFolders: the working folder (as ""), beside the program, <bin>/../share/quillmoor.
// Folders that cannot be known (no /proc) are left out.
std::vector<std::string> ModuleFolders();
std::vector<std::string> DataFolders();

// The first folder + name that is a regular file; empty when none is.
std::string FindFileIn(const std::vector<std::string>& folders, const char* name);

// The entry point `symbol` of one of the program's modules (e.g. "libquillmoor_dialogs.so"),
// the one way modules are loaded: the module comes from the first of ModuleFolders() that
// has it, opened with RTLD_NOW | RTLD_LOCAL, and both the module and the entry point (or
// why there is none) are remembered, so a later call for either costs a lookup and a
// failure is not tried again. Returns nullptr with the reason in *whyNot when no folder
// has the module, it does not load, or it lacks the symbol. The system's library path is
// not searched: what loads must not depend on what else is installed on the machine.
void* ModuleEntryPoint(const char* fileName, const char* symbol, std::string* whyNot);

// Blocks the calling thread for ms milliseconds.
void SleepMs(unsigned ms);
