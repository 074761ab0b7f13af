#pragma once

#include <QDialog>

#include <vector>

#include "download/ListingBooks.h"

class BookDownloads;
class QListWidget;
class TsuiButton;

// "下载本页图书": the books of the listing shown, each with a check box, all ticked.
// 全选 and 全不选 tick and clear them all; 确定, the default button (Enter), takes
// the ticked ones, 取消 none.
class BookPicker : public QDialog {
    Q_OBJECT

public:
    BookPicker(std::vector<BookLink> books, QWidget& parent);

    // The ticked books, in the listing's order.
    std::vector<BookLink> Ticked() const;

private:
    void TickAll(bool ticked);

    std::vector<BookLink> books_;
    QListWidget* list_;
};

// Opens a picker over parent, window-modal, that hands the books the reader takes to
// downloads; it goes away by itself.
void PickBooksToDownload(QWidget& parent, std::vector<BookLink> books, BookDownloads& downloads);
