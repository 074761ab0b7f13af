#pragma once

// Helpers over 8-bit text: std::string holding GBK bytes, positions 1-based.

#include <cstdint>
#include <string>

// Position of the first occurrence of needle in text, byte by byte (a match may
// start on the trail byte of a double-byte character); 0 when there is none or
// when either text is empty.
std::int64_t Find(const std::string& needle, const std::string& text);

// Removes min(count, length - index + 1) bytes from index on; does nothing for an
// empty text, an index outside 1..length or a count of 0 or less.
void Delete(std::string& text, std::int64_t index, std::int64_t count);

// At most count bytes from index on (an index below 1 counts as 1); empty when
// index is past the end or count is 0 or less.
std::string Copy(const std::string& text, std::int64_t index, std::int64_t count);

// Every occurrence of old replaced by replacement, left to right, resuming behind
// each replaced occurrence. An occurrence that would start on the trail byte of a
// GBK double-byte character does not count.
std::string ReplaceAll(const std::string& text, const std::string& old, const std::string& replacement);

// n in decimal digits, "-" in front when negative.
std::string Decimal(std::int32_t n);

// True for a byte that opens a GBK double-byte character.
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
