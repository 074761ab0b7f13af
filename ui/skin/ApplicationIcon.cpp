#include "ui/skin/ApplicationIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>

QPixmap ApplicationIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);

    const QColor cover(0xC0, 0x30, 0x28);
    const QColor ink(0x50, 0x50, 0x60);
    painter.setPen(QPen(cover, 1));
    painter.setBrush(cover);
    painter.drawRoundedRect(QRectF(0.5, 3.5, 15, 11), 1, 1);

    QPainterPath left;
    left.moveTo(8, 4.5);
    left.cubicTo(6, 3, 3, 3, 1.5, 3.5);
    left.lineTo(1.5, 13);
    left.cubicTo(3, 12.5, 6, 12.5, 8, 14);
    left.closeSubpath();
    const QPainterPath right = QTransform(-1, 0, 0, 1, 16, 0).map(left);  // mirrored about the spine
    painter.setPen(QPen(ink, 0.6));
    painter.setBrush(Qt::white);
    painter.drawPath(left);
    painter.drawPath(right);

    painter.setPen(QPen(ink, 0.7));
    for (const qreal y : {6.5, 8.5, 10.5}) {
        painter.drawLine(QPointF(3.2, y), QPointF(6.6, y + 0.3));
        painter.drawLine(QPointF(9.4, y + 0.3), QPointF(12.8, y));
    }
    return pixmap;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(ApplicationIconPixmap(size));
    return icon;
}
