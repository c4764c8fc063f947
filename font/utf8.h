// UTF-8 decoding for text that may or may not be UTF-8: names come from data files in
// whatever encoding the file was saved in. The renderer draws valid UTF-8 as the
// characters it encodes and anything else byte by byte (Latin-1); callers that cut names
// use the same test so that a cut never splits a character. Header only, no GL.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t kInvalidUtf8 = 0xFFFFFFFF;

// Decodes the character at text[*pos] (text holds length bytes). Returns its code point
// and moves *pos past it; returns kInvalidUtf8, *pos unchanged, when the bytes there are
// not a valid UTF-8 sequence: a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a code point past U+10FFFF. *pos must be below length.
inline std::uint32_t DecodeUtf8(const char* text, std::size_t length, std::size_t* pos) {
    // Per range of lead bytes: the sequence's length, the lead's payload bits and the
    // smallest code point the length may encode (anything less is an overlong form).
    static constexpr struct {
        unsigned char first, last;
        unsigned char size, payload;
        std::uint32_t lowest;
    } kLeads[] = {
        {0xC2, 0xDF, 2, 0x1F, 0x80}, {0xE0, 0xEF, 3, 0x0F, 0x800}, {0xF0, 0xF4, 4, 0x07, 0x10000}};
    const auto* bytes = reinterpret_cast<const unsigned char*>(text) + *pos;
    const std::size_t left = length - *pos;
    if (bytes[0] < 0x80) {
        ++*pos;
        return bytes[0];
    }
    std::size_t size = 0;
    std::uint32_t cp = 0;
    std::uint32_t lowest = 0;
    for (const auto& lead : kLeads) {
        if (bytes[0] >= lead.first && bytes[0] <= lead.last) {
            size = lead.size;
            cp = bytes[0] & lead.payload;
            lowest = lead.lowest;
        }
    }
    // A continuation byte, or a lead byte that only overlong or too large forms use.
    if (size == 0 || left < size) return kInvalidUtf8;
    for (std::size_t i = 1; i < size; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return kInvalidUtf8;
        cp = cp << 6 | (bytes[i] & 0x3F);
    }
    if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return kInvalidUtf8;
    *pos += size;
    return cp;
}

// Returns whether the length bytes of text are valid UTF-8 as a whole (pure ASCII is).
inline bool IsValidUtf8(const char* text, std::size_t length) {
    std::size_t pos = 0;
    while (pos < length)
        if (DecodeUtf8(text, length, &pos) == kInvalidUtf8) return false;
    return true;
}

// Returns the number of bytes of text to keep when it must be cut to at most limit
// bytes: limit itself when the text is not valid UTF-8 (each byte is a character then),
// otherwise the largest count up to limit that ends on a character boundary. Text of at
// most limit bytes keeps its length.
inline std::size_t Utf8CutLength(const char* text, std::size_t length, std::size_t limit) {
    if (length <= limit) return length;
    if (!IsValidUtf8(text, length)) return limit;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut; // text[cut] continues the character before it
    return cut;
}
