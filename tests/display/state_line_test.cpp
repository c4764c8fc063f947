// The bounded "character: state" formatter behind the hover text and the panel lines, and
// the state-name lookup that never leaves the table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/primitives.h"
#include "matrix/matrix.h"

namespace {

// Formats into a buffer of `size` bytes followed by guard bytes that must stay untouched.
std::string Format(size_t size, const std::string& character, const std::string& state) {
    std::vector<char> buffer(size + 16, '#');
    const size_t length = FormatStateLine(buffer.data(), size, character.c_str(), state.c_str());
    for (size_t i = size; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#') << "overrun at " << i;
    EXPECT_EQ(length, std::strlen(buffer.data()));
    EXPECT_LT(length, size);
    return std::string(buffer.data());
}

} // namespace

TEST(StateLineTest, NamesThatFitAreJoinedWhole) {
    EXPECT_EQ(Format(100, "Jaws", "present"), "Jaws: present");
    EXPECT_EQ(Format(50, "", ""), ": ");
    // Exactly full: 47 name characters in a 50-byte panel line, 97 in a hover line.
    const std::string a(30, 'a'), b(17, 'b');
    EXPECT_EQ(Format(50, a, b), a + ": " + b);
    EXPECT_EQ(Format(100, std::string(90, 'c'), std::string(7, 'd')),
              std::string(90, 'c') + ": " + std::string(7, 'd'));
}

TEST(StateLineTest, LongNamesAreCutAtTheirEndKeepingBothBeginnings) {
    std::string character(99, 'x');
    character.replace(0, 5, "Lungs");
    std::string state(99, 'y');
    state.replace(0, 4, "wide");

    // A short state name stays whole; the character name takes the rest.
    EXPECT_EQ(Format(100, character, "no"), character.substr(0, 95) + ": no");
    EXPECT_EQ(Format(50, character, "no"), character.substr(0, 45) + ": no");
    // A short character name stays whole.
    EXPECT_EQ(Format(50, "Fins", state), "Fins: " + state.substr(0, 43));
    // Both long: each keeps its first half of the room.
    EXPECT_EQ(Format(100, character, state), character.substr(0, 48) + ": " + state.substr(0, 49));
    EXPECT_EQ(Format(50, character, state), character.substr(0, 23) + ": " + state.substr(0, 24));
}

TEST(StateLineTest, Utf8NamesAreCutBetweenCharactersLatin1AtAnyByte) {
    std::string utf8;
    for (int i = 0; i < 49; ++i)
        utf8 += "\xC3\xA9"; // 98 bytes of e-acute
    const std::string latin1(98, '\xE9');
    // 45 bytes of room for the character name would end inside a character: 44 are kept.
    EXPECT_EQ(Format(50, utf8, "no"), utf8.substr(0, 44) + ": no");
    EXPECT_EQ(Format(50, latin1, "no"), latin1.substr(0, 45) + ": no");
    // Both long: each half ends on a boundary (23 and 24 bytes of room).
    EXPECT_EQ(Format(50, utf8, utf8), utf8.substr(0, 22) + ": " + utf8.substr(0, 24));
}

TEST(StateLineTest, StateNamesOutsideTheTableReadAsNoState) {
    ResetMatrix();
    std::strcpy(gStateNames[3][2], "feathers");
    EXPECT_STREQ(StateNameOf(3, 2), "feathers");
    EXPECT_STREQ(StateNameOf(3, kNoState), "---");
    EXPECT_STREQ(StateNameOf(3, -1), "---");
    EXPECT_STREQ(StateNameOf(3, kMaxStates), "---");
    EXPECT_STREQ(StateNameOf(kMaxCharacters, 0), "---");
    ResetMatrix();
}
