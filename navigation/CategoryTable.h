#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "navigation/ListingBaseAddress.h"

struct Category {
    std::string Caption;  // GBK, as on its button
    std::string Folder;
    std::string Code;     // three digits
    std::string Tag;      // "Soft_" + code + "_": recognises the category in an address
};

// The eleven categories, in the order of their buttons from top to bottom.
extern const std::array<Category, 11> CategoryTable;

// ListingBaseAddress + "/txt/" + folder + "/Soft_" + code + "_" + page + ".htm"
std::string ListingAddress(const Category& category, std::int32_t page);
