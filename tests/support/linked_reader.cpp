// The web build's NEXUS tests: a page has no modules, so the test program links the reader
// in and hands its entry points to the platform layer before any test runs, as the page's
// program does (web/web_main.cpp).
#include "nexus/nexus_module.h"
#include "platform/web.h"

#include <iterator>

namespace {

const LinkedEntryPoint kReader[] = {
    {kNexusModuleName, "QuillmoorReadNexus", reinterpret_cast<void*>(&QuillmoorReadNexus)},
    {kNexusModuleName, "QuillmoorReleaseNexus", reinterpret_cast<void*>(&QuillmoorReleaseNexus)},
};
const bool kLinked = (SetLinkedEntryPoints(kReader, static_cast<int>(std::size(kReader))), true);

} // namespace
