#pragma once

#include <stdexcept>
#include <string>

// A file of a book that could not be created, written or committed; what() is the
// reason as the reader is told it, with the system's own words.
class WriteFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "写入失败：" and the system's words for the error number.
[[noreturn]] void ThrowWriteFailure(int error);
