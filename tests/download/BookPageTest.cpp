// Finding the way from a book's page to its text file, and the books of a listing.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "catalogue/Gbk.h"
#include "download/BookPage.h"
#include "download/ListingBooks.h"

namespace {

const std::string PageAddress = "http://127.0.0.1:8936/txt/Wuxia/0101005.htm";

struct HopCase {
    const char* what;
    std::string html;  // UTF-8 here, served as GBK
    std::optional<std::string> textFile;
    std::optional<std::string> downloadPage;
};

TEST(BookPage, FindsTheNextHop)
{
    const HopCase cases[] = {
        {"a relative text link", "<a href='../../down/1.txt'>TXT下载</a>", "http://127.0.0.1:8936/down/1.txt",
         std::nullopt},
        {"an absolute link on another host, any case",
         "<p><a href='/x.htm'>other</a><a href='http://files.example.test/d/Book.TXT?k=1'>get</a>",
         "http://files.example.test/d/Book.TXT?k=1", std::nullopt},
        {"entities in the address", "<a href='/get.php?a=1&amp;f=b.txt'>x</a><a href='/s&#47;b.txt'>y</a>",
         "http://127.0.0.1:8936/s/b.txt", std::nullopt},
        {"a download page first, then the file",
         "<a href='/d/5.htm'>点击下载</a><a href='  /f/5.txt  '>TXT</a>", "http://127.0.0.1:8936/f/5.txt",
         "http://127.0.0.1:8936/d/5.htm"},
        {"a download page only", "<a href='javascript:go()'>下载</a><a href='down.htm'>进入下载页</a>",
         std::nullopt, "http://127.0.0.1:8936/txt/Wuxia/down.htm"},
        {"no way on", "<a href='mailto:a@b.txt'>x.txt</a><a href='file:///etc/a.txt'>下载</a><a>下载</a>",
         std::nullopt, std::nullopt},
        {"a fragment is no file", "<a href='/a.htm#b.txt'>a</a>", std::nullopt, std::nullopt},
    };
    for (const HopCase& c : cases) {
        const BookPage page = ReadBookPage(ToGbk("<html><body>" + c.html + "</body></html>"), PageAddress, std::nullopt);
        EXPECT_EQ(page.textFile, c.textFile) << c.what;
        EXPECT_EQ(page.downloadPage, c.downloadPage) << c.what;
    }
}

TEST(BookPage, ReadsTheHeadingAndTitleInTheDeclaredCharset)
{
    const std::string gbk = ToGbk("<html><head><title> 青锋记 - 书库 </title></head><body><h1>青锋\n记</h1></body></html>");
    const BookPage page = ReadBookPage(gbk, PageAddress, std::nullopt);
    EXPECT_EQ(page.heading, "青锋 记");
    EXPECT_EQ(page.title, "青锋记 - 书库");

    const std::string utf8 = "<html><head><meta charset='utf-8'><title>云中岳</title></head><body></body></html>";
    EXPECT_EQ(ReadBookPage(utf8, PageAddress, std::nullopt).title, "云中岳");
    EXPECT_EQ(ReadBookPage("<title>云中岳</title>", PageAddress, std::string("UTF-8")).title, "云中岳");
    EXPECT_EQ(ReadBookPage("", PageAddress, std::nullopt).heading, "");
}

TEST(ListingBooks, TakesEveryBookOnceInOrder)
{
    const std::string fragment = ToGbk(
        "<div id=\"catalog\"><ul>\n"
        "<li><a href=\"/txt/Wuxia/0101005.htm\" target=\"_11111\">青锋记</a>　作者：某人　大小：3.5MB</li>\n"
        "<li><a href=\"0101006.htm\"> 　云中岳 </a></li>\n"
        "<li><a href=\"/txt/Wuxia/0101005.htm\">青锋记（重复）</a></li>\n"
        "<li><a href=\"/txt/Wuxia/0101007.htm\"></a></li>\n"
        "<li><a href=\"javascript:void(0)\">脚本</a><a href=\"ftp://x/y\">别处</a></li>\n"
        "<li><a href=\"https://other.example.test/b?x=1&amp;y=2\">A &amp; B</a></li>\n"
        "</ul></div>");
    const std::vector<BookLink> books = BooksInListing(fragment, "http://127.0.0.1:8936/txt/Wuxia/Soft_010_1.htm");
    ASSERT_EQ(books.size(), 3u);
    EXPECT_EQ(books[0].address, "http://127.0.0.1:8936/txt/Wuxia/0101005.htm");
    EXPECT_EQ(books[0].title, "青锋记");
    EXPECT_EQ(books[1].address, "http://127.0.0.1:8936/txt/Wuxia/0101006.htm");
    EXPECT_EQ(books[1].title, "云中岳");
    EXPECT_EQ(books[2].address, "https://other.example.test/b?x=1&y=2");
    EXPECT_EQ(books[2].title, "A & B");
    EXPECT_TRUE(BooksInListing("", "http://127.0.0.1:8936/").empty());
}

}  // namespace
