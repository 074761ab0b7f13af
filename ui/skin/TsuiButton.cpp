#include "ui/skin/TsuiButton.h"

#include <QPainter>
#include <QTextOption>

#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinFont.h"

namespace {

constexpr int FocusMargin = 2;

}  // namespace

TsuiButton::TsuiButton(QWidget* parent) : QPushButton(parent)
{
    setFont(SkinFont(QStringLiteral("MS Sans Serif"), 11));
    setAttribute(Qt::WA_Hover);
    // The face covers every pixel: the form need not paint beneath it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TsuiButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect face = rect().adjusted(0, 0, -1, -1);
    const bool down = isDown();
    painter.setPen(SkinColours::ButtonEdge);
    painter.setBrush(down ? SkinColours::Vertical(face, SkinColours::ButtonBottom, SkinColours::ButtonTop)
                          : SkinColours::Vertical(face, SkinColours::ButtonTop, SkinColours::ButtonBottom));
    painter.drawRect(face);
    if (underMouse() && !down)
        painter.fillRect(face.adjusted(1, 1, 0, 0), SkinColours::Hover);

    // The captions end in blanks that count for centring, as they did where they were designed.
    QTextOption option(Qt::AlignCenter);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    painter.setPen(isEnabled() ? Qt::black : Qt::gray);
    painter.setFont(font());
    painter.drawText(QRectF(rect().translated(down ? 1 : 0, down ? 1 : 0)), text(), option);

    if (hasFocus()) {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(FocusMargin, FocusMargin, -FocusMargin - 1, -FocusMargin - 1));
    }
}
