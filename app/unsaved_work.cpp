// Keeping the work in the editor (see unsaved_work.h): Save Tree's flow and the question
// before the tree is thrown away, as a table of answers. Called by the frame's dialog
// requests and GLUT's close callback. Shows dialogs; no GL state.
#include "app/unsaved_work.h"

#include "app/file_choice.h"
#include "app/loading.h"
#include "app/messages.h"
#include "app/recovery.h"
#include "app/refusals.h"
#include "platform/platform.h"

namespace {

bool SaveTree() {
    return SaveTreeThroughChooser();
}

bool DontSave() {
    DiscardRecoveryFile();
    return true;
}

bool Cancel() {
    return false;
}

// The question's buttons, left to right: the label, and what the answer does (true: the
// caller goes on). Return answers the first, Escape the last.
const struct {
    const char* label;
    bool (*settle)();
} kAnswers[] = {
    {"_Save", SaveTree},
    {"_Don't save", DontSave},
    {"_Cancel", Cancel},
};
constexpr int kAnswerCount = static_cast<int>(sizeof kAnswers / sizeof kAnswers[0]);

} // namespace

bool SaveThroughChooser(bool (*choose)(std::string*), bool (*write)(const char*, Refusal*),
                        const char* done) {
    std::string path;
    Refusal refusal;
    if (!choose(&path)) return false;
    if (!write(path.c_str(), &refusal)) {
        ShowRefusal(refusal, Audience::Editor);
        return false;
    }
    ShowMessage(done + WithoutFolder(path, path));
    return true;
}

bool SaveTreeThroughChooser() {
    if (!SaveThroughChooser(ChooseTreeFileToSave, SaveTreeFile, "Saved the tree as ")) return false;
    MarkTreeSaved();
    return true;
}

bool SettleUnsavedWork() {
    if (!HasUnsavedWork()) return true;
    QuestionOptions question;
    question.title = "Save the tree first?";
    question.question = "Save the tree first?";
    question.detail = "The tree has changed since it was loaded or saved. "
                      "Without saving, the changes are lost.";
    for (const auto& answer : kAnswers)
        question.buttons.push_back(answer.label);
    question.defaultButton = 0;
    question.cancelButton = kAnswerCount - 1;
    const int answer = AskQuestion(question);
    if (answer == kNoAnswer) {
        // Nobody can be asked: the work must not go, so the recovery file keeps it.
        TellWhereWorkIsKept();
        return true;
    }
    return kAnswers[answer >= 0 && answer < kAnswerCount ? answer : kAnswerCount - 1].settle();
}

void OpenChosenFile(const std::string& path) {
    if (IsTreeFileName(path.c_str())) {
        OpenAnyFile(path.c_str());
        return;
    }
    if (!SettleUnsavedWork()) return;
    // Don't save was about the tree the file would replace; a refused file replaces none.
    if (!OpenDataFile(path.c_str())) UpdateRecoveryFile(false);
}

void OnWindowClosing() {
    TellWhereWorkIsKept();
}
