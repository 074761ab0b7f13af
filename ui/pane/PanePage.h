#pragma once

#include <QUrl>
#include <QWebEnginePage>

// The page inside the listing pane. Page scripts, local file access and new windows
// are off, and it refuses every navigation that the page itself starts: a link the
// user clicks (also one aimed at another window) is reported with LinkClicked
// instead of followed.
class PanePage : public QWebEnginePage {
    Q_OBJECT
public:
    PanePage(QWebEngineProfile* profile, QObject* parent);

signals:
    void LinkClicked(const QUrl& address);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};
