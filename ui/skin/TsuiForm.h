#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

#include <array>
#include <optional>

// The skinned frame of a frameless, fixed-size window, filling its client area:
// light-grey body, 1-pixel border and a deep-blue title bar with the window's icon
// and title. Dragging the title bar moves the window. Its buttons, from the right:
// the system-menu box (opens the window's menu), close, maximise (the size is
// fixed, so it stays) and minimise.
class TsuiForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    enum class TitleButton { SystemMenu, Close, Maximise, Minimise };

    explicit TsuiForm(QWidget* parent = nullptr);

    QColor borderColor() const { return border_; }
    void setBorderColor(const QColor& colour);
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int width);
    QColor color() const { return background_; }
    void setColor(const QColor& colour);

    QRect TitleBarRect() const;
    QRect TitleButtonRect(TitleButton button) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::optional<TitleButton> ButtonAt(const QPoint& position) const;
    void Press(TitleButton button);
    void OpenSystemMenu();
    void PaintTitleButton(QPainter& painter, TitleButton button) const;

    QColor border_ = Qt::black;
    int borderWidth_ = 1;
    QColor background_ = Qt::lightGray;
    std::optional<TitleButton> pressed_;
    std::optional<QPoint> dragOffset_;  // cursor to window origin, while moving by hand
};
