// The interface of the dialog module (GTK 3), which the platform layer loads with dlopen
// at the first dialog. Plain C entry points, so that they can be looked up by name.
#pragma once

#include "platform/platform.h"

// The module's file name; the platform layer knows the folders to look in.
constexpr const char kDialogsModuleName[] = "libquillmoor_dialogs.so";

extern "C" {
// Shows the modal notice (one OK button) transient for the X11 window owner (0: none)
// and returns once it is closed. Returns 1 when it was shown, 0 when GTK cannot run here.
int QuillmoorShowMessageBox(const char* caption, const char* text, unsigned long owner);

// Shows the modal file chooser transient for owner. Returns 1 with a malloc'ed full path
// in *path (the caller frees it) when the user confirmed a name, 0 on cancel, -1 when GTK
// cannot run here.
int QuillmoorShowFileDialog(const FileDialogOptions* options, unsigned long owner, char** path);
}
