#include "tests/window/WindowTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QTest>

#include <algorithm>
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

void ClickLink(TWebBrowser& pane, int index)
{
    const auto centre = std::make_shared<std::optional<QPoint>>();
    pane.RunScript(QStringLiteral("(function() { const r = document.querySelectorAll('a')[%1].getBoundingClientRect();"
                                  " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                       .arg(index),
                   [centre](const QVariant& value) {
                       const QVariantList xy = value.toList();
                       if (xy.size() == 2)
                           *centre = QPoint(qRound(xy[0].toDouble()), qRound(xy[1].toDouble()));
                   });
    if (!QTest::qWaitFor([&] { return centre->has_value(); }, Deadline)) {
        ADD_FAILURE() << "the pane shows no link " << index;
        return;
    }
    // The engine takes input through the view's focus proxy.
    QWidget* input = pane.focusProxy() ? pane.focusProxy() : &pane;
    QTest::mouseClick(input, Qt::LeftButton, {}, **centre);
}

ModalBoxCloser::ModalBoxCloser(QMessageBox::StandardButton answer)
{
    timer_.callOnTimeout([this, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QList<QAbstractButton*> buttons = box->buttons();
        std::sort(buttons.begin(), buttons.end(),
                  [](const QAbstractButton* a, const QAbstractButton* b) { return a->x() < b->x(); });
        QStringList captions;
        for (const QAbstractButton* button : buttons)
            captions << button->text();
        seen.push_back({box->windowTitle(), box->icon(), box->text(), box->standardButtons(), captions});
        if (QAbstractButton* button = box->button(answer))
            button->click();
        else
            QTest::keyClick(box, Qt::Key_Escape);
    });
    timer_.start(0);
}

UrlRecorder::UrlRecorder()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
}

UrlRecorder::~UrlRecorder()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void UrlRecorder::Open(const QUrl& url)
{
    opened.push_back(url);
}

void WindowTest::SetUp()
{
    CatalogueFixture::SetUp();
    ASSERT_TRUE(home.isValid());
    savedHome_ = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    // The desktop's folders are read from the home's own settings, which it has none of.
    qunsetenv("XDG_CONFIG_HOME");
    server.SetFallback([](const std::string& address) { return CannedResponse{200, ListingPageFor(address), {}}; });
    downloads = std::make_unique<BookDownloads>();
    form = std::make_unique<TForm1>(*downloads);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
}

void WindowTest::TearDown()
{
    form.reset();
    downloads.reset();
    qputenv("HOME", savedHome_);
    CatalogueFixture::TearDown();
}

QString WindowTest::DownloadFolder() const
{
    return home.filePath(QStringLiteral("Downloads"));
}

QString WindowTest::StatusFor(int page)
{
    return QString::fromUtf8("当前第 %1 页   共  5   页").arg(page);
}
