#pragma once

#include <QPushButton>

// A push button in the deep-blue skin: blue face, dark blue edge, black caption
// centred with its trailing blanks, focus rectangle 2 pixels inside the edge.
class TsuiButton : public QPushButton {
    Q_OBJECT

public:
    explicit TsuiButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
