#include "bench/ListingPages.h"

#include <array>

#include "catalogue/Gbk.h"

namespace {

const std::array<const char*, 10> Titles = {"青锋剑心记", "孤剑烟雨传", "江湖夜雨录", "苍山断刀志", "云门侠骨谣",
                                            "飞雪连天记", "剑心通明传", "烟雨江南录", "侠客行路志", "断刀归途谣"};
const std::array<const char*, 10> Authors = {"青禾", "木子", "南山客", "白云生", "林间鹿",
                                             "沈一舟", "苏小念", "陈默", "风起时", "墨色"};

// The site's page up to the book list: head, navigation bar, page total.
std::string PageHead()
{
    std::string navigation;
    for (const char* folder : {"Chuanyue", "Young", "Xuanhuan", "Lsjs", "Wuxia", "Qinggan", "Kongbu", "Juben",
                               "Huanxiang", "Gdmz", "Mrzj"})
        navigation += std::string("<li><a href=\"/txt/") + folder + "/index.htm\" target=\"_blank\">分类</a></li>";
    return ToGbk("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\n<html><head>"
                 "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                 "<title>武侠仙侠 - TXT小说下载</title>"
                 "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/style.css\"></head>\n<body>\n"
                 "<div id=\"top\"><ul class=\"nav\">" + navigation + "</ul></div>\n"
                 "<div class=\"main\"><ul class=\"pager\"><li class=\"p_first\"><a href=\"Soft_010_1.htm\">首页</a></li>"
                 "<li class=\"p_total\">386页</li></ul>\n<div id=\"catalog\"><ul>\n");
}

std::string PageTail()
{
    std::string pager;
    for (int page = 1; page <= 10; ++page)
        pager += "<a href=\"Soft_010_" + std::to_string(page) + ".htm\">" + std::to_string(page) + "</a> ";
    return ToGbk("</ul></div>\n<div id=\"pages\">" + pager + "<a href=\"Soft_010_386.htm\">尾页</a></div>\n"
                 "</div>\n<div id=\"footer\">本站所有小说均来自网友上传，仅供交流学习。</div>\n</body></html>\n");
}

// Entry book of the list, about 330 bytes in GBK.
std::string BookEntry(std::size_t book)
{
    const std::string number = std::to_string(100000 + book);
    const std::string size = std::to_string(1 + book * 7 % 9) + "." + std::to_string(book * 3 % 10) + "MB";
    return ToGbk("<li><span class=\"t\"><a href=\"/txt/Wuxia/010" + number + ".htm\" target=\"_blank\">"
                 + Titles[book % 10] + "</a></span><span class=\"a\">作者：" + Authors[book / 10 % 10]
                 + "</span><span class=\"s\">大小：" + size + "</span><span class=\"d\">2011-05-" + number.substr(4)
                 + "</span>\n<p>简介：少年持剑下山，一路行侠仗义，结识江湖豪杰，卷入门派恩怨与朝堂风云，终成一代宗师。"
                   "<a href=\"/down/010" + number + ".htm\" target=\"_blank\">下载</a></p></li>\n");
}

std::string PageWithList(std::size_t listBytes)
{
    std::string page = PageHead();
    const std::size_t listStart = page.size();
    for (std::size_t book = 0; page.size() - listStart < listBytes; ++book)
        page += BookEntry(book);
    return page + PageTail();
}

}  // namespace

std::string ListingPageOfSize(std::size_t pageBytes)
{
    const std::size_t frame = PageHead().size() + PageTail().size();
    return PageWithList(pageBytes > frame ? pageBytes - frame : 0);
}

std::string ListingPageWithFragment(std::size_t fragmentBytes)
{
    return PageWithList(fragmentBytes);
}
