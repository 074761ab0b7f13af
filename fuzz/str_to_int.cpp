// StrToInt against a grammar of its own:
//
//   entry  := ' '* sign? number
//   sign   := '+' | '-'
//   number := hex-prefix hex-digit+  |  digit+
//   hex-prefix := '$' | 'x' | 'X' | '0x' | '0X'
//
// Hexadecimal is a 32-bit pattern of at most eight significant digits, negated
// in 32 bits after a "-". Decimal must lie in -2147483648..2147483647. The value
// is judged on the digit text with leading zeros stripped, not by arithmetic.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "text/StrToInt.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string Significant(const std::string& digits)
{
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

template <typename Predicate>
bool All(const std::string& text, Predicate predicate)
{
    for (char c : text)
        if (!predicate(c))
            return false;
    return !text.empty();
}

std::optional<std::int32_t> Reference(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::string number = text.substr(i);

    std::string hexDigits;
    bool hex = true;
    if (number.rfind("0x", 0) == 0 || number.rfind("0X", 0) == 0)
        hexDigits = number.substr(2);
    else if (!number.empty() && (number[0] == '$' || number[0] == 'x' || number[0] == 'X'))
        hexDigits = number.substr(1);
    else
        hex = false;

    if (hex) {
        if (!All(hexDigits, IsHexDigit) || Significant(hexDigits).size() > 8)
            return std::nullopt;
        const auto pattern = static_cast<std::uint32_t>(std::stoul(Significant(hexDigits), nullptr, 16));
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }

    if (!All(number, IsDigit))
        return std::nullopt;
    const std::string digits = Significant(number);
    const std::string limit = negative ? "2147483648" : "2147483647";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return std::nullopt;
    const long long magnitude = std::stoll(digits);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> expected = Reference(text);
    try {
        const std::int32_t value = StrToInt(text);
        if (!expected || *expected != value)
            std::abort();
    } catch (const EConvertError& error) {
        // Compared as C strings: what() ends at a NUL of the text.
        const std::string message = "'" + text + "' is not a valid integer value";
        if (expected || std::strcmp(error.what(), message.c_str()) != 0)
            std::abort();
    }
    return 0;
}
