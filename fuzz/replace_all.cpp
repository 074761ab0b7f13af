// ReplaceAll against a reference that walks the text character by character: a
// GBK lead byte takes the byte after it along, and an occurrence counts only where
// a character starts.
//
// Input: the text, a NUL, the old text, a NUL, the replacement. Without NULs the
// old text is "blank" and the replacement "11111", as the listing cut uses them.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/TextHelpers.h"

namespace {

std::string ReferenceReplaceAll(const std::string& text, const std::string& old, const std::string& replacement)
{
    if (old.empty())
        return text;
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, old.size(), old) == 0) {
            result += replacement;
            i += old.size();
        } else if (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            result += text.substr(i, 2);
            i += 2;
        } else {
            result += text[i];
            i += 1;
        }
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t first = input.find('\0');
    const std::size_t second = first == std::string::npos ? first : input.find('\0', first + 1);

    std::string text = input, old = "blank", replacement = "11111";
    if (first != std::string::npos) {
        text = input.substr(0, first);
        old = input.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        replacement = second == std::string::npos ? std::string() : input.substr(second + 1);
    }

    if (ReplaceAll(text, old, replacement) != ReferenceReplaceAll(text, old, replacement))
        std::abort();
    return 0;
}
