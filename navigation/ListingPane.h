#pragma once

#include <string>

// What the navigator needs of the pane that shows a listing; the window provides it.
class ListingPane {
public:
    virtual ~ListingPane() = default;
    // Replaces the pane's content by a GBK fragment; raises when it cannot be written.
    virtual void ShowListingHtml(const std::string& fragment) = 0;
    // Replaces the pane's content by the connection-error notice.
    virtual void ShowConnectionNotice() = 0;
};
