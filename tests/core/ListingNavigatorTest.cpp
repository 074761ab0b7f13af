#include "navigation/ListingNavigator.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "catalogue/Gbk.h"
#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "retrieval/StatusLine.h"
#include "text/StrToInt.h"
#include "tests/support/CatalogueFixture.h"

namespace {

// Records what the navigator shows. The real pane needs a window; its own tests
// cover it.
class RecordingPane : public ListingPane {
public:
    void ShowListingHtml(const std::string& fragment) override
    {
        shown.push_back(fragment);
        if (onShow)
            std::exchange(onShow, nullptr)();
        if (failShow)
            throw std::runtime_error("document cannot be written");
    }
    void ShowConnectionNotice() override { shown.push_back("notice"); }

    std::vector<std::string> shown;
    std::function<void()> onShow;  // runs once, inside the next show
    bool failShow = false;
};

std::string Page(const std::string& folderAndCode, const std::string& page)
{
    return ListingBaseAddress + "/txt/" + folderAndCode + "_" + page + ".htm";
}

class ListingNavigator : public CatalogueFixture {
protected:
    void SetUp() override
    {
        CatalogueFixture::SetUp();
        server.SetFallback([](const std::string& address) { return CannedResponse{200, ListingPageFor(address), {}}; });
    }

    std::function<std::string()> Entry(const std::string& text)
    {
        return [this, text] {
            ++entryReads;
            return text;
        };
    }

    RecordingPane pane;
    int entryReads = 0;
};

TEST_F(ListingNavigator, PageCommandsDoNothingBeforeACategory)
{
    NextPage(pane);
    PreviousPage(pane);
    GoToPage(pane, Entry(""));  // never converted, so no error
    GoToPage(pane, Entry("7"));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(pane.shown.empty());
    EXPECT_EQ(entryReads, 0);
    EXPECT_EQ(CurrentPageNumber, 0);
    EXPECT_EQ(CurrentListingAddress, "");
}

TEST_F(ListingNavigator, EachCategoryLoadsItsFirstPage)
{
    const char* firstPages[] = {
        "Chuanyue/Soft_047", "Young/Soft_009", "Xuanhuan/Soft_011", "Lsjs/Soft_014", "Wuxia/Soft_010",
        "Qinggan/Soft_037", "Kongbu/Soft_012", "Juben/Soft_016", "Huanxiang/Soft_015", "Gdmz/Soft_035",
        "Mrzj/Soft_036",
    };
    for (int row = 1; row <= 11; ++row) {
        server.ClearRequests();
        CurrentPageNumber = 9;
        ChooseCategory(pane, row);
        const std::string address = Page(firstPages[row - 1], "1");
        EXPECT_EQ(server.Requests(), std::vector<std::string>{address}) << row;
        EXPECT_EQ(pane.shown.back(), FragmentFor(address)) << row;
        EXPECT_EQ(CurrentListingAddress, address);
        EXPECT_EQ(CurrentPageNumber, 1);
        EXPECT_EQ(StatusLine, ToGbk("当前第 1 页   共  5   页"));
    }
}

TEST_F(ListingNavigator, StepsThroughPages)
{
    ChooseCategory(pane, 3);  // 玄幻小说
    NextPage(pane);
    NextPage(pane);
    EXPECT_EQ(CurrentPageNumber, 3);
    EXPECT_EQ(CurrentListingAddress, Page("Xuanhuan/Soft_011", "3"));
    PreviousPage(pane);
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{Page("Xuanhuan/Soft_011", "1"),
                                                           Page("Xuanhuan/Soft_011", "2"),
                                                           Page("Xuanhuan/Soft_011", "3"),
                                                           Page("Xuanhuan/Soft_011", "2")}));
    EXPECT_EQ(StatusLine, ToGbk("当前第 2 页   共  5   页"));
    EXPECT_EQ(pane.shown.back(), FragmentFor(Page("Xuanhuan/Soft_011", "2")));
}

TEST_F(ListingNavigator, PreviousStopsAtPageOne)
{
    ChooseCategory(pane, 11);
    NextPage(pane);
    PreviousPage(pane);
    EXPECT_EQ(CurrentPageNumber, 1);
    EXPECT_EQ(CurrentListingAddress, Page("Mrzj/Soft_036", "1"));
    server.ClearRequests();
    PreviousPage(pane);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(CurrentPageNumber, 1);
    EXPECT_EQ(pane.shown.size(), 3u);
}

TEST_F(ListingNavigator, GoesToAnyNumberTheEntryHolds)
{
    ChooseCategory(pane, 5);
    const std::pair<std::string, std::string> cases[] = {{"0", "0"}, {"-3", "-3"}, {"12", "12"}, {"$10", "16"}};
    for (const auto& [entry, page] : cases) {
        server.ClearRequests();
        GoToPage(pane, Entry(entry));
        EXPECT_EQ(server.Requests(), std::vector<std::string>{Page("Wuxia/Soft_010", page)}) << entry;
        EXPECT_EQ(CurrentPageNumber, StrToInt(entry));
        EXPECT_EQ(StatusLine, ToGbk("当前第 " + page + " 页   共  5   页"));
    }
}

TEST_F(ListingNavigator, GoToWithAnInvalidEntryRaisesAndChangesNothing)
{
    ChooseCategory(pane, 5);
    const std::string address = CurrentListingAddress;
    const std::string status = StatusLine;
    server.ClearRequests();
    for (const std::string entry : {"1-2", "-", ""}) {
        try {
            GoToPage(pane, Entry(entry));
            ADD_FAILURE() << "accepted '" << entry << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + entry + "' is not a valid integer value");
        }
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(CurrentPageNumber, 1);
    EXPECT_EQ(CurrentListingAddress, address);
    EXPECT_EQ(StatusLine, status);
    EXPECT_EQ(pane.shown.size(), 1u);
}

TEST_F(ListingNavigator, FailedLoadShowsTheNotice)
{
    ChooseCategory(pane, 2);
    NextPage(pane);
    const std::string status = StatusLine;

    BreakTheProxy();
    ChooseCategory(pane, 7);
    EXPECT_EQ(pane.shown.back(), "notice");
    // The new category's page number is set, but its address never arrived.
    EXPECT_EQ(CurrentPageNumber, 1);
    EXPECT_EQ(CurrentListingAddress, Page("Young/Soft_009", "2"));
    EXPECT_EQ(StatusLine, status);

    NextPage(pane);  // moves page and address together, before the load fails
    EXPECT_EQ(pane.shown.back(), "notice");
    EXPECT_EQ(CurrentPageNumber, 2);
    EXPECT_EQ(CurrentListingAddress, Page("Young/Soft_009", "2"));

    MendTheProxy();
    server.ClearRequests();
    NextPage(pane);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{Page("Young/Soft_009", "3")});
    EXPECT_EQ(pane.shown.back(), FragmentFor(Page("Young/Soft_009", "3")));
}

TEST_F(ListingNavigator, FailedShowShowsTheNotice)
{
    pane.failShow = true;
    ChooseCategory(pane, 4);
    EXPECT_EQ(pane.shown, (std::vector<std::string>{FragmentFor(Page("Lsjs/Soft_014", "1")), "notice"}));
    EXPECT_EQ(CurrentListingAddress, Page("Lsjs/Soft_014", "1"));
}

TEST_F(ListingNavigator, ACommandNestedInTheShowRedirectsTheRest)
{
    ChooseCategory(pane, 1);
    // The pane's wait lets another click in: a choice of row 5 while page 2 of row 1 is shown.
    pane.onShow = [this] { ChooseCategory(pane, 5); };
    server.ClearRequests();
    NextPage(pane);
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{Page("Chuanyue/Soft_047", "2"),
                                                           Page("Wuxia/Soft_010", "1"),
                                                           Page("Wuxia/Soft_010", "2")}));
    EXPECT_EQ(CurrentPageNumber, 2);
    EXPECT_EQ(CurrentListingAddress, Page("Wuxia/Soft_010", "2"));
    EXPECT_EQ(pane.shown.back(), FragmentFor(Page("Wuxia/Soft_010", "2")));
}

}  // namespace
