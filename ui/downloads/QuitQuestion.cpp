#include "ui/downloads/QuitQuestion.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "ui/window/ErrorReport.h"

bool QuitWhileDownloading(QWidget& parent, int unfinished)
{
    QMessageBox question(QMessageBox::Question, ApplicationTitle(),
                         QStringLiteral(u"还有 %1 本图书正在下载。退出后可在下次继续下载。确定退出吗？").arg(unfinished),
                         QMessageBox::Yes | QMessageBox::No, &parent);
    question.button(QMessageBox::Yes)->setText(QStringLiteral(u"是"));
    question.button(QMessageBox::No)->setText(QStringLiteral(u"否"));
    question.setDefaultButton(QMessageBox::No);
    question.setEscapeButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes;
}
