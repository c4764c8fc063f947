// Loading the program's modules with dlopen, from the folders files.cpp names. Called by
// the platform layer (dialogs), the app (picture export) and the NEXUS loader. Changes no
// GL state. The web build has no dlopen and links its "modules" in (web.cpp).
#include "platform/platform.h"

#include <dlfcn.h>

#include <string>

void* OpenModule(const char* fileName, std::string* whyNot) {
    // Full paths rather than a run path: a sanitizer's dlopen interceptor loses the
    // caller's run path, and a bare name would search the system's folders.
    const std::string path = FindFileIn(ModuleFolders(), fileName);
    if (path.empty()) {
        *whyNot = std::string(fileName) + " is in none of the program's module folders";
        return nullptr;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        *whyNot = why != nullptr ? why : path + " does not load";
    }
    return handle;
}

void* ModuleEntryPoint(const char* fileName, const char* symbol, std::string* whyNot) {
    void* handle = OpenModule(fileName, whyNot);
    if (handle == nullptr) return nullptr;
    void* entry = dlsym(handle, symbol);
    if (entry == nullptr) *whyNot = std::string(fileName) + " has no " + symbol;
    return entry;
}
