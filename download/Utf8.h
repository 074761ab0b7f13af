#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// One character of UTF-8 text.
struct Utf8Character {
    char32_t code = 0;
    std::size_t length = 0;  // bytes
};

// The well-formed character at the start of text (no overlongs, surrogates or
// values past U+10FFFF); nothing when text is empty or starts with a bad sequence.
std::optional<Utf8Character> DecodeUtf8(std::string_view text);

// Whitespace as a reader sees it: ASCII blanks, no-break and ideographic spaces.
bool IsBlankCharacter(char32_t code);

// text without leading and trailing blanks, its inner runs of blanks made one space.
// Bytes that are not well-formed UTF-8 are kept as they are.
std::string CollapseBlanks(std::string_view text);
