// The program's own files, with no X and no GL: the folders its modules and data are
// found in (relative to the program's place, so an installed tree works under any prefix),
// the one module loader, and the user's folders for its settings and recovery files. Called by the
// platform layer, the font, the app and the NEXUS reader. Changes no GL state.
#include "platform/platform.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <map>
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

namespace {

// A module or an entry point as first looked up: found, or why not.
struct Lookup {
    void* address = nullptr;
    std::string whyNot;
};

// Keyed by file name, and by file name and symbol; kept for the whole run, as dlopen
// keeps the modules.
std::map<std::string, Lookup>& Lookups() {
    static std::map<std::string, Lookup> lookups;
    return lookups;
}

Lookup OpenModule(const char* fileName) {
    Lookup module;
    // Full paths rather than a run path: a sanitizer's dlopen interceptor loses the
    // caller's run path, and a bare name would search the system's folders.
    const std::string path = FindFileIn(ModuleFolders(), fileName);
    if (path.empty()) {
        module.whyNot = std::string(fileName) + " is in none of the program's module folders";
        return module;
    }
    module.address = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module.address == nullptr) {
        const char* why = dlerror();
        module.whyNot = why != nullptr ? why : path + " does not load";
    }
    return module;
}

} // namespace

void* ModuleEntryPoint(const char* fileName, const char* symbol, std::string* whyNot) {
    std::map<std::string, Lookup>& lookups = Lookups();
    // A NUL cannot be part of either name, so the key tells the two apart.
    const std::string key = std::string(fileName) + '\0' + symbol;
    auto entry = lookups.find(key);
    if (entry == lookups.end()) {
        auto module = lookups.find(fileName);
        if (module == lookups.end()) module = lookups.emplace(fileName, OpenModule(fileName)).first;
        Lookup found = module->second;
        if (found.address != nullptr) {
            found.address = dlsym(module->second.address, symbol);
            if (found.address == nullptr)
                found.whyNot = std::string(fileName) + " has no " + symbol;
        }
        entry = lookups.emplace(key, found).first;
    }
    if (entry->second.address == nullptr) *whyNot = entry->second.whyNot;
    return entry->second.address;
}
