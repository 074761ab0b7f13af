#pragma once

#include <cstdint>
#include <string>

// Address of the listing page last built by a page command or last loaded.
extern std::string CurrentListingAddress;

// Page number the status line reports and the page commands step from.
extern std::int32_t CurrentPageNumber;
