#include "text/StrToInt.h"

namespace {

[[noreturn]] void Invalid(const std::string& text)
{
    throw EConvertError("'" + text + "' is not a valid integer value");
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::int32_t StrToInt(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        Invalid(text);
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';

    auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    const bool hex = at(i) == '$' || at(i) == 'x' || at(i) == 'X'
                     || (at(i) == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X'));
    if (hex) {
        i += at(i) == '0' ? 2 : 1;
        if (i == text.size())
            Invalid(text);
        std::uint32_t pattern = 0;
        for (; i < text.size(); ++i) {
            const int digit = HexDigit(text[i]);
            if (digit < 0 || pattern > 0x0FFFFFFFu)
                Invalid(text);
            pattern = pattern << 4 | static_cast<std::uint32_t>(digit);
        }
        // Two's complement negation of the pattern, as the pattern itself is signed.
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }

    if (i == text.size())
        Invalid(text);
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            Invalid(text);
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            Invalid(text);
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}
