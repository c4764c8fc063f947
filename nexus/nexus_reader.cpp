// The NEXUS reader module: parses the text of a NEXUS file with the NEXUS Class Library
// and hands the loader the first matrix's names and cells (nexus_module.h). Built as
// libquillmoor_nexus.so and loaded by nexus.cpp at the first NEXUS file, so that only
// NEXUS files pay for NCL; the fuzzer links it directly. No GL, no X, no globals: what a
// reading holds lives in its own storage until the loader releases it.
#include "nexus/nexus_module.h"

#include <ncl/ncl.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One cell as NCL read it: its name (the editor's rule reads cells by name), its kind
// (kNexusPlainCell ...) and, for a polymorphic or uncertain cell, the names of its states.
struct Cell {
    std::string name;
    int kind = kNexusPlainCell;
    std::vector<std::string> parts;
};

// The first matrix as NCL read it, and the first tree.
struct Matrix {
    std::vector<std::string> taxa;
    std::vector<std::string> characters;
    std::vector<std::vector<Cell>> cells; // cells[c][t]: taxon t's cell
    std::string firstTree;                // Newick, or empty
    int taxaLine = 1;
    int charactersLine = 1;
};

// Why a file was refused: its line (1-based), its column (0 when not known), the problem.
struct Refused {
    int line = 1;
    int column = 0;
    std::string problem;
};

// The line and column (1-based) of byte offset at in text.
void PlaceOf(const std::string& text, std::size_t at, long* line, long* column) {
    at = std::min(at, text.size());
    *line =
        1 + static_cast<long>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    const std::size_t lineStart = at == 0 ? 0 : text.rfind('\n', at - 1);
    *column = static_cast<long>(lineStart == std::string::npos ? at + 1 : at - lineStart);
}

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

    // The token is known only while it lives, also when the parse ends in an error.
    void Execute(NxsToken& token, bool notifyStartStop = true) override {
        struct Forget {
            NxsToken** token;
            ~Forget() { *token = nullptr; }
        } forget{&token_};
        token_ = &token;
        PublicNexusReader::Execute(token, notifyStartStop);
    }

    // Notes where the token NCL stopped at starts in the text: NCL gives the place after
    // it (the next line, when the token ended one), and some errors no place at all (a
    // matrix row longer than its characters makes NCL look for a taxon named like the
    // extra states, and say so at "line -1"); those get the token's place.
    void NexusError(NxsString message, file_pos position, long line, long column) override {
        if (token_ != nullptr && parsedText != nullptr) {
            const std::string word = token_->GetToken();
            const auto end =
                static_cast<std::size_t>(std::max<file_pos>(token_->GetFilePosition(), 0));
            std::size_t at = word.empty() ? std::string::npos : parsedText->rfind(word, end);
            if (at == std::string::npos) at = end;
            PlaceOf(*parsedText, at, &tokenLine, &tokenColumn);
            if (line < 0) {
                line = tokenLine;
                column = tokenColumn;
                placeFound = true;
            }
        }
        PublicNexusReader::NexusError(message, position, line, column);
    }

    bool EnteringBlock(NxsString name) override {
        const int line = token_ != nullptr ? static_cast<int>(token_->GetFileLine()) : 1;
        if (name == "TAXA" && taxaLine == 0) taxaLine = line;
        if ((name == "CHARACTERS" || name == "DATA") && charactersLine == 0) charactersLine = line;
        return PublicNexusReader::EnteringBlock(name);
    }

    int taxaLine = 0;
    int charactersLine = 0;
    const std::string* parsedText = nullptr; // what the parse reads, for places NCL lacks
    long tokenLine = 0;                      // where the token of the last error starts
    long tokenColumn = 0;
    bool placeFound = false; // the last error had no place of NCL's, only the token's

  private:
    NxsToken* token_ = nullptr;
};

// A word of a message (a name NCL quotes, a token it echoes) cut as names are; a closing
// quote stays.
std::string CutWord(const std::string& word) {
    if (word.size() <= kMostNameBytes) return word;
    const char last = word.back();
    return last == '"' || last == '\'' ? CutName(word.substr(0, word.size() - 1)) + last
                                       : CutName(word);
}

// NCL's messages may span lines and echo whole tokens of the file; a refusal is one line
// of readable length, without a closing full stop.
std::string OneLine(const std::string& message) {
    std::string out;
    std::string word;
    for (char c : message + " ") {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
        if (c != ' ') {
            word += c;
            continue;
        }
        if (!word.empty()) out += (out.empty() ? "" : " ") + CutWord(word);
        word.clear();
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    return out.empty() ? "NEXUS error" : out;
}

bool Refuse(Refused* refusal, long line, const std::string& problem, long column = 0) {
    refusal->line = line > 0 ? static_cast<int>(line) : 1;
    refusal->column = line > 0 && column > 0 ? static_cast<int>(column) : 0;
    refusal->problem = problem;
    return false;
}

// NCL's messages for a matrix row with more states than the block has characters: it
// takes the extra states for the next taxon's name and then misses that taxon ("Expecting
// data for taxon" ends unfinished), or, after the last row, finds them where the closing
// ';' belongs. Returns true with the problem told as what it most likely is, given the
// characters the block declares (0: not known); false for any other message.
bool LongRowProblem(const std::string& message, long characters, std::string* problem) {
    static const char kUnknownTaxon[] = "Could not find taxon named ";
    static const char kNoEnd[] = "Expecting ';' to terminate the MATRIX command, but found ";
    static const char kNoEndTail[] = " instead";
    const std::string most = characters > 0 ? std::to_string(characters) : "NCHAR";
    if (message.compare(0, sizeof kUnknownTaxon - 1, kUnknownTaxon) == 0 &&
        message.find("Expecting data for taxon") != std::string::npos) {
        const std::string::size_type open = sizeof kUnknownTaxon - 1;
        const std::string::size_type close = message.find('"', open + 1);
        const std::string name =
            message.substr(open, close == std::string::npos ? close : close + 1 - open);
        *problem = "unknown taxon " + CutWord(name) + " (or a row before it has more than " + most +
                   " characters)";
        return true;
    }
    const std::size_t tail = sizeof kNoEndTail - 1;
    if (message.compare(0, sizeof kNoEnd - 1, kNoEnd) == 0 &&
        message.size() > sizeof kNoEnd + tail &&
        message.compare(message.size() - tail, tail, kNoEndTail) == 0) {
        const std::string found =
            message.substr(sizeof kNoEnd - 1, message.size() - tail - (sizeof kNoEnd - 1));
        *problem = "found \"" + CutName(found) +
                   "\" where the matrix should end (a row has more than " + most +
                   " characters, or its ';' is missing)";
        return true;
    }
    return false;
}

// What the tokens of a file say before NCL reads it.
struct Prescan {
    std::string text;    // the file, with the STATELABELS commas added
    Refused refusal;     // set (problem not empty) for dimensions past the tables
    long characters = 0; // the first NCHAR declared, when it fits the tables
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
                    if (count.empty() || (count.size() <= 9 && std::atol(count.c_str()) <= most)) {
                        if (!taxa && !count.empty() && out.characters == 0)
                            out.characters = std::atol(count.c_str());
                        continue;
                    }
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
bool AppendNewick(const NxsSimpleNode* node, const Matrix& matrix, int depthLeft,
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
                      const Matrix& matrix) {
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
bool TakeMatrix(const LineNotingReader& reader, std::size_t lineCount, Matrix* matrix,
                Refused* refusal) {
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
        // A state is named by its label, or by its symbol when it has none.
        auto stateName = [&](unsigned t, unsigned k) {
            const std::string state =
                characters->GetStateLabel(c, characters->GetInternalRepresentation(t, c, k));
            return labelled(state) ? state : std::string(1, characters->GetState(t, c, k));
        };
        std::vector<Cell> column;
        for (unsigned t = 0; t < taxonCount; ++t) {
            Cell cell;
            if (characters->IsMissingState(t, c)) {
                cell = {"?", kNexusMissingCell, {}};
            } else if (characters->IsGapState(t, c)) {
                cell = {"-", kNexusMissingCell, {}};
            } else if (characters->GetNumStates(t, c) != 1) {
                // Polymorphic (01) and uncertain {01} alike: any of its states, named
                // a/b as a CSV file writes such a cell.
                cell.kind = kNexusPolymorphicCell;
                for (unsigned k = 0; k < characters->GetNumStates(t, c); ++k) {
                    cell.parts.push_back(stateName(t, k));
                    cell.name += (k > 0 ? "/" : "") + cell.parts.back();
                }
            } else {
                cell.name = stateName(t, 0);
            }
            column.push_back(std::move(cell));
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

namespace {

// What a reading hands the loader, kept until it is released: the strings and the byte
// ranges that point into them.
struct Storage {
    Matrix matrix;
    std::string problem;
    std::vector<NexusBytes> taxa;
    std::vector<NexusBytes> characters;
    std::vector<NexusBytes> cellBytes;
    std::vector<int> cellKinds;
    std::vector<int> partStart;
    std::vector<NexusBytes> parts;
};

NexusBytes BytesOf(const std::string& text) {
    return {text.data(), text.size()};
}

// Parses text; true with *matrix, or false with *refusal.
bool Parse(const std::string& text, Matrix* matrix, Refused* refusal) {
    LineNotingReader reader;
    try {
        const Prescan prescan = PrescanFile(text, kMostNexusEntries);
        if (!prescan.refusal.problem.empty()) {
            *refusal = prescan.refusal;
            return false;
        }
        reader.parsedText = &prescan.text;
        try {
            std::istringstream in(prescan.text);
            reader.ReadFilestream(in);
        } catch (const NxsException& e) {
            // A row too long is told at the extra states; other messages keep NCL's line.
            std::string problem;
            if (LongRowProblem(e.msg, prescan.characters, &problem))
                return Refuse(refusal, reader.tokenLine, problem, reader.tokenColumn);
            return Refuse(refusal, e.line, OneLine(e.msg), reader.placeFound ? e.col : 0);
        }
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

} // namespace

extern "C" int QuillmoorReadNexus(const char* text, std::size_t length, NexusRead* read) {
    if (read->version != kNexusReadVersion) return 0;
    auto* storage = new Storage();
    read->storage = storage;
    Refused refusal;
    if (!Parse(std::string(text, length), &storage->matrix, &refusal)) {
        storage->problem = refusal.problem;
        read->line = refusal.line;
        read->column = refusal.column;
        read->problem = BytesOf(storage->problem);
        return 0;
    }
    const Matrix& matrix = storage->matrix;
    for (const std::string& name : matrix.taxa)
        storage->taxa.push_back(BytesOf(name));
    for (const std::string& name : matrix.characters)
        storage->characters.push_back(BytesOf(name));
    for (const std::vector<Cell>& column : matrix.cells) {
        for (const Cell& cell : column) {
            storage->cellBytes.push_back(BytesOf(cell.name));
            storage->cellKinds.push_back(cell.kind);
            storage->partStart.push_back(static_cast<int>(storage->parts.size()));
            for (const std::string& part : cell.parts)
                storage->parts.push_back(BytesOf(part));
        }
    }
    storage->partStart.push_back(static_cast<int>(storage->parts.size()));
    read->taxonCount = static_cast<int>(matrix.taxa.size());
    read->characterCount = static_cast<int>(matrix.characters.size());
    read->taxa = storage->taxa.data();
    read->characters = storage->characters.data();
    read->cells = storage->cellBytes.data();
    read->cellKinds = storage->cellKinds.data();
    read->partStart = storage->partStart.data();
    read->parts = storage->parts.data();
    read->firstTree = BytesOf(matrix.firstTree);
    read->taxaLine = matrix.taxaLine;
    read->charactersLine = matrix.charactersLine;
    return 1;
}

extern "C" void QuillmoorReleaseNexus(NexusRead* read) {
    if (read->version != kNexusReadVersion) return;
    delete static_cast<Storage*>(read->storage);
    read->storage = nullptr;
}
