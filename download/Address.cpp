#include "download/Address.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

struct PartDeleter {
    void operator()(char* part) const { curl_free(part); }
};

std::optional<std::string> Part(CURLU* url, CURLUPart which)
{
    char* raw = nullptr;
    if (curl_url_get(url, which, &raw, 0) != CURLUE_OK || !raw)
        return std::nullopt;
    std::unique_ptr<char, PartDeleter> owned(raw);
    return std::string(raw);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::optional<AddressParts> Split(CURLU* url)
{
    const auto scheme = Part(url, CURLUPART_SCHEME);
    auto host = Part(url, CURLUPART_HOST);
    if (!scheme || !host || host->empty())
        return std::nullopt;
    AddressParts parts{Lower(*scheme), Lower(*host), Part(url, CURLUPART_PATH).value_or("/")};
    if (parts.scheme != "http" && parts.scheme != "https")
        return std::nullopt;
    if (const auto port = Part(url, CURLUPART_PORT))
        parts.host += ":" + *port;
    return parts;
}

}  // namespace

std::optional<std::string> ResolveWebAddress(const std::string& base, const std::string& href)
{
    std::size_t first = 0, last = href.size();
    while (first < last && IsBlank(href[first]))
        ++first;
    while (last > first && IsBlank(href[last - 1]))
        --last;
    const std::string trimmed = href.substr(first, last - first);
    // A NUL would end the address early in libcurl's hands.
    if (trimmed.find('\0') != std::string::npos || base.find('\0') != std::string::npos)
        return std::nullopt;

    Url url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    if (curl_url_set(url.get(), CURLUPART_URL, trimmed.c_str(), CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE)
        != CURLUE_OK)
        return std::nullopt;
    if (!Split(url.get()))
        return std::nullopt;
    // The fragment names a place on the page, not another file.
    curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return Part(url.get(), CURLUPART_URL);
}

std::optional<AddressParts> SplitWebAddress(const std::string& address)
{
    if (address.find('\0') != std::string::npos)
        return std::nullopt;
    Url url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return std::nullopt;
    return Split(url.get());
}
