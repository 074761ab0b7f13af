#include "catalogue/SampleCatalogue.h"

#include <array>
#include <charconv>
#include <optional>

#include "catalogue/Gbk.h"
#include "catalogue/SampleNovel.h"
#include "navigation/CategoryTable.h"

namespace {

constexpr int BooksPerPage = 10;

// Two-character openings of the titles, one list per category row.
const std::array<std::array<const char*, 10>, 11> TitleOpenings = {{
    {"梦回", "长安", "重生", "锦绣", "凤栖", "宫墙", "千年", "归途", "烟火", "青瓷"},
    {"春风", "晚晴", "星河", "花期", "微光", "初雪", "心湖", "月色", "相逢", "细雨"},
    {"九霄", "灵渊", "炎帝", "星辰", "万域", "天穹", "神魔", "龙脉", "荒古", "玄冥"},
    {"大梁", "南朝", "江山", "铁骑", "边关", "庙堂", "烽烟", "汉宫", "北境", "长城"},
    {"青锋", "孤剑", "江湖", "烟雨", "苍山", "断刀", "云门", "侠骨", "飞雪", "剑心"},
    {"霓虹", "都市", "街角", "咖啡", "高楼", "晨跑", "夜班", "地铁", "江畔", "楼台"},
    {"迷雾", "暗影", "夜半", "古宅", "无声", "镜中", "谜案", "寒夜", "密室", "回声"},
    {"剧本", "镜头", "副本", "幕后", "荧幕", "关卡", "片场", "主角", "彩蛋", "落幕"},
    {"星际", "量子", "深空", "机甲", "光年", "火星", "时空", "银河", "虫洞", "蓝星"},
    {"山河", "旧梦", "书斋", "古道", "清风", "秋水", "竹林", "兰亭", "茶经", "诗心"},
    {"布衣", "匠心", "远行", "师者", "学者", "画师", "医者", "乐人", "行者", "先生"},
}};
const std::array<const char*, 5> TitleEndings = {"记", "传", "录", "志", "谣"};
const std::array<const char*, 10> Authors = {"青禾", "木子", "南山客", "白云生", "林间鹿",
                                             "沈一舟", "苏小念", "陈默", "风起时", "墨色"};

const std::string NotFoundWording = "没有找到您要访问的页面";

struct ListingRequest {
    int row;   // 1 to 11
    int page;
};

// "…/txt/<folder>/Soft_<code>_<page>.htm" on any host.
std::optional<ListingRequest> ParseListingAddress(const std::string& address)
{
    const auto txt = address.find("/txt/");
    if (txt == std::string::npos)
        return std::nullopt;
    const std::string path = address.substr(txt + 5);
    for (std::size_t row = 0; row < CategoryTable.size(); ++row) {
        const Category& category = CategoryTable[row];
        const std::string prefix = category.Folder + "/" + category.Tag;
        if (path.rfind(prefix, 0) != 0 || path.size() < prefix.size() + 5 || !path.ends_with(".htm"))
            continue;
        const char* first = path.data() + prefix.size();
        const char* last = path.data() + path.size() - 4;
        int page = 0;
        const auto [end, error] = std::from_chars(first, last, page);
        if (error == std::errc() && end == last)
            return ListingRequest{static_cast<int>(row) + 1, page};
    }
    return std::nullopt;
}

std::string Pager(const Category& category, int pages)
{
    std::string pager;
    for (int page = 1; page <= pages; ++page)
        pager += "<a href=\"" + category.Tag + std::to_string(page) + ".htm\">" + std::to_string(page) + "</a> ";
    return pager;
}

// A book's pages and text: "…/<dir>/<folder>/<code><1000 + number><extension>" on any host.
struct BookAddress {
    int row;     // 1 to 11
    int number;  // from 0, in the order of the category's listing
};

std::string BookPath(const Category& category, const std::string& dir, int number, const std::string& extension)
{
    return dir + category.Folder + "/" + category.Code + std::to_string(1000 + number) + extension;
}

std::string TextPath(const Category& category, int number)
{
    return BookPath(category, "/down/", number, ".txt");
}

std::string ListingPath(const Category& category, int number)
{
    return "/txt/" + category.Folder + "/" + category.Tag + std::to_string(number / BooksPerPage + 1) + ".htm";
}

std::optional<BookAddress> ParseBookAddress(const std::string& address, const std::string& dir,
                                            const std::string& extension)
{
    const auto at = address.find(dir);
    if (at == std::string::npos || !address.ends_with(extension))
        return std::nullopt;
    const std::string path = address.substr(at + dir.size());
    for (std::size_t row = 0; row < CategoryTable.size(); ++row) {
        const Category& category = CategoryTable[row];
        const std::string prefix = category.Folder + "/" + category.Code;
        if (path.rfind(prefix, 0) != 0)
            continue;
        const char* first = path.data() + prefix.size();
        const char* last = path.data() + path.size() - extension.size();
        int code = 0;
        const auto [end, error] = std::from_chars(first, last, code);
        const int number = code - 1000;
        if (error == std::errc() && end == last && last - first == 4 && number >= 0
            && number < SamplePageCount(static_cast<int>(row) + 1) * BooksPerPage)
            return BookAddress{static_cast<int>(row) + 1, number};
    }
    return std::nullopt;
}

// Every third book's link goes through a separate download page.
bool ThroughDownloadPage(int number)
{
    return number % 3 == 2;
}

std::uint64_t Seed(const BookAddress& address)
{
    return static_cast<std::uint64_t>(address.row) * 1000 + static_cast<std::uint64_t>(address.number);
}

std::string PageHead(const std::string& title)
{
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"><title>" + title
           + "</title></head>\n<body>\n";
}

std::string ListingPage(const ListingRequest& request)
{
    const Category& category = CategoryTable[static_cast<std::size_t>(request.row - 1)];
    const int pages = SamplePageCount(request.row);
    std::string books;
    for (int i = 0; i < BooksPerPage; ++i) {
        const int number = (request.page - 1) * BooksPerPage + i;
        const SampleBook book = SampleBookAt(request.row, number);
        books += "<li><a href=\"" + BookPath(category, "/txt/", number, ".htm") + "\" target=\"_blank\">" + book.title
                 + "</a>　作者：" + book.author + "　大小：" + book.size + "</li>\n";
    }
    return ToGbk("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"><title>")
           + category.Caption
           + ToGbk("</title></head>\n<body>\n<ul class=\"pager\"><li class=\"p_total\">" + std::to_string(pages)
                   + "页</li></ul>\n<div id=\"catalog\"><ul>\n" + books + "</ul></div>\n<div id=\"pages\">"
                   + Pager(category, pages) + "</div>\n</body></html>\n");
}

// A book's own page: what the listing shows of it, an introduction and the link
// on towards its text, straight or through the download page.
std::string BookPage(const BookAddress& address)
{
    const Category& category = CategoryTable[static_cast<std::size_t>(address.row - 1)];
    const SampleBook book = SampleBookAt(address.row, address.number);
    const std::string next = ThroughDownloadPage(address.number) ? BookPath(category, "/down/", address.number, ".htm")
                                                                  : TextPath(category, address.number);
    return ToGbk(PageHead(book.title) + "<p><a href=\"/\">首页</a> &gt; <a href=\""
                 + ListingPath(category, address.number) + "\">")
           + category.Caption
           + ToGbk("</a></p>\n<h1>" + book.title + "</h1>\n<p>作者：" + book.author + "</p>\n<p>大小：" + book.size
                   + "</p>\n<div class=\"intro\"><p>")
           + SampleIntroduction(Seed(address))
           + ToGbk("</p></div>\n<p class=\"download\"><a href=\"" + next + "\">TXT下载</a></p>\n</body></html>\n");
}

std::string DownloadPage(const BookAddress& address)
{
    const Category& category = CategoryTable[static_cast<std::size_t>(address.row - 1)];
    const SampleBook book = SampleBookAt(address.row, address.number);
    return ToGbk(PageHead(book.title + " TXT下载") + "<p><a href=\"" + BookPath(category, "/txt/", address.number, ".htm")
                 + "\">返回《" + book.title + "》</a></p>\n<p>下载地址：<a href=\"" + TextPath(category, address.number)
                 + "\">" + book.title + ".txt</a>（" + book.size + "）</p>\n</body></html>\n");
}

CannedResponse BookText(const BookAddress& address)
{
    return {200,
            SampleBookText(address.row, address.number),
            {{"Content-Type", "text/plain"},
             {"ETag", "\"sample-" + std::to_string(address.row) + "-" + std::to_string(address.number) + "\""}}};
}

}  // namespace

int SamplePageCount(int row)
{
    return 3 + row % 3;
}

SampleBook SampleBookAt(int row, int number)
{
    // Between 1.0 and 9.9 MiB, in tenths.
    const int tenths = 10 * (1 + (number * 7) % 9) + (number * 3) % 10;
    return {std::string(TitleOpenings[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(number % 10)])
                + TitleEndings[static_cast<std::size_t>(number / 10 % 5)],
            Authors[static_cast<std::size_t>(number % 10)],
            std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "MB",
            (std::uint64_t{1} << 20) * static_cast<std::uint64_t>(tenths) / 10};
}

std::string SampleBookText(int row, int number)
{
    const SampleBook book = SampleBookAt(row, number);
    return SampleNovelText(book.title, book.author, Seed({row, number}), book.bytes);
}

CannedResponse SampleCataloguePage(const std::string& address)
{
    const auto request = ParseListingAddress(address);
    if (request && request->page >= 1 && request->page <= SamplePageCount(request->row))
        return {200, ListingPage(*request), {{"Content-Type", "text/html; charset=gb2312"}}};
    if (const auto book = ParseBookAddress(address, "/txt/", ".htm"))
        return {200, BookPage(*book), {{"Content-Type", "text/html; charset=gb2312"}}};
    if (const auto book = ParseBookAddress(address, "/down/", ".htm"); book && ThroughDownloadPage(book->number))
        return {200, DownloadPage(*book), {{"Content-Type", "text/html; charset=gb2312"}}};
    if (const auto book = ParseBookAddress(address, "/down/", ".txt"))
        return BookText(*book);
    return {404,
            ToGbk("<html><head><title>404 Not Found</title></head><body><p>" + NotFoundWording + "</p></body></html>"),
            {}};
}
