#pragma once

// What the window's tests need around a real TForm1: the loopback catalogue behind
// the test proxy, the pane's text, the message boxes that come up, the addresses
// handed to the desktop's web browser, a home folder of the test's own.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <vector>

#include "tests/support/CatalogueFixture.h"
#include "ui/downloads/BookDownloads.h"
#include "ui/window/Unit1.h"

// The plain text of the document the pane shows.
QString PaneText(TWebBrowser& pane);
// Waits until the pane's text contains text; false after a generous deadline.
bool PaneShows(TWebBrowser& pane, const QString& text);
// Clicks the middle of the index-th link the pane shows (from 0), as the user would.
void ClickLink(TWebBrowser& pane, int index);

// Every message box that comes up while it lives is recorded and answered with the
// given button, or closed with Escape when it has none.
class ModalBoxCloser {
public:
    struct Box {
        QString title;
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
        QStringList captions;  // of its buttons, from left to right
    };

    explicit ModalBoxCloser(QMessageBox::StandardButton answer = QMessageBox::Ok);
    std::vector<Box> seen;

private:
    QTimer timer_;
};

// Stands in for the desktop's web browser while it lives.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    UrlRecorder();
    ~UrlRecorder() override;
    std::vector<QUrl> opened;

public slots:
    void Open(const QUrl& url);
};

// A shown TForm1 on a fresh start, with the site's address routed to server, which
// answers every address with ListingPageFor it, and HOME in a temporary folder, so
// that books go to its Downloads.
class WindowTest : public CatalogueFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The status line as the window shows it for a page of those listings.
    static QString StatusFor(int page);
    // Where the program puts books: Downloads in the temporary home.
    QString DownloadFolder() const;

    QTemporaryDir home;
    std::unique_ptr<BookDownloads> downloads;
    std::unique_ptr<TForm1> form;

private:
    QByteArray savedHome_;
};
