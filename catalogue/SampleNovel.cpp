#include "catalogue/SampleNovel.h"

#include <array>
#include <vector>

#include "catalogue/Gbk.h"

namespace {

// The vocabulary, written in UTF-8 and held in GBK so that a book is assembled
// by appending bytes alone.
struct Words {
    std::vector<std::string> list;

    explicit Words(std::initializer_list<const char*> utf8)
    {
        for (const char* word : utf8)
            list.push_back(ToGbk(word));
    }
};

struct Vocabulary {
    Words names{"萧云", "林婉儿", "陆沉", "苏瑶", "顾长风", "沈清秋", "老掌柜", "白衣少年", "那位道长", "小师妹"};
    Words times{"清晨", "夜深时", "片刻之后", "那一年", "第二天", "黄昏时分", "雨停之后", "三更天"};
    Words actions{"独自走进了", "缓缓登上了", "悄悄离开了", "再一次回到了", "站在", "远远望着", "一路追到了"};
    Words places{"客栈", "城楼", "竹林", "江边", "山门", "长街", "大殿", "后院", "渡口", "书房"};
    Words manners{"低声", "淡淡地", "笑着", "沉声", "忍不住", "轻轻"};
    Words says{"说道", "问道", "答道", "叹道"};
    Words quotes{"你终于来了。", "这件事，我自有分寸。", "天色不早了，我们走吧！", "难道你忘了当年的约定吗？",
                 "不必多说，我明白。", "此去千里，多保重。", "原来如此……", "谁也拦不住我！"};
    Words scenes{"细雨纷飞", "月色如水", "灯火通明", "寂静无声", "落叶满地", "人来人往", "雾气弥漫"};
    Words afterScenes{"远处传来几声钟响", "风里带着淡淡的花香", "只有檐下的风铃轻轻作响", "谁也没有说话",
                      "仿佛什么都不曾发生"};
    Words feelings{"心中一动", "沉默良久", "眉头微皱", "眼眶一热", "不禁一笑"};
    Words thoughts{"想起了多年前的那个约定", "终于明白了师父的用意", "知道这一次再也不能退缩",
                   "暗暗记下了这个名字", "决定明日一早便启程"};
    Words reactions{"摆了摆手", "点了点头", "转身便走", "怔在原地", "握紧了手中的剑"};
    Words chapterWords{"夜雨", "重逢", "旧事", "剑鸣", "归来", "离别", "风波", "初见", "故人", "月下", "迷局", "密信"};
    std::string comma = ToGbk("，");
    std::string period = ToGbk("。");
    std::string colon = ToGbk("：");
    std::string openQuote = ToGbk("“");
    std::string closeQuote = ToGbk("”");
    std::string inside = ToGbk("里");
    std::string indent = ToGbk("　　");
    std::string blank = ToGbk("　");
    std::string chapterOpening = ToGbk("第");
    std::string chapterClosing = ToGbk("章 ");
};

const Vocabulary& Vocab()
{
    static const Vocabulary vocabulary;
    return vocabulary;
}

// splitmix64: small, fast and the same everywhere.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    int Between(int low, int high)
    {
        return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
    }
    const std::string& Pick(const Words& words) { return words.list[Next() % words.list.size()]; }

private:
    std::uint64_t state_;
};

// One sentence of five shapes. Every word is drawn in its own statement, so the
// order of the draws, and the text, is the same whichever compiler built it.
void AppendSentence(std::string& out, Dice& dice)
{
    const Vocabulary& v = Vocab();
    const auto word = [&](const Words& words) { out += dice.Pick(words); };
    switch (dice.Next() % 5) {
    case 0:  // 清晨，萧云独自走进了客栈。
        word(v.times);
        out += v.comma;
        word(v.names);
        word(v.actions);
        word(v.places);
        out += v.period;
        break;
    case 1:  // 林婉儿低声说道：“你终于来了。”
        word(v.names);
        word(v.manners);
        word(v.says);
        out += v.colon;
        out += v.openQuote;
        word(v.quotes);
        out += v.closeQuote;
        break;
    case 2:  // 渡口里细雨纷飞，远处传来几声钟响。
        word(v.places);
        out += v.inside;
        word(v.scenes);
        out += v.comma;
        word(v.afterScenes);
        out += v.period;
        break;
    case 3:  // 陆沉心中一动，想起了多年前的那个约定。
        word(v.names);
        word(v.feelings);
        out += v.comma;
        word(v.thoughts);
        out += v.period;
        break;
    default:  // “原来如此……”老掌柜摆了摆手。
        out += v.openQuote;
        word(v.quotes);
        out += v.closeQuote;
        word(v.names);
        word(v.reactions);
        out += v.period;
        break;
    }
}

// Digits, 十 百 千 and 万, in GBK.
struct NumeralWords {
    std::array<std::string, 10> digits;
    std::array<std::string, 4> units;
    std::string tenThousand;
};

const NumeralWords& Numerals()
{
    static const NumeralWords words = [] {
        NumeralWords gbk;
        const std::array<const char*, 10> digits = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
        const std::array<const char*, 4> units = {"", "十", "百", "千"};
        for (std::size_t i = 0; i < digits.size(); ++i)
            gbk.digits[i] = ToGbk(digits[i]);
        for (std::size_t i = 0; i < units.size(); ++i)
            gbk.units[i] = ToGbk(units[i]);
        gbk.tenThousand = ToGbk("万");
        return gbk;
    }();
    return words;
}

std::string NumeralBelowTenThousand(std::uint64_t n)
{
    const NumeralWords& words = Numerals();
    std::string numeral;
    bool zeroPending = false;
    std::uint64_t scale = 1000;
    for (std::size_t position = 4; position-- > 0; scale /= 10) {
        const std::uint64_t digit = n / scale % 10;
        if (digit == 0) {
            zeroPending = !numeral.empty();
            continue;
        }
        if (zeroPending)
            numeral += words.digits[0];
        zeroPending = false;
        numeral += words.digits[digit] + words.units[position];
    }
    return numeral;
}

// n (from 1) as chapter headings write it: 一, 十二, 一百零五, 一万零一.
std::string ChapterNumeral(std::uint64_t n)
{
    const NumeralWords& words = Numerals();
    if (n >= 10000) {
        const std::uint64_t low = n % 10000;
        return ChapterNumeral(n / 10000) + words.tenThousand
               + (low == 0 ? "" : (low < 1000 ? words.digits[0] : "") + NumeralBelowTenThousand(low));
    }
    // 十二, not 一十二.
    if (n >= 10 && n < 20)
        return NumeralBelowTenThousand(n).substr(words.digits[1].size());
    return NumeralBelowTenThousand(n);
}

}  // namespace

std::string SampleNovelText(const std::string& title, const std::string& author, std::uint64_t seed,
                            std::uint64_t bytes)
{
    const Vocabulary& v = Vocab();
    const std::string ending = ToGbk("\r\n\r\n（全书完）\r\n");
    std::string text = ToGbk("《" + title + "》\r\n作者：" + author + "\r\n\r\n");
    if (text.size() + ending.size() > bytes) {
        text.resize(bytes, ' ');
        return text;
    }
    text.reserve(bytes);

    Dice dice(seed);
    std::uint64_t chapter = 0;
    int paragraphsLeft = 0;
    int sentencesLeft = 0;
    std::string piece;
    for (;;) {
        piece.clear();
        if (paragraphsLeft == 0) {
            ++chapter;
            if (chapter > 1)
                piece += "\r\n";
            piece += v.chapterOpening;
            piece += ChapterNumeral(chapter);
            piece += v.chapterClosing;
            piece += dice.Pick(v.chapterWords);
            piece += dice.Pick(v.chapterWords);
            piece += "\r\n\r\n";
            paragraphsLeft = dice.Between(12, 40);
        }
        if (sentencesLeft == 0) {
            piece += v.indent;
            sentencesLeft = dice.Between(1, 5);
        }
        AppendSentence(piece, dice);
        if (--sentencesLeft == 0) {
            piece += "\r\n";
            --paragraphsLeft;
        }
        if (text.size() + piece.size() + ending.size() > bytes)
            break;
        text += piece;
    }
    // What no whole sentence fills: full-width blanks, and one plain blank for an odd byte.
    const std::uint64_t gap = bytes - text.size() - ending.size();
    for (std::uint64_t i = 0; i < gap / 2; ++i)
        text += v.blank;
    if (gap % 2)
        text += ' ';
    text += ending;
    return text;
}

std::string SampleIntroduction(std::uint64_t seed)
{
    Dice dice(seed);
    std::string introduction;
    for (int sentence = dice.Between(2, 3); sentence > 0; --sentence)
        AppendSentence(introduction, dice);
    return introduction;
}
