#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// How a saved book's text is encoded on disk.
enum class SavedEncoding {
    Utf8,      // "utf-8", the default
    Utf8Bom,   // "utf-8-bom"
    Gb18030,   // "gb18030"
    Original,  // "original": the bytes as served
};

// "utf-8", "utf-8-bom", "gb18030" or "original"; nothing for any other name.
std::optional<SavedEncoding> ParseSavedEncoding(std::string_view name);
std::string_view SavedEncodingName(SavedEncoding encoding);

// One book to download: where its link points, what it is called, where it goes.
struct BookRequest {
    std::string address;           // absolute http(s) address of the book's page or text file
    std::string title;             // UTF-8; empty: named from a book page's first <h1>, else its
                                   // <title>, or from the last part of a text file's path
    std::filesystem::path folder;  // the destination folder, which must exist
    SavedEncoding encoding = SavedEncoding::Utf8;
};
