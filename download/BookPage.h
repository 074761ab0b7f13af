#pragma once

#include <optional>
#include <string>
#include <string_view>

// What a book's HTML page offers on the way to its text file.
struct BookPage {
    std::string heading;  // the first <h1>, UTF-8; empty when none
    std::string title;    // the <title>, UTF-8; empty when none
    // The first http(s) link whose path ends in ".txt" (any case).
    std::optional<std::string> textFile;
    // The first http(s) link whose text holds "下载", leading to a download page.
    std::optional<std::string> downloadPage;
};

// Reads a page fetched from address. encoding is the charset the server named,
// if any; else the page's own declaration, else GBK, decides.
BookPage ReadBookPage(std::string_view html, const std::string& address, const std::optional<std::string>& encoding);
