// The command table (see commands.h): every command once, with its menu entry; the key
// bindings, whose names make the keys shown in the menu, the help and --help; the GLUT
// menu. Called by the input callbacks, GLUT's menu and the frame. Tree changes go through
// the change step. No GL state.
#include "app/commands.h"

#include "app/file_choice.h"
#include "app/frame_request.h"
#include "app/interaction.h"
#include "app/messages.h"
#include "app/parsimony_tools.h"
#include "app/picture.h"
#include "app/reconstruction_views.h"
#include "app/tree_change.h"
#include "app/unsaved_work.h"
#include "app/view_commands.h"

#include <GL/freeglut.h>

#include <cctype>
#include <string>

namespace {

bool gHelpShown = false;
FileDialogRequest gDialogRequest = FileDialogRequest::None;

CladeNode* ChildOf(CladeNode* node, bool right) {
    if (node == nullptr) return nullptr;
    return right ? node->right : node->left;
}

// The fixed re-attachments of keys '1' to '3', as one undoable change. A key whose path
// names a missing node does nothing.
void ConnectIfPresent(CladeNode* moved, CladeNode* target) {
    if (moved == nullptr || target == nullptr) return;
    ChangeTree({TreeChange::Kind::Drop, moved, target});
}

void MoveLeftGrandchildToRoot() {
    ConnectIfPresent(ChildOf(ChildOf(gRoot, false), false), gRoot);
}

void MoveRightGrandchildToRoot() {
    ConnectIfPresent(ChildOf(ChildOf(gRoot, true), true), gRoot);
}

void MoveRightGrandchildToLeftChild() {
    ConnectIfPresent(ChildOf(ChildOf(gRoot, true), true), ChildOf(gRoot, false));
}

// Positions only: levels, states and the listing stay as they are.
void RecomputePositions() {
    if (gRoot != nullptr) gRoot->ComputePositions();
}

// Nodes freed here reach the interaction state through the release hook.
void CompactTree() {
    if (gRoot == nullptr) return;
    ChangeTree({TreeChange::Kind::Compact});
}

// Dialogs run from the frame, not from inside a key or menu callback.
void RequestDialog(FileDialogRequest request) {
    gDialogRequest = request;
    RequestFrame();
}

void RequestOpenFile() {
    RequestDialog(FileDialogRequest::Open);
}

void RequestSaveTree() {
    RequestDialog(FileDialogRequest::SaveTree);
}

void RequestExportPicture() {
    RequestDialog(FileDialogRequest::ExportPicture);
}

void Undo() {
    if (!ChangeTree({TreeChange::Kind::Undo})) ShowMessage("Nothing to undo");
}

void Redo() {
    if (!ChangeTree({TreeChange::Kind::Redo})) ShowMessage("Nothing to redo");
}

void BackToLoadedTree() {
    if (!ChangeTree({TreeChange::Kind::BackToLoaded})) ShowMessage("The tree is as it was loaded");
}

void PutDown() {
    ForgetDragState();
}

void ToggleHelp() {
    gHelpShown = !gHelpShown;
}

// The question about unsaved work comes first, from the frame.
void Quit() {
    RequestDialog(FileDialogRequest::Quit);
}

struct Command {
    const char* name; // the menu entry and the help line
    void (*run)();
};

// In menu order. Index into this table = menu value.
const Command kCommands[] = {
    {"Open data or tree file...", RequestOpenFile},
    {"Save tree...", RequestSaveTree},
    {"Export picture...", RequestExportPicture},
    {"Undo", Undo},
    {"Redo", Redo},
    {"Back to the loaded tree", BackToLoadedTree},
    {"Put down", PutDown},
    {"Parsimony panel", ToggleParsimonyPanel},
    {"Markers by the fewest changes", ToggleFewestChanges},
    {"Trace a character", ToggleTrace},
    {"Trace the next character", TraceNextCharacter},
    {"Trace the previous character", TracePreviousCharacter},
    {"End the trace", EndTrace},
    {"Hint: the best single move", ShowHint},
    {"Best tree found", RequestBestTreeSearch},
    {"Root on the picked group", RootOnPickedGroup},
    {"Next equally good tree", NextKeptTree},
    {"Previous equally good tree", PreviousKeptTree},
    {"Larger text", LargerText},
    {"Smaller text", SmallerText},
    {"Text at its usual size", DefaultTextSize},
    {"Presentation mode", TogglePresentation},
    {"Full screen", ToggleFullScreen},
    {"Help", ToggleHelp},
    {"Quit", Quit},
    {"Move first grandchild next to the root", MoveLeftGrandchildToRoot},
    {"Move last grandchild next to the root", MoveRightGrandchildToRoot},
    {"Move last grandchild next to the first child", MoveRightGrandchildToLeftChild},
    {"Recompute positions", RecomputePositions},
    {"Remove single-child nodes", CompactTree},
};
constexpr int kCommandCount = static_cast<int>(sizeof kCommands / sizeof kCommands[0]);

enum class Need { No, Yes, Any };

struct KeyBinding {
    int key; // character (Ctrl+letter arrives as its control code) or GLUT special code
    bool special;
    bool ctrl;  // Ctrl required (true) or forbidden (false); Alt is always forbidden
    Need shift; // only Ctrl+Z looks at Shift
    void (*run)();
};

constexpr int Ctrl(char letter) {
    return letter - 'a' + 1;
}

// Case-sensitive: 'F' and 'C' are not commands. A command's keys are named in this order.
const KeyBinding kKeyBindings[] = {
    {Ctrl('o'), false, true, Need::Any, RequestOpenFile},
    {Ctrl('s'), false, true, Need::Any, RequestSaveTree},
    {Ctrl('e'), false, true, Need::Any, RequestExportPicture},
    {Ctrl('z'), false, true, Need::No, Undo},
    {Ctrl('y'), false, true, Need::Any, Redo},
    {Ctrl('z'), false, true, Need::Yes, Redo},
    {Ctrl('r'), false, true, Need::Any, BackToLoadedTree},
    {Ctrl('q'), false, true, Need::Any, Quit},
    {Ctrl('b'), false, true, Need::Any, RequestBestTreeSearch},
    {27, false, false, Need::Any, PutDown},
    {GLUT_KEY_F1, true, false, Need::Any, ToggleHelp},
    {'?', false, false, Need::Any, ToggleHelp},
    {'1', false, false, Need::Any, MoveLeftGrandchildToRoot},
    {'2', false, false, Need::Any, MoveRightGrandchildToRoot},
    {'3', false, false, Need::Any, MoveRightGrandchildToLeftChild},
    {'f', false, false, Need::Any, RecomputePositions},
    {'c', false, false, Need::Any, CompactTree},
    {'p', false, false, Need::Any, ToggleParsimonyPanel},
    {'m', false, false, Need::Any, ToggleFewestChanges},
    {'t', false, false, Need::Any, ToggleTrace},
    {GLUT_KEY_RIGHT, true, false, Need::Any, TraceNextCharacter},
    {GLUT_KEY_LEFT, true, false, Need::Any, TracePreviousCharacter},
    {27, false, false, Need::Any, EndTrace}, // after Put down: Escape does both
    {'h', false, false, Need::Any, ShowHint},
    {'o', false, false, Need::Any, RootOnPickedGroup},
    {']', false, false, Need::Any, NextKeptTree},
    {'[', false, false, Need::Any, PreviousKeptTree},
    {'=', false, true, Need::Any, LargerText},
    {'+', false, true, Need::Any, LargerText}, // Ctrl+Shift+= on most layouts, or the keypad's
    {'-', false, true, Need::Any, SmallerText},
    {'0', false, true, Need::Any, DefaultTextSize},
    {GLUT_KEY_F5, true, false, Need::Any, TogglePresentation},
    {GLUT_KEY_F11, true, false, Need::Any, ToggleFullScreen},
};

// Names of the keys that do not name themselves.
const struct {
    int key;
    bool special;
    const char* name;
} kKeyNames[] = {
    {27, false, "Escape"},         {GLUT_KEY_F1, true, "F1"}, {GLUT_KEY_F5, true, "F5"},
    {GLUT_KEY_F11, true, "F11"},   {'+', false, "plus"},      {GLUT_KEY_RIGHT, true, "Right"},
    {GLUT_KEY_LEFT, true, "Left"},
};

// The binding as the user types it: "Ctrl+Shift+Z", "Escape", "F1", "?".
std::string KeyName(const KeyBinding& binding) {
    std::string name = binding.ctrl ? "Ctrl+" : "";
    if (binding.shift == Need::Yes) name += "Shift+";
    for (const auto& named : kKeyNames)
        if (named.key == binding.key && named.special == binding.special) return name + named.name;
    // Ctrl+letter arrives as the letter's control code; the name shows the capital.
    const int shown = binding.ctrl && binding.key < ' ' ? binding.key - 1 + 'A' : binding.key;
    return name + static_cast<char>(shown);
}

// Every key of the command, in binding order: "Ctrl+Y, Ctrl+Shift+Z".
std::string KeysOf(const Command& command) {
    std::string keys;
    for (const KeyBinding& binding : kKeyBindings) {
        if (binding.run != command.run) continue;
        if (!keys.empty()) keys += ", ";
        keys += KeyName(binding);
    }
    return keys;
}

bool Matches(const KeyBinding& binding, const KeyPress& press) {
    if (binding.key != press.key || binding.special != press.special) return false;
    if (press.alt || binding.ctrl != press.ctrl) return false;
    return binding.shift == Need::Any || (binding.shift == Need::Yes) == press.shift;
}

void OnMenu(int value) {
    if (value >= 0 && value < kCommandCount) {
        ClearMessage();
        ClearHint();
        HideHelp();
        kCommands[value].run();
        RequestFrame();
    }
}

} // namespace

// Every binding of the key runs, in table order: Escape puts the picked node down and ends
// a trace.
bool RunKeyCommand(const KeyPress& press) {
    bool ran = false;
    for (const KeyBinding& binding : kKeyBindings) {
        if (Matches(binding, press)) {
            binding.run();
            ran = true;
        }
    }
    return ran;
}

void CreateCommandMenu() {
    glutCreateMenu(OnMenu);
    for (int i = 0; i < kCommandCount; ++i) {
        const std::string entry = std::string(kCommands[i].name) + "    " + KeysOf(kCommands[i]);
        glutAddMenuEntry(entry.c_str(), i);
    }
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

bool HelpShown() {
    return gHelpShown;
}

void HideHelp() {
    gHelpShown = false;
}

const std::vector<HelpLine>& CommandKeyLines() {
    // The key texts live as long as the program: the lines point into them.
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (const Command& command : kCommands)
            all.push_back(KeysOf(command));
        return all;
    }();
    static const std::vector<HelpLine> lines = [] {
        std::vector<HelpLine> all;
        for (int i = 0; i < kCommandCount; ++i)
            all.push_back({keys[i].c_str(), kCommands[i].name});
        return all;
    }();
    return lines;
}

const std::vector<HelpLine>& HelpLines() {
    static const std::vector<HelpLine> lines = [] {
        std::vector<HelpLine> all = {
            {nullptr, "Mouse"},
            {"click a node", "pick it up with its subtree (it turns cyan)"},
            {"move, click", "drop it next to the lit (orange) branch"},
            {"press, drag, release", "the same, in one move"},
            {"click it again", "put it down (or click empty space, or Escape)"},
            {"right button", "the menu of every command"},
            {"point at a marker", "its character and new state, bottom right"},
            {"badges on branches", "a drop there gives - fewer, = as many, + more events"},
            {"click a character's line", "trace it along the tree (a list or the panel)"},
            {nullptr, "Keys"},
        };
        all.insert(all.end(), CommandKeyLines().begin(), CommandKeyLines().end());
        all.push_back({nullptr, "Any key or click closes this help."});
        return all;
    }();
    return lines;
}

FileDialogRequest TakeFileDialogRequest() {
    const FileDialogRequest requested = gDialogRequest;
    gDialogRequest = FileDialogRequest::None;
    return requested;
}

void RequestQuit() {
    Quit();
}

void RunFileDialog(FileDialogRequest request) {
    std::string path;
    switch (request) {
    case FileDialogRequest::None:
        return;
    case FileDialogRequest::Open:
        if (ChooseDataFile(&path)) OpenChosenFile(path);
        return;
    case FileDialogRequest::SaveTree:
        SaveTreeThroughChooser();
        return;
    case FileDialogRequest::ExportPicture:
        SaveThroughChooser(ChoosePictureFile, ExportPicture, "Exported the picture as ");
        return;
    case FileDialogRequest::Quit:
        if (SettleUnsavedWork()) glutLeaveMainLoop();
        return;
    }
}

void ResetCommands() {
    gHelpShown = false;
    gDialogRequest = FileDialogRequest::None;
}
