#include "ui/skin/TsuiProgressBar.h"

#include <QPainter>

#include "ui/skin/SkinColours.h"

TsuiProgressBar::TsuiProgressBar(QWidget* parent) : QProgressBar(parent) {}

void TsuiProgressBar::setBorderColor(const QColor& colour)
{
    border_ = colour;
    update();
}

void TsuiProgressBar::setColor(const QColor& colour)
{
    background_ = colour;
    update();
}

void TsuiProgressBar::setCaptionColor(const QColor& colour)
{
    caption_ = colour;
    update();
}

void TsuiProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(inside, background_);

    const qint64 span = static_cast<qint64>(maximum()) - minimum();
    if (span > 0) {
        const qint64 done = static_cast<qint64>(value()) - minimum();
        QRect bar = inside;
        bar.setWidth(static_cast<int>(inside.width() * done / span));
        painter.fillRect(bar, SkinColours::Vertical(bar, SkinColours::BarTop, SkinColours::BarBottom));
    }

    painter.setPen(border_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    if (isTextVisible()) {
        painter.setPen(caption_);
        painter.setFont(font());
        painter.drawText(inside, Qt::AlignCenter, text());
    }
}
