#pragma once

#include <QUrl>
#include <QWidget>

#include <memory>
#include <string>

#include "navigation/ListingPane.h"
#include "ui/downloads/ShownListing.h"
#include "ui_Unit1.h"

class BookDownloads;
class DownloadsWindow;

// The main window: the category buttons, the paging controls and the status line,
// bound to the listing navigator, around the listing pane WebBrowser1. Its controls
// come from Unit1.ui under their designer names. Books clicked in the pane, or picked
// with the download button, go to the program's downloads, which its downloads
// window shows.
class TForm1 : public QWidget, public Ui_TForm1, public ListingPane {
    Q_OBJECT

public:
    explicit TForm1(BookDownloads& downloads, QWidget* parent = nullptr);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    void ShowListingHtml(const std::string& fragment) override;
    void ShowConnectionNotice() override;

    DownloadsWindow& Downloads() const { return *downloadsWindow_; }

public slots:
    void suiButton1Click();
    void suiButton2Click();
    void suiButton3Click();
    void suiButton4Click();
    void suiButton5Click();
    void suiButton6Click();
    void suiButton7Click();
    void suiButton8Click();
    void suiButton9Click();
    void suiButton10Click();
    void suiButton11Click();
    void suiButton12Click();
    void suiButton13Click();
    void suiButton14Click();
    void suiButton15Click();
    void WebBrowser1LinkActivated(const QUrl& url);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormCloseQuery(bool& CanClose);
    void ChooseCategoryRow(int row);

    BookDownloads& downloads_;
    std::unique_ptr<DownloadsWindow> downloadsWindow_;
    ShownListing shownListing_;
};
