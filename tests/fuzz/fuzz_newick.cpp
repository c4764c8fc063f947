// libFuzzer target for the Newick reader, over a fixed matrix of seven taxa (names with a
// blank, a quote, an underscore, a line break, a leading byte-order mark). Besides memory
// errors it checks what the reader promises: the output untouched on a refusal with
// "t.nwk:LINE:COLUMN: " before the problem, and on success a tree that builds into a sound
// tree over exactly those taxa and writes back to text that reads to the same tree.
#include "clade/newick.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void SetUpMatrix() {
    const char* names[] = {"A", "B c", "D'e", "F_g", "H", "I\r\nj", "\xEF\xBB\xBFk"};
    gTaxonCount = 7;
    gCharacterCount = 2;
    for (int t = 0; t < 7; ++t) {
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
    tree.nodes.resize(1, NewickTree::Node{7, 7, 7, {}});
    Refusal why;
    if (!ReadNewick(text, "t.nwk", &tree, &why)) {
        if (tree.nodes.size() != 1 || tree.nodes[0].left != 7 ||
            DescribeRefusal(why).rfind("t.nwk:", 0) != 0 || why.line < 1 || why.column < 1)
            std::abort();
        return 0;
    }
    ApplyNewickTree(tree);
    UpdateTree(gRoot, DeleteNode);
    std::string fault;
    if (!CheckTree(gRoot, &fault)) std::abort();
    // What the program writes reads back to the same tree, node for node.
    const std::string written = WriteNewick(gRoot);
    NewickTree again;
    if (!ReadNewick(written, "again.nwk", &again, &why) || again.nodes.size() != tree.nodes.size())
        std::abort();
    for (std::size_t i = 0; i < again.nodes.size(); ++i)
        if (again.nodes[i].left != tree.nodes[i].left ||
            again.nodes[i].taxon != tree.nodes[i].taxon)
            std::abort();
    return 0;
}
