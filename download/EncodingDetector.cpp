#include "download/EncodingDetector.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "download/Utf8.h"

namespace {

// uchardet judges by a sample; the conversion then proves or refutes it on the whole text.
constexpr std::size_t SampleBytes = 256 * 1024;

// What uchardet may name that takes more than one byte a character.
constexpr std::array<std::string_view, 11> MultiByteEncodings{
    "GB18030", "BIG5", "EUC-TW", "EUC-JP", "SHIFT_JIS", "EUC-KR",
    "ISO-2022-JP", "ISO-2022-CN", "ISO-2022-KR", "UTF-16", "UTF-32",
};

// The expected length of the UTF-8 sequence a lead byte opens; 0 for no lead byte.
std::size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// How many bytes at the end of text are an unfinished sequence to carry over;
// validity is checked once the rest has come.
std::size_t UnfinishedTail(std::string_view text)
{
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) != 0x80) {
            const std::size_t length = SequenceLength(byte);
            return length > back ? back : 0;
        }
    }
    return 0;
}

bool IsValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        if (static_cast<unsigned char>(text.front()) < 0x80) {
            text.remove_prefix(1);
            continue;
        }
        const auto character = DecodeUtf8(text);
        if (!character)
            return false;
        text.remove_prefix(character->length);
    }
    return true;
}

}  // namespace

struct EncodingDetector::Chardet {
    uchardet_t handle = uchardet_new();
    ~Chardet() { uchardet_delete(handle); }
};

EncodingDetector::EncodingDetector() : chardet_(std::make_unique<Chardet>()) {}

EncodingDetector::~EncodingDetector() = default;

void EncodingDetector::Feed(std::string_view bytes)
{
    if (start_.size() < 3)
        start_.append(bytes.substr(0, 3 - start_.size()));
    if (sampled_ < SampleBytes && chardet_->handle) {
        const std::string_view sample = bytes.substr(0, SampleBytes - sampled_);
        uchardet_handle_data(chardet_->handle, sample.data(), sample.size());
        sampled_ += sample.size();
    }
    if (!validUtf8_)
        return;
    std::string_view rest = bytes;
    if (!carry_.empty()) {
        // Complete the carried sequence with the first bytes of this piece.
        const std::size_t needed = SequenceLength(static_cast<unsigned char>(carry_[0])) - carry_.size();
        const std::size_t taken = std::min(needed, rest.size());
        carry_.append(rest.substr(0, taken));
        rest.remove_prefix(taken);
        if (taken < needed)
            return;
        validUtf8_ = IsValidUtf8(carry_);
        carry_.clear();
        if (!validUtf8_)
            return;
    }
    const std::size_t tail = UnfinishedTail(rest);
    validUtf8_ = IsValidUtf8(rest.substr(0, rest.size() - tail));
    carry_ = rest.substr(rest.size() - tail);
}

bool EncodingDetector::Settled() const
{
    if (start_.starts_with("\xFF\xFE") || start_.starts_with("\xFE\xFF"))
        return true;
    return !validUtf8_ && (sampled_ >= SampleBytes || !chardet_->handle);
}

EncodingDetector::Verdict EncodingDetector::Decide()
{
    // iconv lets UTF-8 past U+10FFFF through, so the check of our own decides here.
    if (start_.starts_with("\xEF\xBB\xBF"))
        return {validUtf8_ && carry_.empty() ? std::vector<std::string>{"UTF-8"} : std::vector<std::string>{}, 3};
    if (start_.starts_with("\xFF\xFE"))
        return {{"UTF-16LE"}, 2};
    if (start_.starts_with("\xFE\xFF"))
        return {{"UTF-16BE"}, 2};
    if (validUtf8_ && carry_.empty())
        return {{"UTF-8"}, 0};

    Verdict verdict;
    if (chardet_->handle) {
        uchardet_data_end(chardet_->handle);
        std::string named = uchardet_get_charset(chardet_->handle);
        std::transform(named.begin(), named.end(), named.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (named != "GB18030"
            && std::find(MultiByteEncodings.begin(), MultiByteEncodings.end(), named) != MultiByteEncodings.end())
            verdict.candidates.push_back(named);
    }
    verdict.candidates.push_back("GB18030");
    return verdict;
}
