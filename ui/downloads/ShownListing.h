#pragma once

#include <QUrl>

#include <optional>
#include <string>
#include <vector>

#include "download/ListingBooks.h"

// The listing the pane shows now, kept as it was written, so that its books can be
// found when the reader asks for them: a click on a link, the download button. The
// books are read from it only then, which keeps showing a listing as fast as before.
class ShownListing {
public:
    // fragment is GBK, address the listing page's, which its relative links resolve against.
    void Show(std::string fragment, std::string address);
    // The pane shows no listing.
    void Clear();
    bool IsShown() const { return shown_; }

    std::vector<BookLink> Books() const;
    // The book the pane's link to url stands for; nothing when url is no book of the listing.
    std::optional<BookLink> BookAt(const QUrl& url) const;

private:
    bool shown_ = false;
    std::string fragment_;
    std::string address_;
};
