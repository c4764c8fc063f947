// Keeps the GL driver of the window's context loaded until the process ends. Called by
// main once the window exists. Changes no GL state.
//
// Mesa unloads its driver when GLUT closes the display at exit, before LeakSanitizer
// looks at the heap; the driver's caches then show up as leaks from "<unknown module>",
// which no suppression by library name can match, and the sanitizer build ends with
// status 1 on every normal close. A pinned driver keeps its name on those frames.
#include "platform/platform.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Mesa's drivers are "NAME_dri.so" (one per hardware family, swrast for software).
bool IsGlDriver(const char* path) {
    static const char kSuffix[] = "_dri.so";
    const std::size_t length = std::strlen(path);
    const std::size_t suffix = sizeof kSuffix - 1;
    return length > suffix && std::strcmp(path + length - suffix, kSuffix) == 0;
}

int CollectDriver(dl_phdr_info* info, std::size_t, void* found) {
    if (info->dlpi_name != nullptr && IsGlDriver(info->dlpi_name)) {
        static_cast<std::vector<std::string>*>(found)->push_back(info->dlpi_name);
    }
    return 0; // visit every loaded object
}

} // namespace

int KeepGlDriverLoaded() {
    std::vector<std::string> drivers;
    dl_iterate_phdr(CollectDriver, &drivers);
    int pinned = 0;
    for (const std::string& path : drivers) {
        // RTLD_NOLOAD only takes another reference to the loaded copy; RTLD_NODELETE
        // keeps that copy mapped through every later dlclose. The reference is never
        // given back on purpose.
        if (dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr) ++pinned;
    }
    return pinned;
}
