#include "navigation/NavigationState.h"

std::string CurrentListingAddress;
std::int32_t CurrentPageNumber = 0;
