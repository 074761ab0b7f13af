#include "navigation/CategoryTable.h"

#include "text/TextHelpers.h"

namespace {

Category Row(std::string caption, std::string folder, std::string code)
{
    std::string tag = "Soft_" + code + "_";
    return {std::move(caption) + "   ", std::move(folder), std::move(code), std::move(tag)};
}

}  // namespace

// Captions in GBK. Several folders do not translate their captions; each caption
// goes with the folder and code of its own row.
const std::array<Category, 11> CategoryTable = {
    Row("\xB4\xA9\xD4\xBD\xD0\xA1\xCB\xB5", "Chuanyue", "047"),   // 穿越小说
    Row("\xD1\xD4\xC7\xE9\xD0\xA1\xCB\xB5", "Young", "009"),      // 言情小说
    Row("\xD0\xFE\xBB\xC3\xD0\xA1\xCB\xB5", "Xuanhuan", "011"),   // 玄幻小说
    Row("\xC0\xFA\xCA\xB7\xBC\xDC\xBF\xD5", "Lsjs", "014"),       // 历史架空
    Row("\xCE\xE4\xCF\xC0\xCF\xC9\xCF\xC0", "Wuxia", "010"),      // 武侠仙侠
    Row("\xCF\xD6\xB4\xFA\xB6\xBC\xCA\xD0", "Qinggan", "037"),    // 现代都市
    Row("\xBE\xAA\xE3\xA4\xD0\xFC\xD2\xC9", "Kongbu", "012"),     // 惊悚悬疑
    Row("\xD3\xB0\xCA\xD3\xD3\xCE\xCF\xB7", "Juben", "016"),      // 影视游戏
    Row("\xBF\xC6\xBB\xC3\xD0\xA1\xCB\xB5", "Huanxiang", "015"),  // 科幻小说
    Row("\xB9\xC5\xB5\xE4\xC3\xFB\xD6\xF8", "Gdmz", "035"),       // 古典名著
    Row("\xC3\xFB\xC8\xCB\xB4\xAB\xBC\xC7", "Mrzj", "036"),       // 名人传记
};

std::string ListingAddress(const Category& category, std::int32_t page)
{
    return ListingBaseAddress + "/txt/" + category.Folder + "/Soft_" + category.Code + "_" + Decimal(page)
           + ".htm";
}
