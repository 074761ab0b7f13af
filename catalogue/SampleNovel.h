#pragma once

#include <cstdint>
#include <string>

// Invented novel text, GBK, made from a small vocabulary: the same seed always
// gives the same text, so a book of any size costs nothing in the repository.

// A book of exactly `bytes` bytes (at least a few hundred): its title and author,
// then chapters 第一章, 第二章 … of paragraphs indented with full-width blanks,
// CRLF line breaks and an end mark. Title and author are UTF-8.
std::string SampleNovelText(const std::string& title, const std::string& author, std::uint64_t seed,
                            std::uint64_t bytes);

// Two or three sentences about the book, GBK, for its page.
std::string SampleIntroduction(std::uint64_t seed);
