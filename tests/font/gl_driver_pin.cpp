// Linked into GL test programs: keeps the software GL driver loaded to the end of the
// process. Mesa unloads it before LeakSanitizer looks at the heap, which turns the
// driver's caches into leaks from "<unknown module>" that no suppression can name.
#include <dlfcn.h>

#include <initializer_list>

namespace {

const bool gDriverPinned = [] {
    for (const char* path :
         {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
          "/usr/lib/aarch64-linux-gnu/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
        if (dlopen(path, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE) != nullptr) {
            return true;
        }
    }
    return false;
}();

} // namespace
