#include "settings/MillimetreEdit.h"

#include "settings/PrintSetValues.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace dorvane {

namespace {

class MillimetreKeyFilter : public QObject {
public:
    explicit MillimetreKeyFilter(QLineEdit* edit) : QObject(edit), edit_(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != edit_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (shortcut || text.isEmpty() || !text.front().isPrint())
            return false;
        // A point typed over a selection holding the edit's point replaces it.
        QString kept = edit_->text();
        if (edit_->hasSelectedText())
            kept.remove(edit_->selectionStart(), edit_->selectedText().size());
        bool hasPoint = kept.contains(QLatin1Char('.'));
        for (const char32_t c : text.toUcs4()) {
            if (!IsAdjustmentChar(c, hasPoint))
                return true;
            hasPoint = hasPoint || c == U'.';
        }
        return false;
    }

private:
    QLineEdit* edit_;
};

} // namespace

void AcceptMillimetresOnly(QLineEdit* edit)
{
    edit->installEventFilter(new MillimetreKeyFilter(edit));
    // An input method would commit text past the character filter.
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
}

} // namespace dorvane
