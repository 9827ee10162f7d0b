#pragma once
// Static texts drawn in a colour of their own, as the dialogs' hints and captions are.

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace dorvane {

// The blue of every hint and caption text.
inline const QColor kHintBlue(0, 0, 255);

// Paints the widget's texts (a label's text, a group box's caption) in colour.
void SetTextColour(QWidget* widget, const QColor& colour);

QLabel* ColouredLabel(const QString& text, const QColor& colour, QWidget* parent,
                      const QString& objectName = {});

} // namespace dorvane
