#include "catalogue/SampleCatalogue.h"

#include <array>
#include <charconv>
#include <optional>

#include "catalogue/Gbk.h"
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

std::string ListingPage(const ListingRequest& request)
{
    const Category& category = CategoryTable[static_cast<std::size_t>(request.row - 1)];
    const int pages = SamplePageCount(request.row);
    std::string books;
    for (int i = 0; i < BooksPerPage; ++i) {
        const int book = (request.page - 1) * BooksPerPage + i;
        const std::string title = std::string(TitleOpenings[static_cast<std::size_t>(request.row - 1)][book % 10])
                                  + TitleEndings[static_cast<std::size_t>(book / 10)];
        const std::string link = "/txt/" + category.Folder + "/" + category.Code + std::to_string(1000 + book) + ".htm";
        const std::string size = std::to_string(1 + (book * 7) % 9) + "." + std::to_string((book * 3) % 10) + "MB";
        books += "<li><a href=\"" + link + "\" target=\"_blank\">" + title + "</a>　作者：" + Authors[book % 10]
                 + "　大小：" + size + "</li>\n";
    }
    return ToGbk("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"><title>")
           + category.Caption
           + ToGbk("</title></head>\n<body>\n<ul class=\"pager\"><li class=\"p_total\">" + std::to_string(pages)
                   + "页</li></ul>\n<div id=\"catalog\"><ul>\n" + books + "</ul></div>\n<div id=\"pages\">"
                   + Pager(category, pages) + "</div>\n</body></html>\n");
}

}  // namespace

int SamplePageCount(int row)
{
    return 3 + row % 3;
}

CannedResponse SampleCataloguePage(const std::string& address)
{
    const auto request = ParseListingAddress(address);
    if (request && request->page >= 1 && request->page <= SamplePageCount(request->row))
        return {200, ListingPage(*request), {{"Content-Type", "text/html; charset=gb2312"}}};
    return {404,
            ToGbk("<html><head><title>404 Not Found</title></head><body><p>" + NotFoundWording + "</p></body></html>"),
            {}};
}
