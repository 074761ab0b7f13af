#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/pane/HtmlDocument.h"
#include "ui/pane/LateBoundObject.h"

class PanePage;
class QWebEngineProfile;

// The listing pane's browser control: a web view that shows only documents the
// program writes into it, in a private profile that keeps nothing on disk.
class TWebBrowser : public QWebEngineView {
    Q_OBJECT
public:
    static constexpr int ReadyStateUninitialized = 0;
    static constexpr int ReadyStateLoading = 1;
    static constexpr int ReadyStateComplete = 4;

    explicit TWebBrowser(QWidget* parent = nullptr);
    ~TWebBrowser() override;

    // address is GBK, taken as a browser takes a typed address: blanks and control
    // characters around it and line breaks and tabs inside it do not count. Raises
    // when what is left is no absolute address.
    void Navigate(const std::string& address);
    // Loading from Navigate until that navigation's load has finished, then complete;
    // uninitialised before the first navigation and after the renderer process died.
    int ReadyState() const;
    // The document of the completed navigation; empty before a navigation completes,
    // while the next one is pending and after the renderer process died.
    std::optional<HtmlDocument> Document();
    LateBoundObject OleObject();

    // Runs script in the program's own script world of the current document; result,
    // when given, receives the script's value (none when it threw).
    void RunScript(const QString& script, const std::function<void(const QVariant&)>& result = {});
    // Runs script as soon as the pending navigation's document is there, or at once
    // when none is pending; a navigation started before that drops it. Raises when
    // there is neither a document nor a pending navigation.
    void RunWhenLoaded(const QString& script);

signals:
    // A link the user clicked in the pane, absolute; the pane itself never follows it.
    void LinkActivated(const QUrl& url);

private:
    void LoadFinished();
    void RendererGone();

    QWebEngineProfile* profile_;
    PanePage* page_;
    int readyState_ = ReadyStateUninitialized;
    unsigned navigations_ = 0;
    // Whether the load signals that were already queued when the pending navigation
    // started have been delivered, so that the next loadFinished is that navigation's.
    bool pastEarlierSignals_ = false;
    std::vector<QString> held_;
};
