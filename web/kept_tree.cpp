// The tree kept in the browser (see kept_tree.h). Called by the page's program after its
// frames and loads; the kept tree comes back through the app's load path for tree files.
// Changes no GL state.
#include "web/kept_tree.h"

#include "app/loading.h"
#include "clade/clade.h"
#include "clade/newick.h"
#include "platform/web.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr char kKeptFolder[] = "/kept";

std::string gKey;          // the loaded data file's storage key; empty before a load
std::string gKeptNewick;   // what the storage holds under gKey
std::string gLoadedNewick; // the tree as the data file gave it
std::string gOffered;      // the tree the page offers back; empty when none

std::string BaseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// "tree:NAME:HASH": the same name with other contents is another data file. FNV-1a (64
// bits) tells contents apart well enough for a teacher's handful of files.
std::string KeyOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::uint64_t hash = 1469598103934665603u;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return "tree:" + BaseName(path) + ":" + hex;
}

} // namespace

void NoteDataFileLoaded() {
    gKey = KeyOf(LoadedDataFile());
    gLoadedNewick = WriteNewick(gRoot, true);
    gKeptNewick = KeptText(gKey);
    gOffered.clear();
    WithdrawKeptTreeOffer();
    if (!gKeptNewick.empty() && gKeptNewick != gLoadedNewick) {
        gOffered = gKeptNewick;
        OfferKeptTree(BaseName(LoadedDataFile()));
    }
}

void KeepTreeIfChanged() {
    if (gKey.empty()) return;
    const std::string now = WriteNewick(gRoot, true);
    if (now == gKeptNewick || (!gOffered.empty() && now == gLoadedNewick)) return;
    KeepText(gKey, now);
    gKeptNewick = now;
}

bool BringBackKeptTree() {
    if (gOffered.empty()) return false;
    const std::string tree = gOffered;
    ForgetKeptTreeOffer();
    mkdir(kKeptFolder, 0777); // already there after the first time
    std::string name = BaseName(LoadedDataFile());
    name = name.substr(0, name.rfind('.')) + ".nwk";
    const std::string path = std::string(kKeptFolder) + "/" + name;
    std::ofstream(path, std::ios::binary) << tree;
    return OpenTreeFile(path.c_str());
}

void ForgetKeptTreeOffer() {
    gOffered.clear();
    WithdrawKeptTreeOffer();
}
