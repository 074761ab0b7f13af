#include "navigation/ListingNavigator.h"

#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "retrieval/ListingPageLoader.h"
#include "text/StrToInt.h"
#include "text/TextHelpers.h"

namespace {

// The one guarded sequence of every command. Nothing is retried.
void LoadAndShow(ListingPane& pane, std::string address)
{
    try {
        const std::string fragment = LoadListingPage(address);
        pane.ShowListingHtml(fragment);
    } catch (...) {
        pane.ShowConnectionNotice();
    }
}

// Runs step on every row whose tag is in CurrentListingAddress at that row's turn.
// The address is read afresh for each row: a command nested in the pane's wait may
// have changed it. step returns false to end the whole command.
template <typename Step>
void ForEachMatchingRow(Step step)
{
    for (const Category& row : CategoryTable) {
        if (Find(row.Tag, CurrentListingAddress) > 0 && !step(row))
            return;
    }
}

}  // namespace

void ChooseCategory(ListingPane& pane, int row)
{
    CurrentPageNumber = 1;
    LoadAndShow(pane, ListingAddress(CategoryTable.at(static_cast<std::size_t>(row - 1)), 1));
}

void NextPage(ListingPane& pane)
{
    ForEachMatchingRow([&](const Category& row) {
        // Wraps like the 32-bit integer it is, rather than overflowing.
        CurrentPageNumber = static_cast<std::int32_t>(static_cast<std::uint32_t>(CurrentPageNumber) + 1u);
        CurrentListingAddress = ListingAddress(row, CurrentPageNumber);
        LoadAndShow(pane, CurrentListingAddress);
        return true;
    });
}

void PreviousPage(ListingPane& pane)
{
    ForEachMatchingRow([&](const Category& row) {
        if (CurrentPageNumber <= 1)
            return false;
        --CurrentPageNumber;
        CurrentListingAddress = ListingAddress(row, CurrentPageNumber);
        LoadAndShow(pane, CurrentListingAddress);
        return true;
    });
}

void GoToPage(ListingPane& pane, const std::function<std::string()>& entryText)
{
    ForEachMatchingRow([&](const Category& row) {
        CurrentPageNumber = StrToInt(entryText());
        CurrentListingAddress = ListingAddress(row, CurrentPageNumber);
        LoadAndShow(pane, CurrentListingAddress);
        return true;
    });
}
