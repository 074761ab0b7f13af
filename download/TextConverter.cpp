#include "download/TextConverter.h"

#include <cerrno>
#include <stdexcept>

TextConverter::TextConverter(const std::string& from, const std::string& to)
    : iconv_(iconv_open(to.c_str(), from.c_str()))
{
    if (iconv_ == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no conversion from " + from + " to " + to);
}

TextConverter::~TextConverter()
{
    iconv_close(iconv_);
}

bool TextConverter::Convert(std::string_view bytes, std::string& out)
{
    if (carry_.empty())
        return Run(bytes, out);
    // A carried character is at most a few bytes; join it with the start of this piece.
    std::string joined = std::move(carry_) + std::string(bytes);
    carry_.clear();
    return Run(joined, out);
}

bool TextConverter::Run(std::string_view bytes, std::string& out)
{
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        const std::size_t start = out.size();
        // Room for most conversions at once; iconv says E2BIG when it needs more.
        out.resize(start + inLeft * 2 + 16);
        char* next = out.data() + start;
        std::size_t outLeft = out.size() - start;
        const std::size_t result = iconv(iconv_, &in, &inLeft, &next, &outLeft);
        const int error = errno;
        out.resize(static_cast<std::size_t>(next - out.data()));
        if (result != static_cast<std::size_t>(-1))
            break;
        if (error == EINVAL) {
            carry_.assign(in, inLeft);
            return true;
        }
        if (error != E2BIG)
            return false;
    }
    return true;
}

bool TextConverter::Finish(std::string& out)
{
    if (!carry_.empty())
        return false;
    std::size_t outLeft = 32;
    const std::size_t start = out.size();
    out.resize(start + outLeft);
    char* next = out.data() + start;
    const bool done = iconv(iconv_, nullptr, nullptr, &next, &outLeft) != static_cast<std::size_t>(-1);
    out.resize(static_cast<std::size_t>(next - out.data()));
    return done;
}
