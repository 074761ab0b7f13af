#pragma once

#include <QAbstractSpinBox>
#include <QColor>

#include <cstdint>

// A page-number entry with spin buttons in the deep-blue skin. Its text is free:
// digits, the minus sign and control keys are taken, any other key (and Enter) is
// refused with a beep, so the text need not be a number. Up and down, by key or
// by button, add or subtract the increment to the value; equal bounds mean none.
class TsuiSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int minValue READ minValue WRITE setMinValue)
    Q_PROPERTY(int maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(int increment READ increment WRITE setIncrement)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)

public:
    explicit TsuiSpinEdit(QWidget* parent = nullptr);

    // The text as a number; a text that is not one counts as the lower bound.
    std::int32_t value() const;
    void setValue(std::int32_t value);
    void setText(const QString& text);

    int minValue() const { return min_; }
    void setMinValue(int value) { min_ = value; }
    int maxValue() const { return max_; }
    void setMaxValue(int value) { max_ = value; }
    int increment() const { return increment_; }
    void setIncrement(int value) { increment_ = value; }
    QColor borderColor() const { return border_; }
    void setBorderColor(const QColor& colour);

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& position) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::int32_t WithinBounds(std::int32_t value) const;

    std::int32_t min_ = 0;
    std::int32_t max_ = 0;
    std::int32_t increment_ = 1;
    QColor border_ = Qt::black;
};
