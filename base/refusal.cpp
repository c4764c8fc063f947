// The refusal's one-line form and the cut of long names (see refusal.h). Called by every
// reader and writer and by the app's refusal display. No GL state.
#include "base/refusal.h"

#include <utility>

std::string DescribeRefusal(const Refusal& refusal) {
    if (refusal.line == 0 && refusal.text == kCannotOpen)
        return std::string(kCannotOpen) + " " + refusal.file;
    std::string out = refusal.file;
    if (refusal.line > 0) out += ":" + std::to_string(refusal.line);
    if (refusal.line > 0 && refusal.column > 0) out += ":" + std::to_string(refusal.column);
    if (!out.empty()) out += ": ";
    return out + refusal.text;
}

std::string CutName(const std::string& name) {
    if (name.size() <= kMostNameBytes) return name;
    std::size_t end = kMostNameBytes;
    // Back up over continuation bytes to the start of the character the cut would split.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return name.substr(0, end) + "...";
}

RefusalError::RefusalError(Refusal refusal, Refusal cause)
    : std::runtime_error(DescribeRefusal(refusal)), refusal_(std::move(refusal)),
      cause_(std::move(cause)) {}
