#include "ui/pane/TWebBrowser.h"

#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <stdexcept>
#include <utility>

#include "ui/GbkText.h"
#include "ui/pane/PanePage.h"

namespace {

bool IsBlankOrControl(QChar character)
{
    return character.unicode() <= 0x20;
}

// As a browser's address bar parses it: without the blanks and C0 controls around the
// text, and without tabs and line breaks inside it ("about:blank " is about:blank).
QUrl TypedAddress(const std::string& address)
{
    QString text = GbkToQString(address);
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    text = text.mid(begin, end - begin);
    text.remove(QLatin1Char('\t')).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        throw std::runtime_error("cannot navigate the listing pane to \"" + address + "\"");
    return url;
}

}  // namespace

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWebEngineView(parent), profile_(new QWebEngineProfile(this)), page_(new PanePage(profile_, this))
{
    setPage(page_);
    connect(page_, &QWebEnginePage::loadFinished, this, &TWebBrowser::LoadFinished);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this, &TWebBrowser::RendererGone);
    // Queued: whoever handles the link may write the pane anew, which must not happen
    // inside the engine's navigation decision.
    connect(page_, &PanePage::LinkClicked, this, &TWebBrowser::LinkActivated, Qt::QueuedConnection);
}

// The page goes before the profile it lives in.
TWebBrowser::~TWebBrowser()
{
    delete page_;
}

void TWebBrowser::Navigate(const std::string& address)
{
    const QUrl url = TypedAddress(address);
    held_.clear();
    readyState_ = ReadyStateLoading;
    pastEarlierSignals_ = false;
    const unsigned navigation = ++navigations_;
    page_->load(url);
    // The page posts its load signals to itself; this marker queues up behind those
    // that earlier navigations have already posted.
    QMetaObject::invokeMethod(
        page_,
        [this, navigation] {
            if (navigation == navigations_)
                pastEarlierSignals_ = true;
        },
        Qt::QueuedConnection);
}

int TWebBrowser::ReadyState() const
{
    return readyState_;
}

std::optional<HtmlDocument> TWebBrowser::Document()
{
    if (readyState_ != ReadyStateComplete)
        return std::nullopt;
    return HtmlDocument(*this);
}

LateBoundObject TWebBrowser::OleObject()
{
    return LateBoundObject(*this);
}

void TWebBrowser::RunScript(const QString& script, const std::function<void(const QVariant&)>& result)
{
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, result);
}

void TWebBrowser::RunWhenLoaded(const QString& script)
{
    if (readyState_ == ReadyStateLoading)
        held_.push_back(script);
    else if (readyState_ == ReadyStateComplete)
        RunScript(script);
    else
        throw std::runtime_error("the listing pane has no document");
}

// A loadFinished posted before the pending navigation started belongs to an earlier
// one; while the page is still loading, a later load has begun and will report.
void TWebBrowser::LoadFinished()
{
    if (readyState_ != ReadyStateLoading || !pastEarlierSignals_ || page_->isLoading())
        return;
    readyState_ = ReadyStateComplete;
    for (const QString& script : std::exchange(held_, {}))
        RunScript(script);
}

void TWebBrowser::RendererGone()
{
    readyState_ = ReadyStateUninitialized;
    held_.clear();
}
