// Newick text for trees (see newick.h): the writer, the reader that checks a tree against
// the loaded taxa before anything is built, and the builder that makes it the live tree.
// Called by the app and the fuzz target. No GL state; prints nothing.
#include "clade/newick.h"

#include "clade/moves.h"
#include "clade/rooting.h"

#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Characters that end an unquoted name, besides white space.
constexpr char kNewickDelimiters[] = "()[]':;,";

// Whether a name must be quoted to read back as itself: when it is empty, holds a
// delimiter, an underscore (which reads as a blank), a blank or any control character
// (the reader takes CR and LF for white space, and others would be lost to the eye), or
// starts with the UTF-8 byte-order mark (skipped at the start of a file).
bool NeedsQuotes(const char* name) {
    if (name[0] == '\0' || std::strncmp(name, "\xEF\xBB\xBF", 3) == 0) return true;
    for (const char* p = name; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c <= ' ' || c == 0x7F || c == '_' || std::strchr(kNewickDelimiters, c) != nullptr)
            return true;
    }
    return false;
}

void AppendName(std::string* out, const char* name) {
    if (!NeedsQuotes(name)) {
        *out += name;
        return;
    }
    *out += '\'';
    for (const char* p = name; *p != '\0'; ++p) {
        if (*p == '\'') *out += '\'';
        *out += *p;
    }
    *out += '\'';
}

// The comment that keeps an internal node's states: "&states={0,1,1}".
constexpr char kStatesNote[] = "&states={";
// What the root's comment adds: the fingerprint of the matrix the states belong to, and
// the taxa of the outgroup.
constexpr char kMatrixNote[] = ",matrix=";
constexpr char kOutgroupNote[] = ",outgroup={";

std::string MatrixFingerprint() {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08" PRIx32, MatrixSeed());
    return hex;
}

void AppendStates(std::string* out, const CladeNode* node) {
    *out += '[';
    *out += kStatesNote;
    for (int c = 0; c < gCharacterCount; ++c) {
        if (c > 0) *out += ',';
        *out += std::to_string(node->states[c]);
    }
    *out += '}';
    if (node->parent == nullptr) {
        *out += kMatrixNote + MatrixFingerprint();
        *out += kOutgroupNote;
        const char* comma = "";
        for (int t = 0; t < gTaxonCount; ++t) {
            if ((gOutgroup & TaxonBit(t)) == 0) continue;
            *out += comma + std::to_string(t);
            comma = ",";
        }
        *out += '}';
    }
    *out += ']';
}

// Pre-order, left before right.
void AppendSubtree(std::string* out, const CladeNode* node, bool withStates) {
    if (node->isTaxon || node->left == nullptr || node->right == nullptr) {
        AppendName(out, node->source != nullptr ? node->source->name : node->name);
        return;
    }
    *out += '(';
    AppendSubtree(out, node->left, withStates);
    *out += ',';
    AppendSubtree(out, node->right, withStates);
    *out += ')';
    if (withStates) AppendStates(out, node);
}

// The numbers of a list "{1,2,3}" whose first number starts at *at, which ends past
// the closing brace; false when the list does not parse.
bool ParseNumbers(const std::string& note, std::size_t* at, std::vector<int32_t>* values) {
    while (*at < note.size() && note[*at] != '}') {
        std::size_t used = 0;
        try {
            values->push_back(static_cast<int32_t>(std::stol(note.substr(*at, 12), &used)));
        } catch (const std::exception&) {
            return false;
        }
        *at += used;
        if (*at < note.size() && note[*at] == ',') ++*at;
    }
    if (*at >= note.size()) return false;
    ++*at;
    return true;
}

// What a note says: the states of a "&states={...}" note; the root's goes on with the
// matrix's fingerprint and the outgroup's taxa (left empty when absent). False for any
// other note, or one that does not parse.
struct Note {
    std::vector<int32_t> states;
    std::string matrix;
    std::vector<int32_t> outgroup;
};
bool ParseNote(const std::string& text, Note* note) {
    if (text.compare(0, sizeof kStatesNote - 1, kStatesNote) != 0) return false;
    std::size_t at = sizeof kStatesNote - 1;
    if (!ParseNumbers(text, &at, &note->states)) return false;
    if (text.compare(at, sizeof kMatrixNote - 1, kMatrixNote) != 0) return true;
    at += sizeof kMatrixNote - 1;
    const std::size_t end = std::min(text.find(',', at), text.size());
    note->matrix = text.substr(at, end - at);
    at = end;
    if (text.compare(at, sizeof kOutgroupNote - 1, kOutgroupNote) != 0) return true;
    at += sizeof kOutgroupNote - 1;
    return ParseNumbers(text, &at, &note->outgroup);
}

// Whether the saved states fit the loaded matrix: one per character, each a state of it
// (or the empty state).
bool StatesFit(const std::vector<int32_t>& states) {
    if (static_cast<int>(states.size()) != gCharacterCount) return false;
    for (int c = 0; c < gCharacterCount; ++c)
        if (states[c] != kNoState && (states[c] < 0 || states[c] >= gStateCounts[c])) return false;
    return true;
}

// A node as written in the file: any number of children, or a label for a leaf.
struct ParsedNode {
    std::vector<int> children;
    std::string label;
    std::string note; // the text of a [&...] comment right after the node, without brackets
    int line = 1;
    int column = 1;
};

// Nesting deeper than this is refused: no tree of at most 19 taxa needs it, and the
// reader's recursion must stay bounded whatever the file holds.
constexpr int kMaxDepth = 200;

class Parser {
  public:
    Parser(const std::string& text, const std::string& fileName)
        : text_(text), fileName_(fileName) {}

    // Parses the one tree of the text into nodes_ (index 0 the root); false on an error.
    bool ParseTree() {
        if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) Advance(3);
        SkipSpace();
        if (!Ok()) return false;
        if (AtEnd()) return Fail("no tree in the file");
        if (ParseSubtree(0) < 0) return false;
        SkipSpace();
        if (!Ok()) return false;
        if (AtEnd() || Peek() != ';') return Fail("the tree does not end with ';'");
        Advance(1);
        SkipSpace();
        if (!Ok()) return false;
        if (!AtEnd()) return Fail("more than one tree, or text after the tree's ';'");
        return true;
    }

    bool Fail(const std::string& problem) { return FailAt(line_, column_, problem); }
    bool FailAt(int line, int column, const std::string& problem) {
        if (error_.text.empty()) error_ = Refusal{fileName_, line, column, problem};
        return false;
    }
    bool Ok() const { return error_.text.empty(); }
    const Refusal& Error() const { return error_; }
    std::vector<ParsedNode>& Nodes() { return nodes_; }
    void SetRootNote(const Note& note) { rootNote_ = note; }
    const Note& RootNote() const { return rootNote_; }
    int Line() const { return line_; }
    int Column() const { return column_; }

  private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return text_[pos_]; }

    void Advance(std::size_t count) {
        for (; count > 0 && !AtEnd(); --count, ++pos_) {
            if (text_[pos_] == '\n') {
                ++line_;
                column_ = 1;
            } else {
                ++column_;
            }
        }
    }

    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    // White space and [comments], which may stand anywhere between the parts of a tree.
    void SkipSpace() {
        while (!AtEnd()) {
            if (IsSpace(Peek())) {
                Advance(1);
            } else if (Peek() == '[') {
                const int line = line_;
                const int column = column_;
                const std::size_t close = text_.find(']', pos_);
                if (close == std::string::npos) {
                    FailAt(line, column, "a comment '[' is never closed");
                    return;
                }
                if (pos_ + 1 < close && text_[pos_ + 1] == '&')
                    note_ = text_.substr(pos_ + 1, close - pos_ - 1);
                Advance(close + 1 - pos_);
            } else {
                return;
            }
        }
    }

    // A quoted or unquoted label, possibly empty; an unquoted underscore reads as a blank.
    // *quoted (when given) tells a quoted label, which is a name even when empty.
    bool ParseLabel(std::string* label, bool* quoted = nullptr) {
        if (quoted != nullptr) *quoted = !AtEnd() && Peek() == '\'';
        if (!AtEnd() && Peek() == '\'') {
            const int line = line_;
            const int column = column_;
            Advance(1);
            for (;;) {
                if (AtEnd()) return FailAt(line, column, "a quoted name is never closed");
                if (Peek() == '\'') {
                    Advance(1);
                    if (AtEnd() || Peek() != '\'') return true;
                }
                *label += Peek();
                Advance(1);
            }
        }
        while (!AtEnd() && !IsSpace(Peek()) && std::strchr(kNewickDelimiters, Peek()) == nullptr) {
            *label += Peek() == '_' ? ' ' : Peek();
            Advance(1);
        }
        return true;
    }

    // ":length" after a node; the length itself is skipped unread.
    bool SkipBranchLength() {
        SkipSpace();
        if (!Ok()) return false;
        if (AtEnd() || Peek() != ':') return true;
        Advance(1);
        SkipSpace();
        if (!Ok()) return false;
        while (!AtEnd() && !IsSpace(Peek()) && std::strchr(kNewickDelimiters, Peek()) == nullptr)
            Advance(1);
        return true;
    }

    // Pre-order: a node is stored before its children. Returns its index, or -1.
    int ParseSubtree(int depth) {
        if (depth > kMaxDepth) return Fail("the tree nests too deep"), -1;
        SkipSpace();
        if (!Ok()) return -1;
        const int index = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
        nodes_[index].line = line_;
        nodes_[index].column = column_;
        if (AtEnd()) return Fail("the tree ends too early"), -1;
        if (Peek() == '(') {
            Advance(1);
            for (;;) {
                const int child = ParseSubtree(depth + 1);
                if (child < 0) return -1;
                nodes_[index].children.push_back(child);
                SkipSpace();
                if (!Ok()) return -1;
                if (AtEnd()) return Fail("a '(' is never closed"), -1;
                if (Peek() == ',') {
                    Advance(1);
                    continue;
                }
                if (Peek() == ')') {
                    Advance(1);
                    break;
                }
                return Fail(std::string("expected ',' or ')', found '") + Peek() + "'"), -1;
            }
            std::string ignored; // an internal node's label
            note_.clear();       // a note from here to the next part is this node's
            SkipSpace();
            if (!Ok() || !ParseLabel(&ignored) || !SkipBranchLength()) return -1;
            nodes_[index].note = note_;
            return index;
        } else {
            std::string label;
            bool quoted = false;
            if (!ParseLabel(&label, &quoted)) return -1;
            if (label.empty() && !quoted) {
                if (AtEnd()) return Fail("the tree ends too early"), -1;
                return Fail(std::string("expected a taxon name, found '") + Peek() + "'"), -1;
            }
            nodes_[index].label = label;
        }
        return SkipBranchLength() ? index : -1;
    }

    const std::string& text_;
    const std::string& fileName_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
    std::vector<ParsedNode> nodes_;
    std::string note_; // the last [&...] comment skipped
    Note rootNote_;    // what the root's note says
    Refusal error_;
};

// Turns the parsed nodes under `index` into binary nodes of `out`, in pre-order. Single
// children stand for themselves; `basal` allows three children (rooted at the first).
// Returns the new node's index, or -1 after a failure.
int Convert(Parser& parser, int index, bool basal, std::vector<bool>* seen, NewickTree* out) {
    ParsedNode& node = parser.Nodes()[static_cast<std::size_t>(index)];
    while (node.children.size() == 1) {
        const int only = node.children[0];
        return Convert(parser, only, basal, seen, out);
    }
    const int at = static_cast<int>(out->nodes.size());
    out->nodes.emplace_back();
    if (node.children.empty()) {
        int taxon = -1;
        for (int t = 0; t < gTaxonCount && taxon < 0; ++t)
            if (node.label == gTaxa[t].name) taxon = t;
        if (taxon < 0)
            return parser.FailAt(node.line, node.column,
                                 "unknown taxon '" + CutName(node.label) + "'"),
                   -1;
        if ((*seen)[static_cast<std::size_t>(taxon)])
            return parser.FailAt(node.line, node.column,
                                 "taxon '" + CutName(node.label) + "' appears twice"),
                   -1;
        (*seen)[static_cast<std::size_t>(taxon)] = true;
        out->nodes[static_cast<std::size_t>(at)].taxon = taxon;
        return at;
    }
    const std::size_t children = node.children.size();
    if (children > 3 || (children == 3 && !basal))
        return parser.FailAt(node.line, node.column,
                             "a node with " + std::to_string(children) +
                                 " children (a tree must be binary below its root)"),
               -1;
    const int left = Convert(parser, node.children[0], false, seen, out);
    if (left < 0) return -1;
    int right;
    if (children == 3) {
        // (A,B,C) as (A,(B,C)): the first part becomes the root's first child.
        right = static_cast<int>(out->nodes.size());
        out->nodes.emplace_back();
        const int b = Convert(parser, node.children[1], false, seen, out);
        if (b < 0) return -1;
        const int c = Convert(parser, node.children[2], false, seen, out);
        if (c < 0) return -1;
        out->nodes[static_cast<std::size_t>(right)].left = b;
        out->nodes[static_cast<std::size_t>(right)].right = c;
    } else {
        right = Convert(parser, node.children[1], false, seen, out);
        if (right < 0) return -1;
    }
    out->nodes[static_cast<std::size_t>(at)].left = left;
    out->nodes[static_cast<std::size_t>(at)].right = right;
    Note note;
    if (ParseNote(node.note, &note)) {
        out->nodes[static_cast<std::size_t>(at)].states = note.states;
        if (at == 0) parser.SetRootNote(note);
    }
    return at;
}

// Whether every internal node of the read tree has its saved states, for this matrix;
// the states are dropped when not. The outgroup is kept with them.
void KeepStatesIfWhole(const Note& root, NewickTree* tree) {
    bool whole = root.matrix == MatrixFingerprint();
    for (const NewickTree::Node& node : tree->nodes)
        whole = whole && (node.taxon >= 0 || StatesFit(node.states));
    tree->keepsStates = whole;
    tree->outgroup = 0;
    for (int32_t t : root.outgroup)
        if (whole && t >= 0 && t < gTaxonCount) tree->outgroup |= TaxonBit(t);
    if (!whole)
        for (NewickTree::Node& node : tree->nodes)
            node.states.clear();
}

// Pre-order from node i of the read tree, linking each new node under parent.
CladeNode* Build(const NewickTree& tree, int i, CladeNode* parent) {
    const NewickTree::Node& source = tree.nodes[static_cast<std::size_t>(i)];
    CladeNode* node = new CladeNode();
    node->parent = parent;
    if (source.taxon >= 0) {
        MakeTaxonLeaf(node, source.taxon);
        return node;
    }
    node->left = Build(tree, source.left, node);
    node->right = Build(tree, source.right, node);
    for (std::size_t c = 0; c < source.states.size(); ++c)
        node->states[c] = source.states[c];
    return node;
}

// Post-order (children first, left before right): the first states of the internal
// nodes, each taking what its children already hold.
void FirstStates(CladeNode* node) {
    if (node->isTaxon) return;
    FirstStates(node->left);
    FirstStates(node->right);
    node->ComputeStates();
}

} // namespace

bool NewickReadsBack(Refusal* refusal) {
    const auto refuse = [refusal](const std::string& problem) {
        if (refusal != nullptr) refusal->text = problem;
        return false;
    };
    if (gTaxonCount <= 0) return refuse("no taxa are loaded, so there is no tree to write");
    for (int t = 1; t < gTaxonCount; ++t)
        for (int earlier = 0; earlier < t; ++earlier)
            if (std::strcmp(gTaxa[earlier].name, gTaxa[t].name) == 0)
                return refuse("taxon '" + CutName(gTaxa[t].name) +
                              "' appears twice in the data file: a tree written with it "
                              "could not be read back");
    return true;
}

std::string WriteNewick(const CladeNode* root, bool withStates) {
    std::string out;
    if (root != nullptr) AppendSubtree(&out, root, withStates);
    out += ";\n";
    return out;
}

bool ReadNewick(const std::string& text, const std::string& fileName, NewickTree* tree,
                Refusal* refusal) {
    Parser parser(text, fileName);
    NewickTree read;
    if (gTaxonCount <= 0) {
        parser.FailAt(1, 1, "no data file is loaded to apply the tree to");
    } else if (parser.ParseTree()) {
        std::vector<bool> seen(static_cast<std::size_t>(gTaxonCount), false);
        if (Convert(parser, 0, true, &seen, &read) >= 0) {
            for (int t = 0; t < gTaxonCount; ++t) {
                if (!seen[static_cast<std::size_t>(t)]) {
                    parser.FailAt(parser.Line(), parser.Column(),
                                  "taxon '" + CutName(gTaxa[t].name) + "' is missing");
                    break;
                }
            }
            KeepStatesIfWhole(parser.RootNote(), &read);
        }
    }
    if (!parser.Ok()) {
        if (refusal != nullptr) *refusal = parser.Error();
        return false;
    }
    *tree = std::move(read);
    return true;
}

void ApplyNewickTree(const NewickTree& tree) {
    assert(!tree.nodes.empty());
    CladeNode* root = Build(tree, 0, nullptr);
    if (!tree.keepsStates) FirstStates(root);
    DeleteTree(ReplaceTree(root));
}
