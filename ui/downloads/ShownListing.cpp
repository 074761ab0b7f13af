#include "ui/downloads/ShownListing.h"

void ShownListing::Show(std::string fragment, std::string address)
{
    fragment_ = std::move(fragment);
    address_ = std::move(address);
    shown_ = true;
}

void ShownListing::Clear()
{
    fragment_.clear();
    address_.clear();
    shown_ = false;
}

std::vector<BookLink> ShownListing::Books() const
{
    return shown_ ? BooksInListing(fragment_, address_) : std::vector<BookLink>{};
}

std::optional<BookLink> ShownListing::BookAt(const QUrl& url) const
{
    for (BookLink& book : Books()) {
        if (QUrl(QString::fromStdString(book.address)) == url)
            return std::move(book);
    }
    return std::nullopt;
}
