// The one value that says why a file was refused (or what to know of one that loaded):
// where -- file, line, column -- and the problem. Every reader and writer fills one; only
// the app shows it (app/refusals.h). No GL, no X; used by every layer.
#pragma once

#include <stdexcept>
#include <string>

struct Refusal {
    std::string file; // as the caller named it; empty when the problem is not about a file
    int line = 0;     // 1-based; 0 when not known
    int column = 0;   // 1-based byte of the line; 0 when not known
    std::string text; // the problem, one line; empty while nothing was refused
};

// The text of a file that cannot be opened at all: such a refusal has no position and is
// told as "cannot open FILE", the way the program has always said it.
constexpr char kCannotOpen[] = "cannot open";

// The refusal as one line: "FILE:LINE:COLUMN: problem", leaving out what is not known
// ("FILE:LINE: problem", "FILE: problem", or the problem alone without a file), and
// "cannot open FILE" for kCannotOpen.
std::string DescribeRefusal(const Refusal& refusal);

// A name (a taxon, a token of a file) as a message shows it: whole up to kMostNameBytes,
// otherwise cut there, never inside a UTF-8 sequence, and ended with "...", so that a
// file of one 4 MiB name cannot fill the console.
constexpr std::size_t kMostNameBytes = 60;
std::string CutName(const std::string& name);

// A refusal that ends the work under way where no caller can take it as a value: the
// font at start-up. what() is DescribeRefusal(refusal()). cause(), when its text is not
// empty, is an earlier refusal that led to this one (the font file that is missing),
// for the catcher to tell first.
class RefusalError : public std::runtime_error {
  public:
    explicit RefusalError(Refusal refusal, Refusal cause = Refusal());
    const Refusal& refusal() const { return refusal_; }
    const Refusal& cause() const { return cause_; }

  private:
    Refusal refusal_;
    Refusal cause_;
};
