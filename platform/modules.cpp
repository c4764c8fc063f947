// The one module loader: the program's modules opened with dlopen from the folders
// files.cpp names, and their entry points looked up once. Called by the platform layer
// (dialogs), the app (picture export) and the NEXUS loader. Changes no GL state. The web
// build has no dlopen and hands out the entry points it links in instead (web.cpp).
#include "platform/platform.h"

#include <dlfcn.h>

#include <map>
#include <string>

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
