#include "download/HtmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstring>

#include "download/Utf8.h"

namespace {

constexpr int ParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;

xmlDoc* Parse(std::string_view bytes, const char* encoding)
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
    // libxml2 takes an int length; pages this large are cut, not refused.
    const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    // An empty buffer gives no document at all; a blank one gives an empty page.
    if (length == 0)
        return htmlReadMemory(" ", 1, nullptr, encoding, ParseOptions);
    return htmlReadMemory(bytes.data(), length, nullptr, encoding, ParseOptions);
}

std::string Text(const xmlNode* node)
{
    xmlChar* content = xmlNodeGetContent(node);
    if (!content)
        return {};
    std::string text = CollapseBlanks(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return text;
}

template <typename Visit>
bool Walk(const xmlNode* node, const Visit& visit)
{
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && visit(node))
            return true;
        if (Walk(node->children, visit))
            return true;
    }
    return false;
}

bool Named(const xmlNode* node, const char* name)
{
    return xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

}  // namespace

HtmlDocument::HtmlDocument(std::string_view bytes, const std::optional<std::string>& encoding)
{
    if (encoding) {
        document_.reset(Parse(bytes, encoding->c_str()));
        if (document_)
            return;
    }
    document_.reset(Parse(bytes, nullptr));
    // A page that declares no charset is the site's own GBK.
    if (!document_ || !document_->encoding)
        document_.reset(Parse(bytes, "GB18030"));
}

std::vector<HtmlDocument::Link> HtmlDocument::Links() const
{
    std::vector<Link> links;
    if (!document_)
        return links;
    Walk(xmlDocGetRootElement(document_.get()), [&](const xmlNode* node) {
        if (Named(node, "a")) {
            if (xmlChar* href = xmlGetProp(node, reinterpret_cast<const xmlChar*>("href"))) {
                links.push_back({reinterpret_cast<const char*>(href), Text(node)});
                xmlFree(href);
            }
        }
        return false;
    });
    return links;
}

std::string HtmlDocument::FirstText(const char* elementName) const
{
    std::string text;
    if (document_)
        Walk(xmlDocGetRootElement(document_.get()), [&](const xmlNode* node) {
            if (!Named(node, elementName))
                return false;
            text = Text(node);
            return true;
        });
    return text;
}
