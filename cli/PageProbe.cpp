#include "cli/PageProbe.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

namespace {

// Enough of a body to see past leading blanks to its first tag.
constexpr std::size_t SniffBytes = 512;

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
           && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
                  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
              });
}

bool OpensLikeHtml(std::string_view body)
{
    const auto first = body.find_first_not_of(" \t\r\n\f");
    if (first == std::string_view::npos)
        return false;
    body.remove_prefix(first);
    return StartsWithNoCase(body, "<!doctype") || StartsWithNoCase(body, "<html");
}

class Probe {
public:
    Probe(const std::string& address, const std::atomic<bool>& stop, const FetchLimits& limits)
        : easy_(curl_easy_init(), curl_easy_cleanup), stop_(stop), maxBytes_(limits.maxBodyBytes)
    {
        if (!easy_)
            throw ProbeError("资源不足");
        CURL* easy = easy_.get();
        bool ok = true;
        const auto set = [&](CURLoption option, auto value) {
            ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
        };
        set(CURLOPT_URL, address.c_str());
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, limits.maxRedirects);
        set(CURLOPT_PROTOCOLS_STR, "http,https");
        set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
        set(CURLOPT_LOW_SPEED_LIMIT, 1L);
        set(CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
        set(CURLOPT_TIMEOUT, limits.totalTimeoutSeconds);
        set(CURLOPT_ERRORBUFFER, error_);
        set(CURLOPT_WRITEFUNCTION, &Probe::Receive);
        set(CURLOPT_WRITEDATA, this);
        set(CURLOPT_XFERINFOFUNCTION, &Probe::Progress);
        set(CURLOPT_XFERINFODATA, this);
        set(CURLOPT_NOPROGRESS, 0L);
        if (!ok)
            throw ProbeError("无法设置HTTP请求");
    }

    ProbedPage Run()
    {
        const CURLcode result = curl_easy_perform(easy_.get());
        if (stop_)
            throw ProbeError("已中断");
        if (tooLarge_)
            throw ProbeError("页面超过大小上限（" + std::to_string(maxBytes_ >> 20) + " MiB）");
        if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && decided_))
            throw ProbeError(std::string("无法读取页面：") + (error_[0] ? error_ : curl_easy_strerror(result)));
        if (!decided_)
            Decide(true);
        char* where = nullptr;
        curl_easy_getinfo(easy_.get(), CURLINFO_EFFECTIVE_URL, &where);
        page_.address = where ? where : "";
        if (!page_.html)
            page_.text.clear();
        return std::move(page_);
    }

private:
    // An error status or the declared type settles it at once; else the body's
    // opening does, once enough of it is in or the body has ended.
    void Decide(bool bodyEnded)
    {
        long status = 0;
        curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
        const char* type = nullptr;
        curl_easy_getinfo(easy_.get(), CURLINFO_CONTENT_TYPE, &type);
        if (status != 200 || (type && StartsWithNoCase(type, "text/html")))
            page_.html = status == 200;
        else if (bodyEnded || page_.text.size() >= SniffBytes)
            page_.html = OpensLikeHtml(page_.text);
        else
            return;
        decided_ = true;
    }

    static std::size_t Receive(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto& probe = *static_cast<Probe*>(self);
        const std::size_t length = size * count;
        if (probe.page_.text.size() + length > probe.maxBytes_) {
            probe.tooLarge_ = true;
            return CURL_WRITEFUNC_ERROR;
        }
        probe.page_.text.append(data, length);
        if (!probe.decided_)
            probe.Decide(false);
        return probe.decided_ && !probe.page_.html ? CURL_WRITEFUNC_ERROR : length;
    }

    static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<Probe*>(self)->stop_ ? 1 : 0;
    }

    std::unique_ptr<CURL, void (*)(CURL*)> easy_;
    const std::atomic<bool>& stop_;
    std::size_t maxBytes_;
    bool decided_ = false;
    bool tooLarge_ = false;
    ProbedPage page_;
    char error_[CURL_ERROR_SIZE] = {};
};

}  // namespace

ProbedPage ProbePage(const std::string& address, const std::atomic<bool>& stop, const FetchLimits& limits)
{
    Probe probe(address, stop, limits);
    return probe.Run();
}
