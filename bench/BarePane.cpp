// The floor of start-up and memory: a bare Qt program that shows an empty web view
// of the main window's size. Given a file of UTF-8 HTML, it then navigates to a blank
// document, writes the file into it in one write and prints "written".
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cstdio>

int main(int argc, char** argv)
{
    // The same application set-up as the program's.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);

    QWebEngineView view;
    view.resize(884, 539);
    view.show();

    if (argc > 1) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QString html = QString::fromUtf8(file.readAll());
        QObject::connect(view.page(), &QWebEnginePage::loadFinished, &view, [&view, html](bool ok) {
            if (!ok)
                QApplication::exit(1);
            const QByteArray literal = QJsonDocument(QJsonArray{html}).toJson(QJsonDocument::Compact);
            view.page()->runJavaScript(
                QStringLiteral("document.open(); document.write(%1[0]); document.close(); true")
                    .arg(QString::fromUtf8(literal)),
                QWebEngineScript::ApplicationWorld, [](const QVariant& result) {
                    std::puts(result.toBool() ? "written" : "not written");
                    std::fflush(stdout);
                });
        });
        view.load(QUrl(QStringLiteral("about:blank")));
    }
    return application.exec();
}
