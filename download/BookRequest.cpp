#include "download/BookRequest.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<SavedEncoding, std::string_view>, 4> Names{{
    {SavedEncoding::Utf8, "utf-8"},
    {SavedEncoding::Utf8Bom, "utf-8-bom"},
    {SavedEncoding::Gb18030, "gb18030"},
    {SavedEncoding::Original, "original"},
}};

}  // namespace

std::optional<SavedEncoding> ParseSavedEncoding(std::string_view name)
{
    for (const auto& [encoding, encodingName] : Names)
        if (encodingName == name)
            return encoding;
    return std::nullopt;
}

std::string_view SavedEncodingName(SavedEncoding encoding)
{
    for (const auto& [known, name] : Names)
        if (known == encoding)
            return name;
    return "utf-8";
}
