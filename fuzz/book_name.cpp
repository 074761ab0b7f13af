// The names books are saved under, from arbitrary titles and addresses. Whatever
// the bytes, a name is well-formed UTF-8 of at most the byte limit, holds no
// character a file system refuses, does not start or end in a blank or a dot, is
// no Windows device, and so stays a plain file inside its folder.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "download/BookName.h"
#include "download/Utf8.h"

namespace {

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

bool IsDevice(std::string name)
{
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL")
        return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) && name[3] >= '1'
           && name[3] <= '9';
}

void CheckName(const std::string& name, bool mayBeEmpty)
{
    Check(mayBeEmpty || !name.empty());
    Check(name.size() <= MaxBookNameBytes);
    if (name.empty())
        return;
    Check(!IsDevice(name));
    bool first = true;
    char32_t last = 0;
    for (std::string_view rest = name; !rest.empty();) {
        const auto character = DecodeUtf8(rest);
        Check(character.has_value());
        const char32_t code = character->code;
        Check(code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0));
        Check(std::u32string_view(U"/\\:*?\"<>|").find(code) == std::u32string_view::npos);
        if (first)
            Check(code != '.' && !IsBlankCharacter(code));
        first = false;
        last = code;
        rest.remove_prefix(character->length);
    }
    Check(last != '.' && !IsBlankCharacter(last));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckName(BookFileName(bytes), true);
    CheckName(BookFileNameFromAddress("http://127.0.0.1:8936/" + bytes), false);
    CheckName(BookFileNameFromAddress(bytes), false);
    return 0;
}
