#pragma once

#include <QColor>
#include <QProgressBar>

// A horizontal progress bar in the deep-blue skin: a blue bar over the background
// colour, a 1-pixel border and the caption ("100%") centred on top.
class TsuiProgressBar : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(QColor captionColor READ captionColor WRITE setCaptionColor)

public:
    explicit TsuiProgressBar(QWidget* parent = nullptr);

    QColor borderColor() const { return border_; }
    void setBorderColor(const QColor& colour);
    QColor color() const { return background_; }
    void setColor(const QColor& colour);
    QColor captionColor() const { return caption_; }
    void setCaptionColor(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor border_ = Qt::black;
    QColor background_ = Qt::white;
    QColor caption_ = Qt::black;
};
