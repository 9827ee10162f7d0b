#include "controls/ColouredLabel.h"

#include <QLabel>

namespace dorvane {

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel* ColouredLabel(const QString& text, const QColor& colour, QWidget* parent, const QString& objectName)
{
    auto* label = new QLabel(text, parent);
    if (!objectName.isEmpty())
        label->setObjectName(objectName);
    SetTextColour(label, colour);
    return label;
}

} // namespace dorvane
