// The NEXUS reader module: parses the text of a NEXUS file with the NEXUS Class Library
// and hands the loader the first matrix's names and cells (nexus_module.h). Built as
// libquillmoor_nexus.so and loaded by nexus.cpp at the first NEXUS file, so that only
// NEXUS files pay for NCL; the fuzzer links it directly. No GL, no X, no globals.
#include "nexus/nexus_module.h"

#include <ncl/ncl.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <sstream>

namespace {

// NCL's public reader, quiet, noting the line on which the first TAXA and the first
// CHARACTERS or DATA block begin: problems found after the parse are reported there.
class LineNotingReader : public PublicNexusReader {
  public:
    // Only the blocks the matrix and its first tree come from are read; the others are
    // skipped unparsed, and trees are only stored (the first is built when asked for), so
    // a file's size costs little beyond reading it.
    LineNotingReader()
        : PublicNexusReader(NEXUS_TAXA_BLOCK_BIT | NEXUS_CHARACTERS_BLOCK_BIT |
                                NEXUS_TREES_BLOCK_BIT,
                            NxsReader::IGNORE_WARNINGS) {
        SetWarningOutputLevel(NxsReader::SUPPRESS_WARNINGS_LEVEL);
        GetTreesBlockTemplate()->SetProcessAllTreesDuringParse(false);
    }
    // The blocks a parse makes belong to the caller, also when the parse failed.
    ~LineNotingReader() override { DeleteBlocksFromFactories(); }

    void Execute(NxsToken& token, bool notifyStartStop = true) override {
        token_ = &token;
        PublicNexusReader::Execute(token, notifyStartStop);
        token_ = nullptr;
    }

    bool EnteringBlock(NxsString name) override {
        const int line = token_ != nullptr ? static_cast<int>(token_->GetFileLine()) : 1;
        if (name == "TAXA" && taxaLine == 0) taxaLine = line;
        if ((name == "CHARACTERS" || name == "DATA") && charactersLine == 0) charactersLine = line;
        return PublicNexusReader::EnteringBlock(name);
    }

    int taxaLine = 0;
    int charactersLine = 0;

  private:
    NxsToken* token_ = nullptr;
};

// NCL's messages may span lines; a refusal is one line, without a closing full stop.
std::string OneLine(const std::string& message) {
    std::string out;
    for (char c : message) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    return out.empty() ? "NEXUS error" : out;
}

bool Refuse(NexusRefusal* refusal, long line, const std::string& problem) {
    refusal->line = line > 0 ? static_cast<int>(line) : 1;
    refusal->problem = problem;
    return false;
}

// What the tokens of a file say before NCL reads it.
struct Prescan {
    std::string text;     // the file, with the STATELABELS commas added
    NexusRefusal refusal; // set (problem not empty) for dimensions past the tables
};

// One pass of NCL's own tokenizer over the file, so that comments and quoted names are
// skipped as NCL skips them, for two things NCL does badly:
// - DIMENSIONS beyond the tables' 19 taxa or characters are refused here, at their line:
//   NCL would first reserve room for them, and a file may claim billions.
// - NCL 2.1 reads a STATELABELS command past its closing semicolon unless the last
//   character's labels end with a comma, as some programs write it: that comma is added
//   where it is missing. A comma adds no line, so refusals still point at the file.
// Whatever else is wrong is left to the parse proper, which reports it.
Prescan PrescanFile(const std::string& text, int most) {
    Prescan out{text, {}};
    std::vector<std::size_t> commaAt;
    try {
        std::istringstream in(text);
        NxsToken token(in);
        for (token.GetNextToken(); !token.AtEOF(); token.GetNextToken()) {
            if (token.Equals("DIMENSIONS")) {
                for (token.GetNextToken(); !token.AtEOF() && !token.Equals(";");
                     token.GetNextToken()) {
                    const bool taxa = token.Equals("NTAX");
                    if (!taxa && !token.Equals("NCHAR")) continue;
                    token.GetNextToken();
                    if (!token.Equals("=")) continue;
                    token.GetNextToken();
                    // NCL takes the digits at the start of the token as the count. None:
                    // NCL says what is wrong. More digits than any count up to "most" has:
                    // too many, whatever the value.
                    std::string count = token.GetToken();
                    count.resize(std::min(count.size(), count.find_first_not_of("0123456789")));
                    if (count.empty() || (count.size() <= 9 && std::atol(count.c_str()) <= most))
                        continue;
                    out.refusal.line = static_cast<int>(token.GetFileLine());
                    out.refusal.problem = (count.size() <= 9 ? count : count.substr(0, 9) + "...") +
                                          (taxa ? " taxa" : " characters") + " (at most " +
                                          std::to_string(most) + ")";
                    return out;
                }
            } else if (token.Equals("STATELABELS")) {
                bool labels = false;
                bool lastIsComma = false;
                for (token.GetNextToken(); !token.AtEOF() && !token.Equals(";");
                     token.GetNextToken()) {
                    labels = true;
                    lastIsComma = token.Equals(",");
                }
                // The position is just past the semicolon.
                const auto end = static_cast<std::size_t>(token.GetFilePosition());
                if (labels && !lastIsComma && end > 0 && end <= text.size() && text[end - 1] == ';')
                    commaAt.push_back(end - 1);
            }
        }
    } catch (const NxsException&) {
        // The parse proper reports whatever is wrong.
    }
    for (auto at = commaAt.rbegin(); at != commaAt.rend(); ++at)
        out.text.insert(*at, ",");
    return out;
}

// A taxon name as Newick writes it: bare when it holds nothing Newick reads as
// punctuation (an underscore would read as a blank), otherwise in single quotes with
// each quote doubled.
std::string NewickName(const std::string& name) {
    if (!name.empty() && name.find_first_of(" \t\r\n()[]':;,_") == std::string::npos) return name;
    std::string out = "'";
    for (char c : name)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// Appends the subtree at node as Newick, without branch lengths; false when it nests
// deeper than depthLeft levels. Visits the children in their order, each before its next
// sibling (pre-order).
bool AppendNewick(const NxsSimpleNode* node, const NexusMatrix& matrix, int depthLeft,
                  std::string* out) {
    if (depthLeft == 0) return false;
    const std::vector<NxsSimpleNode*> children = node->GetChildren();
    if (children.empty()) {
        const unsigned taxon = node->GetTaxonIndex();
        *out += taxon < matrix.taxa.size() ? NewickName(matrix.taxa[taxon])
                                           : NewickName(node->GetName());
        return true;
    }
    *out += '(';
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (i > 0) *out += ',';
        if (!AppendNewick(children[i], matrix, depthLeft - 1, out)) return false;
    }
    *out += ')';
    return true;
}

// The first tree of the first TREES block over taxa, or "" when there is none or it
// cannot be a tree over at most kMostNexusEntries taxa: NCL cannot read it, or it nests
// deeper than such a tree can (which would also overflow the stack here). A tree is an
// extra: a bad one leaves the matrix to load without it.
std::string FirstTree(const PublicNexusReader& reader, const NxsTaxaBlock* taxa,
                      const NexusMatrix& matrix) {
    if (reader.GetNumTreesBlocks(taxa) == 0) return "";
    const NxsTreesBlock* trees = reader.GetTreesBlock(taxa, 0);
    if (trees->GetNumTrees() == 0) return "";
    try {
        NxsFullTreeDescription description = trees->GetFullTreeDescription(0);
        trees->ProcessTree(description);
        const NxsSimpleTree tree(description, 0, 0.0);
        std::string out;
        if (tree.GetRootConst() == nullptr ||
            !AppendNewick(tree.GetRootConst(), matrix, 2 * kMostNexusEntries, &out))
            return "";
        return out + ";";
    } catch (const NxsException&) {
        return "";
    }
}

// The first matrix of the parse into *matrix; false with *refusal for what NCL accepts
// but no state table can hold.
bool TakeMatrix(const LineNotingReader& reader, std::size_t lineCount, NexusMatrix* matrix,
                NexusRefusal* refusal) {
    matrix->charactersLine = reader.charactersLine > 0 ? reader.charactersLine : 1;
    matrix->taxaLine = reader.taxaLine > 0 ? reader.taxaLine : matrix->charactersLine;
    const NxsTaxaBlock* taxa = nullptr;
    NxsCharactersBlock* characters = nullptr;
    for (unsigned i = 0; i < reader.GetNumTaxaBlocks() && characters == nullptr; ++i) {
        taxa = reader.GetTaxaBlock(i);
        if (reader.GetNumCharactersBlocks(taxa) > 0)
            characters = reader.GetCharactersBlock(taxa, 0);
    }
    if (characters == nullptr)
        return Refuse(refusal, static_cast<long>(lineCount),
                      "file ends without a CHARACTERS or DATA block");
    const long line = matrix->charactersLine;
    if (characters->GetDataType() == NxsCharactersBlock::continuous)
        return Refuse(refusal, line, "continuous characters: only discrete states can be read");

    const unsigned taxonCount = taxa->GetNTax();
    const unsigned characterCount = characters->GetNCharTotal();
    for (unsigned t = 0; t < taxonCount; ++t)
        matrix->taxa.push_back(taxa->GetTaxonLabel(t));
    // Labels NCL does not have read back as a single space.
    auto labelled = [](const std::string& label) {
        return label.find_first_not_of(' ') != label.npos;
    };
    for (unsigned c = 0; c < characterCount; ++c) {
        const std::string label = characters->GetCharLabel(c);
        matrix->characters.push_back(labelled(label) ? label
                                                     : "Character " + std::to_string(c + 1));
        std::vector<std::string> column;
        for (unsigned t = 0; t < taxonCount; ++t) {
            if (characters->IsMissingState(t, c)) {
                column.push_back("?");
            } else if (characters->IsGapState(t, c)) {
                column.push_back("-");
            } else if (characters->GetNumStates(t, c) != 1) {
                return Refuse(refusal, line,
                              "taxon " + matrix->taxa[t] + " has more than one state for " +
                                  matrix->characters[c] +
                                  " (polymorphic or uncertain cells cannot be drawn)");
            } else {
                const std::string state =
                    characters->GetStateLabel(c, characters->GetInternalRepresentation(t, c));
                column.push_back(labelled(state) ? state
                                                 : std::string(1, characters->GetState(t, c)));
            }
        }
        matrix->cells.push_back(std::move(column));
    }
    matrix->firstTree = FirstTree(reader, taxa, *matrix);
    return true;
}

} // namespace

// NCL ends the whole process (exit) when one of its internal checks fails, which odd
// input can make happen (a non-ASCII MISSING symbol, say). Its calls to this function go
// through the symbol table, where the module comes first, so a failed check becomes an
// error of the file being read instead.
void ncl_assertion_failed(char const* expression, char const*, char const*, long) {
    throw NxsException(std::string("the file trips a check of the NEXUS library (") + expression +
                       ")");
}

extern "C" bool QuillmoorReadNexus(const std::string& text, NexusMatrix* matrix,
                                   NexusRefusal* refusal) {
    *matrix = NexusMatrix();
    LineNotingReader reader;
    try {
        const Prescan prescan = PrescanFile(text, kMostNexusEntries);
        if (!prescan.refusal.problem.empty()) {
            *refusal = prescan.refusal;
            return false;
        }
        std::istringstream in(prescan.text);
        reader.ReadFilestream(in);
        std::size_t lineCount = 1;
        for (char c : text)
            lineCount += c == '\n';
        if (!text.empty() && text.back() == '\n') --lineCount;
        if (TakeMatrix(reader, lineCount, matrix, refusal)) return true;
        // Names in the problem may hold line ends of their own.
        refusal->problem = OneLine(refusal->problem);
        return false;
    } catch (const NxsException& e) {
        return Refuse(refusal, e.line, OneLine(e.msg));
    } catch (const std::exception& e) {
        return Refuse(refusal, 1, OneLine(e.what()));
    }
}
