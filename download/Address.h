#pragma once

#include <optional>
#include <string>

// Addresses as libcurl's URL parser reads them.

// href resolved against base, when the result is an http or https address; blanks
// around href are dropped and characters an address cannot carry are percent-encoded.
std::optional<std::string> ResolveWebAddress(const std::string& base, const std::string& href);

struct AddressParts {
    std::string scheme;  // lower case
    std::string host;    // lower case, with the port when one is given
    std::string path;    // as written, percent-encoded
};

// The parts of an absolute http or https address; nothing for any other.
std::optional<AddressParts> SplitWebAddress(const std::string& address);
