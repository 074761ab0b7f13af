#pragma once

// A shown listing pane for each test, and ways to wait for it and look into it.

#include <gtest/gtest.h>

#include <QString>
#include <QVariant>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "navigation/ListingPane.h"
#include "ui/pane/TWebBrowser.h"

// Dispatches events until condition holds; false when it still does not after a
// deadline that is only there so that a fault fails instead of hanging.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(30));

// A pane of its own, shown.
std::unique_ptr<TWebBrowser> ShownPane();

// The value of script in the program's script world of the pane's current document;
// fails the test when no answer comes.
QVariant Evaluate(TWebBrowser& pane, const QString& script);
QString BodyHtml(TWebBrowser& pane);
QString BodyText(TWebBrowser& pane);

// The connection notice's text as the pane shows it.
extern const QString NoticeText;

// How the window hands the navigator its pane.
class PaneAdapter : public ListingPane {
public:
    explicit PaneAdapter(TWebBrowser& pane) : pane_(pane) {}
    void ShowListingHtml(const std::string& fragment) override;
    void ShowConnectionNotice() override;

private:
    TWebBrowser& pane_;
};

// A shown pane, with the navigation state empty around each test.
class PaneTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TWebBrowser> pane;
};
