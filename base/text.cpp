// Byte-order marks and UTF-16 decoding (see text.h). Called by the file readers; no GL.
#include "base/text.h"

#include <cstring>

namespace {

// Appends code point cp as UTF-8.
void AppendUtf8(std::string* out, unsigned cp) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

bool StartsWithUtf8Mark(const char* text, std::size_t length) {
    return length >= kUtf8MarkLength && std::memcmp(text, "\xEF\xBB\xBF", kUtf8MarkLength) == 0;
}

bool StartsWithUtf16Mark(const std::string& bytes) {
    return bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                 (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

void DecodeUtf16(std::string* bytes) {
    if (!StartsWithUtf16Mark(*bytes)) return;
    const bool little = (*bytes)[0] == '\xFF';
    const std::string& in = *bytes;
    auto unit = [&](std::size_t i) {
        const unsigned lo = static_cast<unsigned char>(in[i + (little ? 0 : 1)]);
        const unsigned hi = static_cast<unsigned char>(in[i + (little ? 1 : 0)]);
        return hi << 8 | lo;
    };
    std::string out;
    out.reserve(in.size() * 3 / 2);
    std::size_t i = 2;
    for (; i + 1 < in.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < in.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        AppendUtf8(&out, cp);
    }
    if (i < in.size()) AppendUtf8(&out, 0xFFFD);
    bytes->swap(out);
}

std::size_t CountCharacters(const char* text, std::size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < length; ++characters) {
        const unsigned char lead = bytes[i];
        const std::size_t size = lead >= 0xF0 && lead < 0xF5   ? 4
                                 : lead >= 0xE0 && lead < 0xF0 ? 3
                                 : lead >= 0xC2 && lead < 0xE0 ? 2
                                                               : 1;
        std::size_t k = 1;
        while (k < size && i + k < length && (bytes[i + k] & 0xC0) == 0x80)
            ++k;
        i += k == size ? size : 1; // a sequence cut short: its lead byte alone
    }
    return characters;
}
