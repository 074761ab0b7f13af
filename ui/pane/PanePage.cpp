#include "ui/pane/PanePage.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

PanePage::PanePage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    // Governs the page's own scripts only; the program's scripts run in a world of their own.
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings()->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);

    // Not opening the window: an unhandled request is dropped.
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated())
            emit LinkClicked(request.requestedUrl());
    });
}

// Qt does not consult this for the pane's own loads of about:blank.
bool PanePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (type == NavigationTypeLinkClicked && isMainFrame)
        emit LinkClicked(url);
    return false;
}
