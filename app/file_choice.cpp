// Choosing the data file (see file_choice.h): the platform's modal chooser, then the
// matrix reader. Called by the frame routine; changes no GL state.
#include "app/file_choice.h"

#include "matrix/matrix.h"
#include "platform/platform.h"

#include <string>

bool ChooseDataFile(bool open, bool* loaded) {
    if (loaded != nullptr) *loaded = false;
    FileDialogOptions options;
    options.save = !open;
    options.title = "Pick a Data File";
    options.filters = {{"CSV files", "*.csv"}};
    options.proposedName = "Data.csv";
    options.defaultExtension = "csv";
    std::string path;
    if (!ShowFileDialog(options, path)) return false;
    if (open) {
        const bool replaced = LoadCharacterMatrix(path.c_str());
        if (loaded != nullptr) *loaded = replaced;
    }
    return true;
}
