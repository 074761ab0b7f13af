// Find, Delete, Copy and Decimal against plain byte-by-byte references.
//
// Input: one byte for the index, one for the count (signed; 127 and -128 stand for
// the 64-bit extremes), four for Decimal's number (little-endian), then the needle,
// a NUL, and the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "text/TextHelpers.h"

namespace {

std::int64_t Position(std::uint8_t byte)
{
    const auto value = static_cast<std::int8_t>(byte);
    if (value == std::numeric_limits<std::int8_t>::max())
        return std::numeric_limits<std::int64_t>::max();
    if (value == std::numeric_limits<std::int8_t>::min())
        return std::numeric_limits<std::int64_t>::min();
    return value;
}

std::int64_t ReferenceFind(const std::string& needle, const std::string& text)
{
    if (needle.empty())
        return 0;
    for (std::size_t start = 0; start + needle.size() <= text.size(); ++start) {
        std::size_t matched = 0;
        while (matched < needle.size() && text[start + matched] == needle[matched])
            ++matched;
        if (matched == needle.size())
            return static_cast<std::int64_t>(start) + 1;
    }
    return 0;
}

// Position p (1-based) is removed when index <= p < index + count, counted without overflow.
std::string ReferenceDelete(const std::string& text, std::int64_t index, std::int64_t count)
{
    if (index < 1 || index > static_cast<std::int64_t>(text.size()) || count <= 0)
        return text;
    std::string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto p = static_cast<std::int64_t>(i) + 1;
        if (p < index || p - index >= count)
            kept += text[i];
    }
    return kept;
}

std::string ReferenceCopy(const std::string& text, std::int64_t index, std::int64_t count)
{
    const std::int64_t first = index < 1 ? 1 : index;
    std::string copied;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto p = static_cast<std::int64_t>(i) + 1;
        if (p >= first && p - first < count)
            copied += text[i];
    }
    return copied;
}

std::string ReferenceDecimal(std::int32_t n)
{
    std::uint32_t magnitude = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return n < 0 ? "-" + digits : digits;
}

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t head[6] = {};
    std::memcpy(head, data, size < sizeof head ? size : sizeof head);
    const std::size_t rest = size < sizeof head ? 0 : size - sizeof head;
    const std::string input(reinterpret_cast<const char*>(data) + (size - rest), rest);

    const std::int64_t index = Position(head[0]);
    const std::int64_t count = Position(head[1]);
    std::uint32_t pattern = 0;
    for (int i = 3; i >= 0; --i)
        pattern = pattern << 8 | head[2 + i];
    const auto number = static_cast<std::int32_t>(pattern);

    const std::size_t nul = input.find('\0');
    const std::string needle = input.substr(0, nul);
    const std::string text = nul == std::string::npos ? std::string() : input.substr(nul + 1);

    Check(Find(needle, text) == ReferenceFind(needle, text));
    Check(Find(text, needle) == ReferenceFind(text, needle));

    std::string deleted = text;
    Delete(deleted, index, count);
    Check(deleted == ReferenceDelete(text, index, count));

    Check(Copy(text, index, count) == ReferenceCopy(text, index, count));
    Check(Decimal(number) == ReferenceDecimal(number));
    return 0;
}
