// The GTK 3 dialogs: the modal notice and the modal file chooser, both transient for the
// GLUT window. Built as a module of its own that the platform layer loads at the first
// dialog, so that starting the editor does not pay for loading GTK. Changes no GL state.
#include "platform/dialogs_module.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The window the dialogs belong to (an X11 window id), for the call under way.
unsigned long gOwner = 0;

enum class GtkState { NotTried, Ready, Unavailable };
GtkState gGtkState = GtkState::NotTried;

// Returns true when GTK runs on an X11 display and dialogs can be shown. Tried once:
// a failed start (no display) is remembered so later calls fail fast.
bool EnsureGtk() {
    if (gGtkState == GtkState::NotTried) {
        // GLUT talks X11, so the dialogs must too, or they could not be made transient
        // for its window.
        gdk_set_allowed_backends("x11");
        // GTK would otherwise switch the whole process to the user's locale, and the
        // data file's numbers would then be read with the locale's decimal separator.
        gtk_disable_setlocale();
        gGtkState = gtk_init_check(nullptr, nullptr) ? GtkState::Ready : GtkState::Unavailable;
    }
    return gGtkState == GtkState::Ready;
}

// Lets GTK finish pending work (unmapping a destroyed dialog) so it really leaves the
// screen before control goes back to GLUT, which will not pump GTK's events.
void PumpGtkEvents() {
    while (gtk_events_pending()) {
        gtk_main_iteration();
    }
}

// Realizes the dialog and makes the window manager keep it above the GLUT window.
// Returns the foreign GDK window to release after the dialog closes, or nullptr.
GdkWindow* MakeTransientForMainWindow(GtkWidget* dialog) {
    gtk_widget_realize(dialog);
    if (gOwner == 0) {
        return nullptr;
    }
    GdkDisplay* display = gtk_widget_get_display(dialog);
    if (!GDK_IS_X11_DISPLAY(display)) {
        return nullptr;
    }
    GdkWindow* owner = gdk_x11_window_foreign_new_for_display(display, gOwner);
    if (owner != nullptr) {
        gdk_window_set_transient_for(gtk_widget_get_window(dialog), owner);
    }
    return owner;
}

// Runs a dialog modally; returns GTK's response id.
gint RunModal(GtkWidget* dialog) {
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    GdkWindow* owner = MakeTransientForMainWindow(dialog);
    gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (owner != nullptr) {
        g_object_unref(owner);
    }
    return response;
}

// Takes a dialog off the screen before control goes back to the caller. GTK's requests to
// unmap and destroy its window can still sit in the output buffer of GTK's own display
// connection after the pump, and GLUT never flushes that connection: under load the
// chooser then stayed on screen, dead, while the editor ran on. Syncing sends the
// requests and waits until the X server has carried them out.
void DestroyDialog(GtkWidget* dialog) {
    GdkDisplay* display = gtk_widget_get_display(dialog);
    gtk_widget_destroy(dialog);
    PumpGtkEvents();
    gdk_display_sync(display);
}

// Asks whether an existing file may be replaced; returns true for "Replace" (Escape and
// closing the question keep the file).
bool ConfirmReplace(GtkWidget* parent, const std::string& path) {
    gchar* shown = g_filename_display_name(path.c_str());
    GtkWidget* ask = gtk_message_dialog_new(
        GTK_WINDOW(parent), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
        "A file named \"%s\" already exists. Replace it?", shown);
    g_free(shown);
    gtk_window_set_title(GTK_WINDOW(ask), "Replace File?");
    gtk_dialog_add_buttons(GTK_DIALOG(ask), "_Cancel", GTK_RESPONSE_CANCEL, "_Replace",
                           GTK_RESPONSE_ACCEPT, nullptr);
    gint response = gtk_dialog_run(GTK_DIALOG(ask));
    DestroyDialog(ask);
    return response == GTK_RESPONSE_ACCEPT;
}

} // namespace

extern "C" int QuillmoorShowMessageBox(const char* caption, const char* text, unsigned long owner) {
    if (!EnsureGtk()) {
        return 0;
    }
    gOwner = owner;
    // File names need not be UTF-8, but GTK's labels must be.
    gchar* shownText = g_utf8_make_valid(text, -1);
    gchar* shownCaption = g_utf8_make_valid(caption, -1);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                               GTK_BUTTONS_OK, "%s", shownText);
    gtk_window_set_title(GTK_WINDOW(dialog), shownCaption);
    g_free(shownText);
    g_free(shownCaption);
    RunModal(dialog);
    DestroyDialog(dialog);
    return 1;
}

namespace {

// GTK's open mode has no name entry; its location entry (what Ctrl+L opens) takes the
// proposed name instead. The widget lies somewhere inside the dialog: a depth-first,
// pre-order walk of the container tree, first match wins; leaves are plain widgets.
GtkWidget* FindChooserWidget(GtkWidget* widget) {
    if (GTK_IS_FILE_CHOOSER_WIDGET(widget)) {
        return widget;
    }
    if (!GTK_IS_CONTAINER(widget)) {
        return nullptr;
    }
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* child = children; child != nullptr && found == nullptr; child = child->next) {
        found = FindChooserWidget(GTK_WIDGET(child->data));
    }
    g_list_free(children);
    return found;
}

void OpenLocationEntry(GtkWidget* dialog, gpointer name) {
    GtkWidget* chooser = FindChooserWidget(dialog);
    if (chooser != nullptr) {
        g_signal_emit_by_name(chooser, "location-popup", static_cast<const char*>(name));
    }
}

void FreeProposedName(gpointer name, GClosure*) {
    g_free(name);
}

// Escape cancels the chooser at once, as it does the dialogs of other platforms; GTK
// would first spend it on closing the location entry that ProposeName opened.
gboolean CancelOnEscape(GtkWidget* dialog, GdkEventKey* event, gpointer) {
    if (event->keyval != GDK_KEY_Escape) {
        return FALSE;
    }
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    return TRUE;
}

// Offers the file types in order and selects the first. Patterns are split at spaces.
void AddFilters(GtkFileChooser* chooser, const FileFilter* filters, int count) {
    for (int i = 0; i < count; ++i) {
        const FileFilter& type = filters[i];
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, type.name);
        gchar** patterns = g_strsplit_set(type.patterns != nullptr ? type.patterns : "", " ", -1);
        for (gchar** pattern = patterns; *pattern != nullptr; ++pattern) {
            if (**pattern != '\0') gtk_file_filter_add_pattern(filter, *pattern);
        }
        g_strfreev(patterns);
        gtk_file_chooser_add_filter(chooser, filter); // the chooser takes the reference
    }
    GSList* added = gtk_file_chooser_list_filters(chooser);
    if (added != nullptr) gtk_file_chooser_set_filter(chooser, GTK_FILE_FILTER(added->data));
    g_slist_free(added);
}

void ProposeName(GtkWidget* dialog, bool save, const char* name) {
    if (name == nullptr || name[0] == '\0') {
        return;
    }
    if (save) {
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), name);
        return;
    }
    // The location entry opens only once the chooser is on screen.
    g_signal_connect_data(dialog, "map", G_CALLBACK(OpenLocationEntry), g_strdup(name),
                          FreeProposedName, GConnectFlags(0));
}

// True when a file, or a link that names none yet, is at path: saving there replaces it
// (or makes the file the link names), so the user is asked first.
bool TakenName(const std::string& path) {
    return g_file_test(path.c_str(), G_FILE_TEST_EXISTS) ||
           g_file_test(path.c_str(), G_FILE_TEST_IS_SYMLINK);
}

} // namespace

extern "C" int QuillmoorShowFileDialog(const ChooserRequest* request, unsigned long owner,
                                       char** path) {
    if (request->version != kChooserRequestVersion || !EnsureGtk()) {
        return -1;
    }
    gOwner = owner;
    const ChooserRequest& options = *request;
    GtkFileChooserAction action =
        options.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN;
    GtkWidget* dialog =
        gtk_file_chooser_dialog_new(options.title, nullptr, action, "_Cancel", GTK_RESPONSE_CANCEL,
                                    options.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    AddFilters(chooser, options.filters, options.filterCount);
    // GTK's own question would cover only the typed name, not the name with the default
    // extension added below; one question after the chooser returns covers both.
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
    ProposeName(dialog, options.save, options.proposedName);
    g_signal_connect(dialog, "key-press-event", G_CALLBACK(CancelOnEscape), nullptr);

    bool confirmed = false;
    std::string chosen;
    while (!confirmed && RunModal(dialog) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(chooser);
        if (name == nullptr) {
            break; // a non-local location: nothing we can open
        }
        chosen = AppendDefaultExtension(name, options.defaultExtension);
        g_free(name);
        confirmed = !(options.save && TakenName(chosen) && !ConfirmReplace(dialog, chosen));
    }
    DestroyDialog(dialog);
    if (!confirmed) {
        return 0;
    }
    *path = strdup(chosen.c_str());
    return *path != nullptr ? 1 : 0;
}
