// Working out a book's encoding and converting it strictly.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/Gbk.h"
#include "download/EncodingDetector.h"
#include "download/TextConverter.h"

namespace {

const std::string Novel =
    "第一章　山雨欲来\r\n\r\n　　青石镇的清晨总是从一声鸡鸣开始。少年推开木门，望着远处的群山，心中默念：“今日，便是出发之时。”\n"
    "　　他背起行囊，沿着小路向东走去……\n";

EncodingDetector::Verdict Detect(const std::string& bytes, std::size_t piece)
{
    EncodingDetector detector;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        detector.Feed(std::string_view(bytes).substr(at, piece));
    return detector.Decide();
}

TEST(EncodingDetection, NamesTheEncodingWhateverThePieces)
{
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> candidates;
        std::size_t mark;
    } cases[] = {
        {"UTF-8", Novel, {"UTF-8"}, 0},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + Novel, {"UTF-8"}, 3},
        {"a UTF-8 mark on what is not UTF-8", "\xEF\xBB\xBF" "a\xF4\xBB\xBF\xBF", {}, 3},
        {"UTF-16LE by its mark", "\xFF\xFE" "a\0", {"UTF-16LE"}, 2},
        {"UTF-16BE by its mark", "\xFE\xFF\0a", {"UTF-16BE"}, 2},
        {"GBK", ToGbk(Novel), {"GB18030"}, 0},
        {"ASCII", "plain text\n", {"UTF-8"}, 0},
        {"UTF-8 cut inside a character", Novel.substr(0, 4), {"GB18030"}, 0},
        {"an overlong sequence", "a\xC0\xAF", {"GB18030"}, 0},
    };
    for (const auto& c : cases)
        for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{4096}}) {
            const EncodingDetector::Verdict verdict = Detect(c.bytes, piece);
            EXPECT_EQ(verdict.candidates, c.candidates) << c.what << ", pieces of " << piece;
            EXPECT_EQ(verdict.byteOrderMark, c.mark) << c.what;
        }
}

std::string Converted(const std::string& from, const std::string& to, const std::string& bytes)
{
    TextConverter converter(from, to);
    std::string out;
    EXPECT_TRUE(converter.Convert(bytes, out) && converter.Finish(out));
    return out;
}

TEST(EncodingDetection, TriesAMultiByteGuessBeforeGb18030)
{
    // Big5 would decode as GB18030 too, into nonsense; uchardet knows it better.
    std::string traditional;
    for (int i = 0; i < 20; ++i)
        traditional += "第一章　山雨欲來\r\n　　青石鎮的清晨總是從一聲雞鳴開始。少年推開木門，望著遠處的群山，心中默念。\n";
    const auto candidates = Detect(Converted("UTF-8", "BIG5", traditional), 4096).candidates;
    EXPECT_EQ(candidates, (std::vector<std::string>{"BIG5", "GB18030"}));
}

std::string ConvertInPieces(const std::string& from, const std::string& to, const std::string& bytes,
                            std::size_t piece, bool& decoded)
{
    TextConverter converter(from, to);
    std::string out;
    decoded = true;
    for (std::size_t at = 0; at < bytes.size() && decoded; at += piece)
        decoded = converter.Convert(std::string_view(bytes).substr(at, piece), out);
    decoded = decoded && converter.Finish(out);
    return out;
}

TEST(TextConversion, IsStrictAndLosslessAcrossPieces)
{
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{65536}}) {
        bool decoded = false;
        EXPECT_EQ(ConvertInPieces("GB18030", "UTF-8", ToGbk(Novel), piece, decoded), Novel);
        EXPECT_TRUE(decoded);
        EXPECT_EQ(ConvertInPieces("UTF-8", "GB18030", Novel, piece, decoded), ToGbk(Novel));
        EXPECT_TRUE(decoded);
        // A lead byte with no trail is no character.
        ConvertInPieces("GB18030", "UTF-8", ToGbk(Novel) + "\x81", piece, decoded);
        EXPECT_FALSE(decoded);
        ConvertInPieces("GB18030", "UTF-8", "ab\x81\x20" "cd", piece, decoded);
        EXPECT_FALSE(decoded);
    }
}

}  // namespace
