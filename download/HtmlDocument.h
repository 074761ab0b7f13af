#pragma once

#include <libxml/HTMLparser.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An HTML page as libxml2's HTML parser reads it, whatever its markup.
class HtmlDocument {
public:
    // Parses bytes in encoding (an iconv name). Without one, the charset the page
    // declares is used, and GB18030 (which GBK pages are) when it declares none.
    HtmlDocument(std::string_view bytes, const std::optional<std::string>& encoding);

    struct Link {
        std::string href;  // as written, UTF-8
        std::string text;  // UTF-8, blanks collapsed and trimmed
    };
    // The <a href> elements in document order.
    std::vector<Link> Links() const;
    // The text of the first element of this name, blanks collapsed; empty when none.
    std::string FirstText(const char* elementName) const;

private:
    struct Deleter {
        void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
    };
    std::unique_ptr<xmlDoc, Deleter> document_;
};
