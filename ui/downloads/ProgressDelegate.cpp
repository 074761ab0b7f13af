#include "ui/downloads/ProgressDelegate.h"

#include <QPainter>

#include "ui/downloads/DownloadTable.h"
#include "ui/skin/SkinColours.h"

void ProgressDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.highlight());

    const QRect frame = option.rect.adjusted(3, 3, -4, -4);
    painter->save();
    painter->fillRect(frame, Qt::white);
    const QVariant percent = index.data(DownloadTable::PercentRole);
    if (percent.isValid()) {
        QRect bar = frame.adjusted(1, 1, 0, 0);
        bar.setWidth(bar.width() * percent.toInt() / 100);
        painter->fillRect(bar, SkinColours::Vertical(bar, SkinColours::BarTop, SkinColours::BarBottom));
    }
    painter->setPen(SkinColours::ButtonEdge);
    painter->drawRect(frame);
    painter->setPen(Qt::black);
    painter->setFont(option.font);
    painter->drawText(frame, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}
