// Text as files hold it: the byte-order marks spreadsheets and editors write, and UTF-16
// turned into UTF-8 so that the readers see one encoding. Called by the CSV and NEXUS
// loaders. No GL, no X.
#pragma once

#include <cstddef>
#include <string>

// True when text starts with the UTF-8 byte-order mark (EF BB BF).
bool StartsWithUtf8Mark(const char* text, std::size_t length);
constexpr std::size_t kUtf8MarkLength = 3;

// True when bytes start with a UTF-16 byte-order mark (FF FE or FE FF).
bool StartsWithUtf16Mark(const std::string& bytes);

// A text that starts with a UTF-16 byte-order mark (as spreadsheets save "Unicode text")
// is turned into the same text in UTF-8, without the mark. A lone surrogate or a last odd
// byte becomes U+FFFD, as text editors show it. Any other text is left as it is.
void DecodeUtf16(std::string* bytes);

// The characters of UTF-8 text: code points, with a byte that is no part of a well-formed
// sequence counted as one character (a Latin-1 name counts its bytes).
std::size_t CountCharacters(const char* text, std::size_t length);
