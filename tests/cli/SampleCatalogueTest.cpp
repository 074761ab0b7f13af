// The sample catalogue's text files as a resuming client sees them: ranges served
// while the client's validator holds, the whole file once it does not.
#include <gtest/gtest.h>

#include <curl/curl.h>
#include <strings.h>

#include <memory>
#include <string>
#include <vector>

#include "catalogue/LoopbackServer.h"
#include "catalogue/SampleCatalogue.h"

namespace {

struct Answer {
    long status = 0;
    std::string contentRange;
    std::string body;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* into)
{
    static_cast<std::string*>(into)->append(data, size * count);
    return size * count;
}

std::size_t CollectHeader(char* data, std::size_t size, std::size_t count, void* into)
{
    const std::string line(data, size * count);
    const std::string name = "content-range: ";
    if (line.size() > name.size() && strncasecmp(line.c_str(), name.c_str(), name.size()) == 0)
        *static_cast<std::string*>(into) = line.substr(name.size(), line.find_last_not_of("\r\n") + 1 - name.size());
    return size * count;
}

Answer Get(const std::string& address, const std::vector<std::string>& headers)
{
    const std::unique_ptr<CURL, void (*)(CURL*)> easy(curl_easy_init(), curl_easy_cleanup);
    curl_slist* list = nullptr;
    for (const std::string& header : headers)
        list = curl_slist_append(list, header.c_str());
    const std::unique_ptr<curl_slist, void (*)(curl_slist*)> headerList(list, curl_slist_free_all);
    Answer answer;
    curl_easy_setopt(easy.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_NOPROXY, "*");
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(easy.get(), CURLOPT_HEADERFUNCTION, CollectHeader);
    curl_easy_setopt(easy.get(), CURLOPT_HEADERDATA, &answer.contentRange);
    EXPECT_EQ(curl_easy_perform(easy.get()), CURLE_OK);
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
}

TEST(SampleCatalogueTest, TextFilesAnswerRangesWhileTheirValidatorHolds)
{
    LoopbackServer server;
    server.SetFallback(SampleCataloguePage);
    // Book 4 of 言情小说 (row 2): 2.2 MiB, linked straight from its page.
    const std::string address = server.Origin() + "/down/Young/0091004.txt";
    const std::string text = SampleBookText(2, 4);
    ASSERT_EQ(text.size(), SampleBookAt(2, 4).bytes);
    ASSERT_EQ(SampleBookAt(2, 4).size, "2.2MB");
    const std::string size = std::to_string(text.size());
    const std::string etag = "\"sample-2-4\"";

    const struct {
        std::vector<std::string> headers;
        long status;
        std::string contentRange;
        std::string body;
    } cases[] = {
        {{}, 200, "", text},
        {{"Range: bytes=1000-"}, 206, "bytes 1000-" + std::to_string(text.size() - 1) + "/" + size, text.substr(1000)},
        {{"Range: bytes=1000-", "If-Range: " + etag}, 206, "bytes 1000-" + std::to_string(text.size() - 1) + "/" + size,
         text.substr(1000)},
        {{"Range: bytes=1000-", "If-Range: \"changed\""}, 200, "", text},
        {{"Range: bytes=" + size + "-"}, 416, "bytes */" + size, ""},
    };
    for (const auto& one : cases) {
        const std::string shown = one.headers.empty() ? "no range" : one.headers.back();
        const Answer answer = Get(address, one.headers);
        EXPECT_EQ(answer.status, one.status) << shown;
        EXPECT_EQ(answer.contentRange, one.contentRange) << shown;
        EXPECT_TRUE(answer.body == one.body) << shown << ": " << answer.body.size() << " bytes";
    }
    // A range of an error page is no range: the page comes whole.
    const std::string missing = server.Origin() + "/down/Young/0099999.txt";
    const Answer notFound = Get(missing, {"Range: bytes=5-"});
    EXPECT_EQ(notFound.status, 404);
    EXPECT_EQ(notFound.body, SampleCataloguePage(missing).body);
}

}  // namespace
