// The program's own files, with no X and no GL: the folders its modules and data are
// found in (relative to the program's place, so an installed tree works under any prefix)
// and the user's folders for its settings and recovery files. Called by the platform
// layer, the font, the app and the NEXUS reader. Changes no GL state. The one module
// loader is modules.cpp's (the web build links its modules in).
#include "platform/platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::vector<std::string> ModuleFolders() {
    std::vector<std::string> folders;
    const std::string program = ExecutableFolder();
    if (!program.empty()) {
        folders.push_back(program);
        folders.push_back(program + QM_MODULES_FROM_BIN "/");
    }
    folders.push_back(QM_MODULE_BUILD_DIR "/");
    return folders;
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders{std::string()};
    const std::string program = ExecutableFolder();
    if (!program.empty()) {
        folders.push_back(program);
        folders.push_back(program + QM_DATA_FROM_BIN "/");
    }
    return folders;
}

std::string UserFolder(const char* variable, const char* belowHome) {
    const char* set = std::getenv(variable);
    if (set != nullptr && set[0] == '/') return std::string(set) + "/quillmoor/";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/" + belowHome + "/quillmoor/";
    return std::string();
}

std::string FindFileIn(const std::vector<std::string>& folders, const char* name) {
    for (const std::string& folder : folders) {
        const std::string path = folder + name;
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return path;
    }
    return std::string();
}
