#pragma once

#include <string_view>

// The site's markers in its listing pages, matched as exact bytes (GBK where Chinese).
inline constexpr std::string_view TotalCountMarker = "<li class=\"p_total\">";
inline constexpr std::string_view PageWord = "\xD2\xB3";  // 页
inline constexpr std::string_view ListStartMarker = "<div id=\"catalog\">";
inline constexpr std::string_view ListEndMarker = "<div id=\"pages\">";
inline constexpr std::string_view NotFoundWording =  // 没有找到您要访问的页面
    "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC4\xFA\xD2\xAA\xB7\xC3\xCE\xCA\xB5\xC4\xD2\xB3\xC3\xE6";

// Link targets "_blank" become "_11111" in everything shown: the same length, so
// every position in the page stays where it was.
inline constexpr std::string_view Blank = "blank";
inline constexpr std::string_view BlankReplacement = "11111";
