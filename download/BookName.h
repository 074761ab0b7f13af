#pragma once

#include <string>
#include <string_view>

// The longest name a book's file is given before its extension, in bytes.
inline constexpr std::size_t MaxBookNameBytes = 200;

// A file name (without extension) for a book's title that any common file system
// takes and that stays inside its folder: bytes that are not UTF-8 and characters
// no file system takes become "_", leading and trailing blanks and dots go, names
// reserved on Windows get a "_" in front, and at most MaxBookNameBytes remain, cut
// on a character boundary. Empty when nothing of the title is left.
std::string BookFileName(std::string_view title);

// The name for a book known only by its address: the last part of its path,
// percent-decoded and without a ".txt" ending, else its host; never empty.
std::string BookFileNameFromAddress(const std::string& address);
