#include "ui/GbkText.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace {

using Converter = std::unique_ptr<void, int (*)(iconv_t)>;

// Code page 936 maps 0x80 to the euro sign, as GBK proper does not.
Converter Open(const char* to, const char* from)
{
    Converter cd(iconv_open(to, from), iconv_close);
    if (cd.get() == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
    return cd;
}

// Converts in, replacing each byte sequence the converter refuses by replacement.
std::string Convert(iconv_t cd, const char* in, std::size_t inLeft, std::size_t unit, const std::string& replacement)
{
    std::string out(inLeft * 4 + 8, '\0');
    std::size_t written = 0;
    while (inLeft > 0) {
        if (out.size() - written < 16)
            out.resize(out.size() * 2);
        char* to = out.data() + written;
        std::size_t outLeft = out.size() - written;
        const std::size_t result = iconv(cd, const_cast<char**>(&in), &inLeft, &to, &outLeft);
        written = out.size() - outLeft;
        if (result != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: an unconvertible or truncated sequence; skip one unit of it.
        out.replace(written, replacement.size(), replacement);
        written += replacement.size();
        in += unit;
        inLeft -= unit;
    }
    out.resize(written);
    return out;
}

}  // namespace

QString GbkToQString(const std::string& gbk)
{
    static const Converter cd = Open("UTF-16LE", "CP936");
    const std::string replacement("\xFD\xFF", 2);  // U+FFFD, little-endian
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    const std::string utf16 = Convert(cd.get(), gbk.data(), gbk.size(), 1, replacement);
    return QString(reinterpret_cast<const QChar*>(utf16.data()), static_cast<qsizetype>(utf16.size() / 2));
}

std::string QStringToGbk(const QString& text)
{
    static const Converter cd = Open("CP936", "UTF-16LE");
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    return Convert(cd.get(), reinterpret_cast<const char*>(text.utf16()), static_cast<std::size_t>(text.size()) * 2,
                   2, "?");
}
