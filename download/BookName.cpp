#include "download/BookName.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

#include "download/Address.h"
#include "download/Utf8.h"

namespace {

bool IsForbidden(char32_t code)
{
    constexpr std::u32string_view Forbidden = U"/\\:*?\"<>|";
    return code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || Forbidden.find(code) != std::u32string_view::npos;
}

bool IsTrimmed(char32_t code) { return code == '.' || IsBlankCharacter(code); }

// The title's characters, each bad byte and forbidden character made "_".
std::string Replaced(std::string_view title)
{
    std::string replaced;
    while (!title.empty()) {
        const auto character = DecodeUtf8(title);
        if (!character || IsForbidden(character->code)) {
            replaced += '_';
            title.remove_prefix(character ? character->length : 1);
        } else {
            replaced.append(title.substr(0, character->length));
            title.remove_prefix(character->length);
        }
    }
    return replaced;
}

// name without blanks and dots at either end.
std::string Trimmed(const std::string& name)
{
    std::size_t first = 0;
    while (first < name.size()) {
        const auto character = DecodeUtf8(std::string_view(name).substr(first));
        if (!character || !IsTrimmed(character->code))
            break;
        first += character->length;
    }
    std::size_t end = first;
    for (std::size_t at = first; at < name.size();) {
        const auto character = DecodeUtf8(std::string_view(name).substr(at));
        at += character ? character->length : 1;
        if (!character || !IsTrimmed(character->code))
            end = at;
    }
    return name.substr(first, end - first);
}

// The longest prefix of name of at most limit bytes that ends on a character boundary.
std::string CutTo(const std::string& name, std::size_t limit)
{
    std::size_t end = 0;
    while (end < name.size()) {
        const auto character = DecodeUtf8(std::string_view(name).substr(end));
        if (end + character->length > limit)
            break;
        end += character->length;
    }
    return name.substr(0, end);
}

// CON, PRN, AUX, NUL, COM1…COM9, LPT1…LPT9, also with an extension, in any case.
bool IsReservedOnWindows(const std::string& name)
{
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    constexpr std::array<std::string_view, 4> Devices{"CON", "PRN", "AUX", "NUL"};
    if (std::find(Devices.begin(), Devices.end(), base) != Devices.end())
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1'
           && base[3] <= '9';
}

std::string PercentDecoded(const std::string& text)
{
    int length = 0;
    char* raw = curl_easy_unescape(nullptr, text.c_str(), static_cast<int>(text.size()), &length);
    if (!raw)
        return text;
    std::string decoded(raw, static_cast<std::size_t>(length));
    curl_free(raw);
    return decoded;
}

bool EndsWithTxt(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string end = name.substr(name.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".txt";
}

}  // namespace

std::string BookFileName(std::string_view title)
{
    // The cut may leave a blank or a dot at the end, so trimming comes after it.
    // Blanks around the title go before control characters become "_": a tab there is a blank.
    std::string name = Trimmed(CutTo(Trimmed(Replaced(Trimmed(std::string(title)))), MaxBookNameBytes));
    if (IsReservedOnWindows(name)) {
        name = Trimmed(CutTo(name, MaxBookNameBytes - 1));
        name.insert(0, 1, '_');
    }
    return name;
}

std::string BookFileNameFromAddress(const std::string& address)
{
    const auto parts = SplitWebAddress(address);
    if (!parts)
        return "book";
    std::string path = parts->path;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    std::string last = PercentDecoded(path.substr(path.rfind('/') + 1));
    if (EndsWithTxt(last))
        last.resize(last.size() - 4);
    if (std::string name = BookFileName(last); !name.empty())
        return name;
    if (std::string name = BookFileName(parts->host); !name.empty())
        return name;
    return "book";
}
