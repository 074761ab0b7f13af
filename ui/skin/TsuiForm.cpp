#include "ui/skin/TsuiForm.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "ui/GbkText.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinFont.h"

namespace {

constexpr int TitleBarHeight = 21;
constexpr int ButtonSize = 17;
constexpr int ButtonTop = 2;
constexpr int ButtonGap = 2;
constexpr int IconSize = 16;

constexpr std::array<TsuiForm::TitleButton, 4> TitleButtons = {
    TsuiForm::TitleButton::SystemMenu, TsuiForm::TitleButton::Close, TsuiForm::TitleButton::Maximise,
    TsuiForm::TitleButton::Minimise};

const std::string MinimiseText = "\xD7\xEE\xD0\xA1\xBB\xAF";  // 最小化
const std::string MaximiseText = "\xD7\xEE\xB4\xF3\xBB\xAF";  // 最大化
const std::string CloseText = "\xB9\xD8\xB1\xD5";             // 关闭

void DrawGlyph(QPainter& painter, const QRect& box, TsuiForm::TitleButton button)
{
    const QRect glyph = box.adjusted(5, 5, -5, -5);
    painter.setPen(QPen(Qt::white, 1.6));
    painter.setBrush(Qt::NoBrush);
    switch (button) {
    case TsuiForm::TitleButton::SystemMenu:
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon({glyph.topLeft() + QPoint(0, 2), glyph.topRight() + QPoint(1, 2),
                                      QPoint(glyph.center().x() + 1, glyph.bottom() - 1)}));
        break;
    case TsuiForm::TitleButton::Close:
        painter.drawLine(glyph.topLeft(), glyph.bottomRight() + QPoint(1, 1));
        painter.drawLine(glyph.topRight() + QPoint(1, 0), glyph.bottomLeft() + QPoint(0, 1));
        break;
    case TsuiForm::TitleButton::Maximise:
        painter.drawRect(glyph);
        painter.drawLine(glyph.topLeft() + QPoint(0, 1), glyph.topRight() + QPoint(0, 1));
        break;
    case TsuiForm::TitleButton::Minimise:
        painter.drawLine(glyph.bottomLeft(), glyph.bottomRight() + QPoint(1, 0));
        break;
    }
}

}  // namespace

TsuiForm::TsuiForm(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TsuiForm::setBorderColor(const QColor& colour)
{
    border_ = colour;
    update();
}

void TsuiForm::setBorderWidth(int width)
{
    borderWidth_ = width;
    update();
}

void TsuiForm::setColor(const QColor& colour)
{
    background_ = colour;
    update();
}

QRect TsuiForm::TitleBarRect() const
{
    return {borderWidth_, borderWidth_, width() - 2 * borderWidth_, TitleBarHeight};
}

QRect TsuiForm::TitleButtonRect(TitleButton button) const
{
    const auto index = static_cast<int>(std::find(TitleButtons.begin(), TitleButtons.end(), button) - TitleButtons.begin());
    const int right = width() - borderWidth_ - ButtonGap - index * (ButtonSize + ButtonGap);
    return {right - ButtonSize, ButtonTop, ButtonSize, ButtonSize};
}

std::optional<TsuiForm::TitleButton> TsuiForm::ButtonAt(const QPoint& position) const
{
    for (const TitleButton button : TitleButtons) {
        if (TitleButtonRect(button).contains(position))
            return button;
    }
    return std::nullopt;
}

void TsuiForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background_);

    const QRect bar = TitleBarRect();
    painter.fillRect(bar, SkinColours::Vertical(bar, SkinColours::TitleTop, SkinColours::TitleBottom));

    const QRect icon(bar.left() + 3, bar.top() + (bar.height() - IconSize) / 2, IconSize, IconSize);
    window()->windowIcon().paint(&painter, icon);

    QRect titleArea = bar;
    titleArea.setLeft(icon.right() + 6);
    titleArea.setRight(TitleButtonRect(TitleButtons.back()).left() - 4);
    painter.setFont(SkinFont(QStringLiteral("Tahoma"), 11, true));
    painter.setPen(Qt::white);
    painter.drawText(titleArea, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(window()->windowTitle(), Qt::ElideRight, titleArea.width()));

    painter.setRenderHint(QPainter::Antialiasing);
    for (const TitleButton button : TitleButtons)
        PaintTitleButton(painter, button);
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setPen(QPen(border_, borderWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = borderWidth_ / 2.0;
    painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

void TsuiForm::PaintTitleButton(QPainter& painter, TitleButton button) const
{
    const QRectF box = QRectF(TitleButtonRect(button)).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool down = pressed_ == button && ButtonAt(mapFromGlobal(QCursor::pos())) == button;
    painter.setPen(QColor(0xC8, 0xD8, 0xF4));
    painter.setBrush(down ? SkinColours::Vertical(box.toRect(), SkinColours::TitleBottom, SkinColours::TitleTop)
                          : SkinColours::Vertical(box.toRect(), SkinColours::BarTop, SkinColours::TitleBottom));
    painter.drawRoundedRect(box, 2, 2);
    DrawGlyph(painter, TitleButtonRect(button), button);
}

void TsuiForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !TitleBarRect().contains(event->position().toPoint()))
        return QWidget::mousePressEvent(event);
    pressed_ = ButtonAt(event->position().toPoint());
    if (pressed_) {
        update();
        return;
    }
    // The window manager moves the window where it can; by hand elsewhere.
    if (!window()->windowHandle() || !window()->windowHandle()->startSystemMove())
        dragOffset_ = event->globalPosition().toPoint() - window()->pos();
}

void TsuiForm::mouseMoveEvent(QMouseEvent* event)
{
    if (dragOffset_)
        window()->move(event->globalPosition().toPoint() - *dragOffset_);
    else if (pressed_)
        update();
    else
        QWidget::mouseMoveEvent(event);
}

void TsuiForm::mouseReleaseEvent(QMouseEvent* event)
{
    dragOffset_.reset();
    const auto pressed = std::exchange(pressed_, std::nullopt);
    update();
    if (event->button() == Qt::LeftButton && pressed && ButtonAt(event->position().toPoint()) == pressed)
        Press(*pressed);
}

void TsuiForm::Press(TitleButton button)
{
    switch (button) {
    case TitleButton::SystemMenu:
        OpenSystemMenu();
        break;
    case TitleButton::Close:
        window()->close();
        break;
    case TitleButton::Maximise:
        break;  // a fixed-size window keeps its size
    case TitleButton::Minimise:
        window()->showMinimized();
        break;
    }
}

void TsuiForm::OpenSystemMenu()
{
    QMenu menu(this);
    menu.addAction(GbkToQString(MinimiseText), window(), &QWidget::showMinimized);
    menu.addAction(GbkToQString(MaximiseText))->setEnabled(false);
    menu.addSeparator();
    menu.addAction(GbkToQString(CloseText), window(), &QWidget::close);
    menu.exec(mapToGlobal(TitleButtonRect(TitleButton::SystemMenu).bottomLeft() + QPoint(0, 1)));
}
