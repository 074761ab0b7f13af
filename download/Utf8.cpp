#include "download/Utf8.h"

std::optional<Utf8Character> DecodeUtf8(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return Utf8Character{lead, 1};
    std::size_t length;
    char32_t code;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return std::nullopt;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return Utf8Character{code, length};
}

bool IsBlankCharacter(char32_t code)
{
    return code == ' ' || code == '\t' || code == '\n' || code == '\r' || code == '\f' || code == '\v'
           || code == 0xA0 || code == 0x3000;
}

std::string CollapseBlanks(std::string_view text)
{
    std::string collapsed;
    bool pendingBlank = false;
    while (!text.empty()) {
        const auto character = DecodeUtf8(text);
        const std::size_t length = character ? character->length : 1;
        if (character && IsBlankCharacter(character->code)) {
            pendingBlank = !collapsed.empty();
        } else {
            if (pendingBlank)
                collapsed += ' ';
            pendingBlank = false;
            collapsed.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return collapsed;
}
