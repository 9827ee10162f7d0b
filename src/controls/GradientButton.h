#pragma once
// The push button of every dialog of the main program, painted by the program itself: a
// rounded blue-grey border around a vertical gradient from white, orange edges while the
// mouse is over it, blue edges and a focus rectangle while it has the keyboard focus.

#include <QColor>
#include <QPushButton>

namespace dorvane {

class CGradientButton : public QPushButton {
    Q_OBJECT

public:
    explicit CGradientButton(QWidget* parent = nullptr);
    explicit CGradientButton(const QString& text, QWidget* parent = nullptr);

    // Whether the mouse is over the button (between its enter and leave events).
    bool IsHot() const { return hover_; }

    // The gradient shade k (0 = top, 63 = bottom); hot buttons fade to yellow-grey.
    static QColor Shade(int k, bool hot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Pressing (mouse or space bar) is the button's own down state, isDown().
    bool hover_ = false;
};

} // namespace dorvane
