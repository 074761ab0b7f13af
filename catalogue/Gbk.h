#pragma once

#include <string>

// UTF-8 text as GBK bytes, for pages written in readable source. Raises
// std::runtime_error for text that GBK cannot hold.
std::string ToGbk(const std::string& utf8);
