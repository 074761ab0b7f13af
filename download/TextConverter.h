#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

// Strict, lossless conversion between two encodings with iconv, piece by piece: a
// character split between pieces is carried over, and anything that does not
// decode fails the conversion instead of being dropped or replaced.
class TextConverter {
public:
    // Raises std::runtime_error when iconv knows either encoding not.
    TextConverter(const std::string& from, const std::string& to);
    ~TextConverter();
    TextConverter(const TextConverter&) = delete;
    TextConverter& operator=(const TextConverter&) = delete;

    // Appends the conversion of bytes to out; false when they do not decode.
    bool Convert(std::string_view bytes, std::string& out);
    // False when the text ended inside a character.
    bool Finish(std::string& out);

private:
    bool Run(std::string_view bytes, std::string& out);

    iconv_t iconv_;
    std::string carry_;
};
