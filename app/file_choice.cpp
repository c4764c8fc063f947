// Choosing the data file (see file_choice.h): the platform's modal chooser. Called by the
// frame routine; changes no GL state.
#include "app/file_choice.h"

#include "platform/platform.h"

bool ChooseDataFile(bool open, std::string* path) {
    FileDialogOptions options;
    options.save = !open;
    options.title = "Pick a Data File";
    options.filterName = "CSV files";
    options.filterPattern = "*.csv";
    options.proposedName = "Data.csv";
    options.defaultExtension = "csv";
    std::string chosen;
    if (!ShowFileDialog(options, chosen)) return false;
    *path = chosen;
    return true;
}
