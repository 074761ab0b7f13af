#include "tests/window/WindowTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QTest>

#include <memory>
#include <optional>

namespace {

constexpr int Deadline = 30000;

}  // namespace

QString PaneText(TWebBrowser& pane)
{
    const auto text = std::make_shared<std::optional<QString>>();
    pane.page()->toPlainText([text](const QString& plain) { *text = plain; });
    if (!QTest::qWaitFor([&] { return text->has_value(); }, Deadline))
        ADD_FAILURE() << "the pane did not give its text";
    return text->value_or(QString());
}

bool PaneShows(TWebBrowser& pane, const QString& text)
{
    return QTest::qWaitFor([&] { return PaneText(pane).contains(text); }, Deadline);
}

void ClickFirstLink(TWebBrowser& pane)
{
    const auto centre = std::make_shared<std::optional<QPoint>>();
    pane.RunScript(QStringLiteral("(function() { const r = document.querySelector('a').getBoundingClientRect();"
                                  " return [r.left + r.width / 2, r.top + r.height / 2]; })()"),
                   [centre](const QVariant& value) {
                       const QVariantList xy = value.toList();
                       if (xy.size() == 2)
                           *centre = QPoint(qRound(xy[0].toDouble()), qRound(xy[1].toDouble()));
                   });
    if (!QTest::qWaitFor([&] { return centre->has_value(); }, Deadline)) {
        ADD_FAILURE() << "the pane shows no link";
        return;
    }
    // The engine takes input through the view's focus proxy.
    QWidget* input = pane.focusProxy() ? pane.focusProxy() : &pane;
    QTest::mouseClick(input, Qt::LeftButton, {}, **centre);
}

ModalBoxCloser::ModalBoxCloser()
{
    timer_.callOnTimeout([this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.push_back({box->windowTitle(), box->icon(), box->text(), box->standardButtons()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    });
    timer_.start(0);
}

UrlRecorder::UrlRecorder()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
}

UrlRecorder::~UrlRecorder()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void UrlRecorder::Open(const QUrl& url)
{
    opened.push_back(url);
}

void WindowTest::SetUp()
{
    CatalogueFixture::SetUp();
    server.SetFallback([](const std::string& address) { return CannedResponse{200, ListingPageFor(address), {}}; });
    form = std::make_unique<TForm1>();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

void WindowTest::TearDown()
{
    form.reset();
    CatalogueFixture::TearDown();
}

QString WindowTest::StatusFor(int page)
{
    return QString::fromUtf8("当前第 %1 页   共  5   页").arg(page);
}
