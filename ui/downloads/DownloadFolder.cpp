#include "ui/downloads/DownloadFolder.h"

#include <QDir>
#include <QStandardPaths>

std::filesystem::path DesktopDownloadFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/Downloads");
    return std::filesystem::path(folder.toStdString());
}
