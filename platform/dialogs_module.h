// The interface of the dialog module (GTK 3), which the platform layer loads with dlopen
// at the first dialog. Plain C entry points and data, so that they can be looked up by
// name and neither side depends on how the other's C++ library lays out its types.
#pragma once

#include "platform/platform.h"

// The module's file name; the platform layer knows the folders to look in.
constexpr const char kDialogsModuleName[] = "libquillmoor_dialogs.so";

// A file chooser as the module is asked for it: FileDialogOptions in plain C. The caller
// sets version to kChooserRequestVersion; the module refuses any other.
constexpr int kChooserRequestVersion = 1;
struct ChooserRequest {
    int version;
    int save; // 1: the save chooser; 0: the open chooser
    const char* title;
    const FileFilter* filters; // filterCount file types, the first selected at the start
    int filterCount;
    const char* proposedName;
    const char* defaultExtension;
};

extern "C" {
// Shows the modal notice (one OK button) transient for the X11 window owner (0: none)
// and returns once it is closed. Returns 1 when it was shown, 0 when GTK cannot run here.
int QuillmoorShowMessageBox(const char* caption, const char* text, unsigned long owner);

// Shows the modal file chooser transient for owner. Returns 1 with a malloc'ed full path
// in *path (the caller frees it) when the user confirmed a name, 0 on cancel, -1 when GTK
// cannot run here or the request is of another version.
int QuillmoorShowFileDialog(const ChooserRequest* request, unsigned long owner, char** path);
}
