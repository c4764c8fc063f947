// UTF-8 decoding at the text layer: which byte strings are UTF-8, what they decode to,
// and where a cut may fall. Names arrive in any encoding, so the line between valid and
// invalid decides whether a name is drawn as characters or byte by byte.
#include "font/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every code point of text, or an empty list when some sequence is invalid (which must
// then leave the position where it was, and make the whole text invalid).
std::vector<std::uint32_t> CodePoints(const std::string& text) {
    std::vector<std::uint32_t> out;
    for (std::size_t pos = 0, before = 0; pos < text.size(); before = pos) {
        out.push_back(DecodeUtf8(text.data(), text.size(), &pos));
        if (out.back() != kInvalidUtf8) continue;
        EXPECT_EQ(pos, before);
        EXPECT_FALSE(IsValidUtf8(text.data(), text.size()));
        return {};
    }
    EXPECT_TRUE(IsValidUtf8(text.data(), text.size()));
    return out;
}

TEST(Utf8, DecodesValidTextAndRejectsEveryMalformedSequence) {
    const struct {
        std::string text;
        std::vector<std::uint32_t> decoded; // empty: not UTF-8
    } cases[] = {
        {"Shark 1", {'S', 'h', 'a', 'r', 'k', ' ', '1'}},
        {"P\xC3\xA9rez \xE2\x82\xAC\xF0\x9F\x90\x9F",
         {'P', 0xE9, 'r', 'e', 'z', ' ', 0x20AC, 0x1F41F}},
        {"\x7F\xC2\x80\xDF\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", {0x7F, 0x80, 0x7FF, 0xE000, 0x10FFFF}},
        {"P\xE9rez", {}}, // Latin-1
        {"a\x80", {}},    // stray continuation byte
        {"\xC0\xAF", {}}, // overlong forms
        {"\xE0\x80\xAF", {}},
        {"\xF0\x80\x80\xAF", {}},
        {"\xED\xA0\x80", {}},     // surrogate
        {"\xF4\x90\x80\x80", {}}, // past U+10FFFF
        {"ok\xE2\x82", {}},       // cut short at the end
        {"\xC3"
         "A",
         {}},                 // lead without its continuation
        {"\xC3\xA9\xE9", {}}, // valid, then Latin-1
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodePoints(c.text), c.decoded) << c.text;
}

TEST(Utf8, CutsLandOnCharacterBoundariesOnlyInUtf8) {
    const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x90\x9F"; // 1 + 2 + 3 + 4 bytes
    const std::string latin1 = "a\xE9\xE9\xE9\xE9";
    const struct {
        const std::string& text;
        std::size_t limit, kept;
    } cases[] = {
        {utf8, 20, 10}, {utf8, 10, 10}, {utf8, 9, 6}, {utf8, 7, 6},   {utf8, 5, 3},
        {utf8, 2, 1},   {utf8, 1, 1},   {utf8, 0, 0}, {latin1, 3, 3}, {latin1, 9, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8CutLength(c.text.data(), c.text.size(), c.limit), c.kept)
            << c.text << " to " << c.limit;
}

} // namespace
