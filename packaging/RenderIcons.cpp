// Draws the application icon, the one the title bar shows, into the hicolor
// theme's PNG sizes: <folder>/<size>x<size>/apps/<name>.png. Run by the build.
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

#include "ui/skin/ApplicationIcon.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER ICON-NAME\n", argv[0]);
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString file = apps + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(apps) || !ApplicationIconPixmap(size).save(file, "PNG")) {
            std::fprintf(stderr, "render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
