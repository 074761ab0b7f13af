#pragma once

#include <QStyledItemDelegate>

// Draws the progress column as the skin's progress bar: the blue bar over the
// percentage, the caption centred on top.
class ProgressDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
