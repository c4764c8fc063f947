// Native services on X11: the GLUT window's handle and its close button, the modal
// notice, the modal question, the modal file chooser and the sleep. Called by the app at
// start-up, from frames and to show a refusal in the notice. Changes no GL state. The dialogs live
// in a module (GTK 3) that is loaded at the first dialog, so start-up does not pay for GTK.
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

// Xlib's interface for extensions, for XESetWireToEvent. Last: it defines min and max as
// macros, which the standard headers above must not meet.
#include <X11/Xlibint.h>
#undef min
#undef max

unsigned long gWindowHandle = 0;

namespace {

MessageBoxHook gMessageBoxHook = nullptr;
FileDialogHook gFileDialogHook = nullptr;
QuestionHook gQuestionHook = nullptr;

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

namespace {

// The close button's message, and how Xlib turned client messages into events before.
using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);
WireToEvent gClientMessageToEvent = nullptr;
Atom gProtocolsAtom = None;
Atom gDeleteWindowAtom = None;
bool gCloseRequested = false;

// Xlib calls this for every client message it reads, inside its own locks: it must not
// call Xlib, nor GLUT, whose loop is reading. The close message to our window becomes an
// expose of it, which GLUT answers with a frame; any other message passes unchanged.
Bool ClientMessageToEvent(Display* display, XEvent* event, xEvent* wire) {
    const Bool queued = gClientMessageToEvent(display, event, wire);
    const XClientMessageEvent& message = event->xclient;
    if (!queued || event->type != ClientMessage || message.window != gWindowHandle ||
        message.message_type != gProtocolsAtom || message.format != 32 ||
        static_cast<Atom>(message.data.l[0]) != gDeleteWindowAtom) {
        return queued;
    }
    gCloseRequested = true;
    XExposeEvent expose{};
    expose.type = Expose;
    expose.serial = message.serial;
    expose.send_event = message.send_event;
    expose.display = message.display;
    expose.window = message.window;
    expose.count = 0; // the last of its series: GLUT only draws for such an expose
    event->xexpose = expose;
    return True;
}

} // namespace

bool InterceptWindowClose() {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr || gWindowHandle == 0 || gClientMessageToEvent != nullptr) {
        return false;
    }
    gProtocolsAtom = XInternAtom(display, "WM_PROTOCOLS", False);
    gDeleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    // Setting the converter returns the one it replaces; ours hands every event to it first.
    gClientMessageToEvent = XESetWireToEvent(display, ClientMessage, ClientMessageToEvent);
    return true;
}

bool TakeCloseRequest() {
    const bool requested = gCloseRequested;
    gCloseRequested = false;
    return requested;
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

void SetQuestionHook(QuestionHook hook) {
    gQuestionHook = hook;
}

int AskQuestion(const QuestionOptions& options) {
    if (gQuestionHook != nullptr) return gQuestionHook(options);
    std::string whyNot;
    const auto ask = DialogEntry<decltype(&QuillmoorAskQuestion)>("QuillmoorAskQuestion", &whyNot);
    if (ask == nullptr) {
        DialogsUnavailable(whyNot);
        return kNoAnswer;
    }
    const QuestionRequest request{kQuestionRequestVersion, options.title,
                                  options.question,        options.detail,
                                  options.buttons.data(),  static_cast<int>(options.buttons.size()),
                                  options.defaultButton,   options.cancelButton};
    const int answer = ask(&request, gWindowHandle);
    return answer >= 0 ? answer : kNoAnswer;
}

void SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
