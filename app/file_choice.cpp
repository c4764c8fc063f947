// Choosing files (see file_choice.h): the platform's modal choosers. Called by the frame
// and the commands; changes no GL state.
#include "app/file_choice.h"

#include "app/loading.h"
#include "platform/platform.h"

#include <utility>
#include <vector>

namespace {

constexpr char kTreePatterns[] = "*.nwk *.tre *.tree *.newick";

bool Choose(const FileDialogOptions& options, std::string* path) {
    std::string chosen;
    if (!ShowFileDialog(options, chosen)) return false;
    *path = chosen;
    return true;
}

} // namespace

std::string ProposedName(const char* extension) {
    std::string name = LoadedDataFile();
    const std::string::size_type slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    if (name.empty()) name = "Data";
    return name + "." + extension;
}

bool ChooseDataFile(std::string* path) {
    FileDialogOptions options;
    options.title = "Pick a Data File";
    options.filters = {
        {"Data and tree files", "*.csv *.nex *.nexus *.nxs *.nwk *.tre *.tree *.newick"},
        {"Newick trees", kTreePatterns},
        {"CSV files", "*.csv"},
        {"NEXUS files", "*.nex *.nexus *.nxs"},
    };
    options.proposedName = "Data.csv";
    options.defaultExtension = "csv";
    return Choose(options, path);
}

namespace {

// A save chooser that proposes the data file's name with extension, appends it to a bare
// name, and asks before it replaces a file.
bool ChooseSaveFile(const char* title, std::vector<FileFilter> filters, const char* extension,
                    std::string* path) {
    const std::string proposed = ProposedName(extension);
    FileDialogOptions options;
    options.save = true;
    options.title = title;
    options.filters = std::move(filters);
    options.proposedName = proposed.c_str();
    options.defaultExtension = extension;
    return Choose(options, path);
}

} // namespace

bool ChooseTreeFileToSave(std::string* path) {
    return ChooseSaveFile("Save Tree", {{"Newick trees", kTreePatterns}}, "nwk", path);
}

bool ChoosePictureFile(std::string* path) {
    return ChooseSaveFile(
        "Export Picture",
        {{"SVG pictures", "*.svg"}, {"PNG pictures", "*.png"}, {"PDF documents", "*.pdf"}}, "svg",
        path);
}
