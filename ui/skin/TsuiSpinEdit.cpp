#include "ui/skin/TsuiSpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionSpinBox>

#include <algorithm>

#include "text/StrToInt.h"
#include "ui/GbkText.h"
#include "ui/skin/SkinColours.h"

namespace {

bool IsTakenCharacter(const QString& text)
{
    if (text.isEmpty() || !text.at(0).isPrint())
        return true;  // control keys
    const QChar c = text.at(0);
    return text.size() == 1 && ((c >= u'0' && c <= u'9') || c == u'-');
}

// A small triangle pointing up or down, centred in box.
void DrawArrow(QPainter& painter, const QRect& box, bool up)
{
    const QPointF centre = QRectF(box).center();
    const qreal half = std::min(3.0, box.width() / 2.0 - 1);
    const qreal rise = half / 2 + 0.5;
    QPainterPath arrow;
    arrow.moveTo(centre.x() - half, centre.y() + (up ? rise : -rise));
    arrow.lineTo(centre.x() + half, centre.y() + (up ? rise : -rise));
    arrow.lineTo(centre.x(), centre.y() + (up ? -rise : rise));
    arrow.closeSubpath();
    painter.fillPath(arrow, Qt::white);
}

}  // namespace

TsuiSpinEdit::TsuiSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setFrame(false);
    setValue(0);
}

std::int32_t TsuiSpinEdit::WithinBounds(std::int32_t value) const
{
    return max_ == min_ ? value : std::clamp(value, min_, max_);
}

std::int32_t TsuiSpinEdit::value() const
{
    try {
        return WithinBounds(StrToInt(QStringToGbk(text())));
    } catch (const EConvertError&) {
        return min_;
    }
}

void TsuiSpinEdit::setValue(std::int32_t value)
{
    setText(QString::number(WithinBounds(value)));
}

void TsuiSpinEdit::setText(const QString& text)
{
    lineEdit()->setText(text);
}

void TsuiSpinEdit::setBorderColor(const QColor& colour)
{
    border_ = colour;
    update();
}

void TsuiSpinEdit::stepBy(int steps)
{
    // 32-bit arithmetic wraps rather than overflowing.
    const auto change = static_cast<std::uint32_t>(steps) * static_cast<std::uint32_t>(increment_);
    setValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(value()) + change));
}

QAbstractSpinBox::StepEnabled TsuiSpinEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State TsuiSpinEdit::validate(QString&, int&) const
{
    // The keys are filtered as they come; whatever text results stands.
    return QValidator::Acceptable;
}

void TsuiSpinEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        QApplication::beep();
        event->accept();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // Only the arrow keys step.
        event->accept();
        return;
    default:
        break;
    }
    if (!IsTakenCharacter(event->text())) {
        QApplication::beep();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TsuiSpinEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);

    QStyleOptionSpinBox option;
    initStyleOption(&option);
    for (const auto control : {QStyle::SC_SpinBoxUp, QStyle::SC_SpinBoxDown}) {
        const QRect box = style()->subControlRect(QStyle::CC_SpinBox, &option, control, this).adjusted(0, 0, -1, -1);
        const bool down = option.activeSubControls == control && (option.state & QStyle::State_Sunken);
        painter.setPen(SkinColours::ButtonEdge);
        painter.setBrush(down ? SkinColours::Vertical(box, SkinColours::TitleBottom, SkinColours::TitleTop)
                              : SkinColours::Vertical(box, SkinColours::TitleTop, SkinColours::TitleBottom));
        painter.drawRect(box);
        DrawArrow(painter, box, control == QStyle::SC_SpinBoxUp);
    }

    painter.setPen(border_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
