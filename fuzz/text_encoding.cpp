// Encoding detection and strict conversion on arbitrary bytes, fed in pieces whose
// size the input's first byte chooses. A detector that stops being fed once it
// says it has settled decides as one fed everything; a verdict of UTF-8 holds only
// for valid UTF-8; and converting in pieces gives what converting at once gives,
// success and failure alike.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "download/EncodingDetector.h"
#include "download/TextConverter.h"
#include "download/Utf8.h"

namespace {

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

bool IsValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const auto character = DecodeUtf8(text);
        if (!character)
            return false;
        text.remove_prefix(character->length);
    }
    return true;
}

bool Convert(const std::string& from, std::string_view bytes, std::size_t piece, std::string& out)
{
    TextConverter converter(from, "UTF-8");
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        if (!converter.Convert(bytes.substr(at, piece), out))
            return false;
    return converter.Finish(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0] % 16 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    EncodingDetector detector, hasty;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        detector.Feed(bytes.substr(at, piece));
        if (!hasty.Settled())
            hasty.Feed(bytes.substr(at, piece));
    }
    const EncodingDetector::Verdict verdict = detector.Decide();
    const EncodingDetector::Verdict early = hasty.Decide();
    Check(early.candidates == verdict.candidates && early.byteOrderMark == verdict.byteOrderMark);
    Check(verdict.byteOrderMark <= bytes.size());
    if (!verdict.candidates.empty() && verdict.candidates.front() == "UTF-8")
        Check(IsValidUtf8(bytes));

    for (const std::string& source : verdict.candidates) {
        std::string whole, pieces;
        const bool decoded = Convert(source, bytes.substr(verdict.byteOrderMark), bytes.size() + 1, whole);
        Check(Convert(source, bytes.substr(verdict.byteOrderMark), piece, pieces) == decoded);
        if (decoded) {
            Check(pieces == whole);
            Check(IsValidUtf8(whole));
        }
    }
    return 0;
}
