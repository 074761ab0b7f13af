#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A text that is not an integer.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Converts text to a 32-bit signed integer: leading blanks, then one optional "+" or
// "-", then either decimal digits in range or, after "$", "x" or "0x" (x in either
// case), hexadecimal digits taken as a 32-bit pattern ("$FFFFFFFF" is -1). Anything
// else raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(const std::string& text);
