#pragma once

#include <functional>
#include <string>

#include "navigation/ListingPane.h"

// The four commands of the category and paging buttons. Each loads and shows its
// page inside one guard: any failure of the load or of the pane shows the
// connection notice instead.

// row 1 to 11 of CategoryTable.
void ChooseCategory(ListingPane& pane, int row);
void NextPage(ListingPane& pane);
void PreviousPage(ListingPane& pane);
// entryText gives the page entry's current text; it is read, and converted with
// StrToInt outside the guard, for each matching row, so EConvertError escapes.
void GoToPage(ListingPane& pane, const std::function<std::string()>& entryText);
