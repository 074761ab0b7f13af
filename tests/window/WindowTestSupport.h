#pragma once

// What the window's tests need around a real TForm1: the loopback catalogue behind
// the test proxy, the pane's text, the error boxes that come up, the addresses
// handed to the desktop's web browser.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <vector>

#include "tests/support/CatalogueFixture.h"
#include "ui/window/Unit1.h"

// The plain text of the document the pane shows.
QString PaneText(TWebBrowser& pane);
// Waits until the pane's text contains text; false after a generous deadline.
bool PaneShows(TWebBrowser& pane, const QString& text);
// Clicks the middle of the first link the pane shows, as the user would.
void ClickFirstLink(TWebBrowser& pane);

// Every message box that comes up while it lives is recorded and closed with its
// OK button.
class ModalBoxCloser {
public:
    struct Box {
        QString title;
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    ModalBoxCloser();
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
// answers every address with ListingPageFor it.
class WindowTest : public CatalogueFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // The status line as the window shows it for a page of those listings.
    static QString StatusFor(int page);

    std::unique_ptr<TForm1> form;
};
