#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "download/BookRequest.h"

// What the command line asks for.
struct CommandLine {
    std::filesystem::path folder = ".";
    SavedEncoding encoding = SavedEncoding::Utf8;
    std::vector<std::string> addresses;  // http or https, in the order given
    bool help = false;
};

// Bad usage; what() says what is wrong in one line.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name. Raises UsageError for an unknown
// option, a missing value, an encoding not known, a --to that is no directory, an
// address that is not http(s), or no address at all (unless help was asked for).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The synopsis, and the whole help text that starts with it.
extern const char* const UsageLine;
extern const std::string UsageText;
