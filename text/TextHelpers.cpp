#include "text/TextHelpers.h"

#include <algorithm>
#include <cstring>

std::int64_t Find(const std::string& needle, const std::string& text)
{
    if (needle.empty() || text.empty())
        return 0;
    // memmem skips ahead by the whole needle; string::find stops at every "<" of a page.
    const void* at = memmem(text.data(), text.size(), needle.data(), needle.size());
    return at ? static_cast<const char*>(at) - text.data() + 1 : 0;
}

void Delete(std::string& text, std::int64_t index, std::int64_t count)
{
    const auto length = static_cast<std::int64_t>(text.size());
    if (text.empty() || index < 1 || index > length || count <= 0)
        return;
    text.erase(static_cast<std::size_t>(index - 1),
               static_cast<std::size_t>(std::min(count, length - index + 1)));
}

std::string Copy(const std::string& text, std::int64_t index, std::int64_t count)
{
    const auto length = static_cast<std::int64_t>(text.size());
    index = std::max<std::int64_t>(index, 1);
    if (index > length || count <= 0)
        return {};
    return text.substr(static_cast<std::size_t>(index - 1),
                       static_cast<std::size_t>(std::min(count, length - index + 1)));
}

namespace {

// Whether candidate starts a character, given that from starts one. The bytes just
// before candidate that could open a double-byte character pair up from the last
// byte that cannot, so an odd run means candidate is a trail byte.
bool StartsCharacter(const std::string& text, std::size_t from, std::size_t candidate)
{
    std::size_t run = 0;
    while (candidate - run > from && IsGbkLeadByte(static_cast<unsigned char>(text[candidate - run - 1])))
        ++run;
    return run % 2 == 0;
}

}  // namespace

std::string ReplaceAll(const std::string& text, const std::string& old, const std::string& replacement)
{
    if (old.empty())
        return text;
    std::string result;
    std::size_t copied = 0;  // text before this is in result
    std::size_t boundary = 0;  // a known character start at or after copied
    for (auto at = text.find(old); at != std::string::npos; at = text.find(old, boundary)) {
        if (!StartsCharacter(text, boundary, at)) {
            boundary = at + 1;  // at is a trail byte, so the next byte starts a character
            continue;
        }
        if (result.empty())
            result.reserve(text.size() + (replacement.size() > old.size() ? text.size() / 4 : 0));
        result.append(text, copied, at - copied).append(replacement);
        copied = boundary = at + old.size();
    }
    if (copied == 0)
        return text;
    result.append(text, copied, std::string::npos);
    return result;
}

std::string Decimal(std::int32_t n)
{
    return std::to_string(n);
}
