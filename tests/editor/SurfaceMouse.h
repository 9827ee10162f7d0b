#pragma once
// Real mouse events on the editing surface. QTest::mouseMove carries no buttons, so moves
// with a button held are sent as QMouseEvents with their button state.

#include "workspace/Workspace.h"
#include "workspace/CurrentTemplate.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <array>

namespace dorvane::test {

inline void MoveMouse(QWidget* widget, QPoint at, Qt::MouseButtons buttons = Qt::NoButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton, buttons,
                      modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

// Press at from, move with the left button in steps of at most 2 pixels, release at to.
inline void DragMouse(QWidget* widget, QPoint from, QPoint to,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    MoveMouse(widget, from);
    QTest::mousePress(widget, Qt::LeftButton, modifiers, from);
    QPoint at = from;
    while (at != to) {
        const auto step = [](int a, int b) { return a + std::clamp(b - a, -2, 2); };
        at = QPoint(step(at.x(), to.x()), step(at.y(), to.y()));
        MoveMouse(widget, at, Qt::LeftButton, modifiers);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, modifiers, to);
}

// Box x, y, w, h of field i as text cells of a layout.
inline std::array<int, 4> BoxOf(const TemplateLayout& layout, int field)
{
    return {layout.number(field + 1, 2), layout.number(field + 1, 3), layout.number(field + 1, 4),
            layout.number(field + 1, 5)};
}

inline std::array<int, 4> PrintRectOf(const TemplateLayout& layout, int field)
{
    return {layout.number(field + 1, 6), layout.number(field + 1, 7), layout.number(field + 1, 8),
            layout.number(field + 1, 9)};
}

// Makes name current (mould.ini position given) with its layout loaded and no print offsets.
inline void UseTemplate(Workspace& app, const std::string& name, const std::string& position)
{
    app.CurrentTemplate = name;
    app.TemplatePosition = position;
    app.PrintOffsetX = 0;
    app.PrintOffsetY = 0;
    LoadTemplateLayout(app, nullptr);
}

// A bitmap file of the given size and colour.
inline bool WriteBitmap(const QString& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "BMP");
}

// Pixels of the blue text colour, anti-aliased edges included (blue well above red and green).
inline int CountBlue(const QImage& image, const QRect& area, int margin = 120)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() - std::max(c.red(), c.green()) > margin)
                ++count;
        }
    return count;
}

} // namespace dorvane::test
