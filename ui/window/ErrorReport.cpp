#include "ui/window/ErrorReport.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "ui/GbkText.h"

QString ApplicationTitleOf(const QString& executableFileName)
{
    const QString name = executableFileName.section(u'.', 0, 0);
    return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle()
{
    return ApplicationTitleOf(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

void ShowErrorReport(const std::string& message)
{
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), GbkToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
