#include "catalogue/Gbk.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

std::string ToGbk(const std::string& utf8)
{
    const std::unique_ptr<void, int (*)(iconv_t)> cd(iconv_open("GBK", "UTF-8"), iconv_close);
    if (cd.get() == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no GBK converter");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd.get(), &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1))
        throw std::runtime_error("text not representable in GBK: " + utf8);
    out.resize(out.size() - outLeft);
    return out;
}
