// The names books are saved under: whatever the title, a name every common file
// system takes, inside the chosen folder.

#include <gtest/gtest.h>

#include <string>

#include "download/BookName.h"
#include "download/Utf8.h"

namespace {

struct NameCase {
    const char* what;
    std::string title;
    std::string name;
};

TEST(BookName, TitlesBecomeSafeNames)
{
    const NameCase cases[] = {
        {"plain Chinese", "青锋记", "青锋记"},
        {"climbing out", "../x", "_x"},
        {"a folder in it", "a/b", "a_b"},
        {"Windows separators and marks", "a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i"},
        {"a reserved device", "CON", "_CON"},
        {"a reserved device in lower case with an extension", "lpt1.txt", "_lpt1.txt"},
        {"not quite a device", "COM10", "COM10"},
        {"a dot", ".", ""},
        {"two dots", "..", ""},
        {"blanks and dots around", " \t. 书名 .\u3000", "书名"},
        {"only blanks", " \u3000 ", ""},
        {"control bytes", "a\x01" "b\x7F" "c\nd", "a_b_c_d"},
        {"invalid UTF-8 (GBK bytes)", "\xC7\xE0\xB7\xE6", "____"},
        {"a cut-off sequence", "书\xE5\x90", "书__"},
        {"blanks inside stay", "a  b", "a  b"},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(BookFileName(c.title), c.name) << c.what;
}

TEST(BookName, LongTitlesAreCutOnACharacterBoundary)
{
    // 100 three-byte characters: 300 bytes.
    std::string title;
    for (int i = 0; i < 100; ++i)
        title += "剑";
    const std::string name = BookFileName(title);
    EXPECT_EQ(name.size(), 198u);
    EXPECT_EQ(CollapseBlanks(name), name);
    for (std::string_view rest = name; !rest.empty();) {
        const auto character = DecodeUtf8(rest);
        ASSERT_TRUE(character);
        rest.remove_prefix(character->length);
    }

    // A cut that leaves a dot or a blank at the end drops it too.
    EXPECT_EQ(BookFileName(std::string(199, 'a') + ". b"), std::string(199, 'a'));
    // A device name that only shows after the cut is still caught.
    EXPECT_EQ(BookFileName("COM1" + std::string(200, ' ') + "x"), "_COM1");
}

TEST(BookName, AddressesNameBooksWithoutATitle)
{
    const struct {
        std::string address;
        std::string name;
    } cases[] = {
        {"http://127.0.0.1:8936/files/%E9%9D%92%E9%94%8B%E8%AE%B0.TXT", "青锋记"},
        {"http://127.0.0.1:8936/files/book.txt?id=3", "book"},
        {"http://127.0.0.1:8936/files/..%2F..%2Fetc.txt", "_.._etc"},
        {"http://127.0.0.1:8936/", "127.0.0.1_8936"},
        {"http://example.test/a/.txt", "example.test"},
        {"not an address", "book"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BookFileNameFromAddress(c.address), c.name) << c.address;
}

}  // namespace
