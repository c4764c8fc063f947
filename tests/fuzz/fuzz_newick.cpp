// libFuzzer target for the Newick reader, over a fixed matrix of five taxa (one name with
// a blank, one with a quote). Besides memory errors it checks what the reader promises:
// the output untouched on a refusal with "t.nwk:LINE:COLUMN: " before the problem, and on
// success a tree that builds into a sound tree over exactly those taxa and writes back to
// text that reads to the same tree.
#include "clade/newick.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void SetUpMatrix() {
    const char* names[] = {"A", "B c", "D'e", "F_g", "H"};
    gTaxonCount = 5;
    gCharacterCount = 2;
    for (int t = 0; t < 5; ++t) {
        std::snprintf(gTaxa[t].name, sizeof gTaxa[t].name, "%s", names[t]);
        gTaxa[t].states[0] = t % 2;
        gTaxa[t].states[1] = t % 3;
    }
    gStateCounts[0] = 2;
    gStateCounts[1] = 3;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (SetUpMatrix(), true);
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);
    NewickTree tree;
    tree.nodes.resize(1, {7, 7, 7});
    std::string why;
    if (!ReadNewick(text, "t.nwk", &tree, &why)) {
        if (tree.nodes.size() != 1 || tree.nodes[0].left != 7 || why.rfind("t.nwk:", 0) != 0)
            std::abort();
        return 0;
    }
    ApplyNewickTree(tree);
    UpdateTree(gRoot, DeleteNode);
    std::string fault;
    if (!CheckTree(gRoot, &fault)) std::abort();
    NewickTree again;
    if (!ReadNewick(WriteNewick(gRoot), "again.nwk", &again, &why) ||
        again.nodes.size() != tree.nodes.size())
        std::abort();
    return 0;
}
