#include "waybill/CompletionCombo.h"

#include "waybill/CompletionRule.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

#include <utility>

namespace dorvane {

namespace {

std::u16string ToU16(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

QString FromU16(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CCompletionCombo::CCompletionCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr); // the completion below replaces Qt's own inline completer
    connect(lineEdit(), &QLineEdit::textEdited, this, &CCompletionCombo::onTextEdited);
    connect(this, &QComboBox::activated, this, &CCompletionCombo::onActivated);

    QAbstractItemModel* m = model();
    const auto stale = [this] { entriesStale_ = true; };
    connect(m, &QAbstractItemModel::rowsInserted, this, stale);
    connect(m, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(m, &QAbstractItemModel::rowsMoved, this, stale);
    connect(m, &QAbstractItemModel::modelReset, this, stale);
    connect(m, &QAbstractItemModel::layoutChanged, this, stale);
    connect(m, &QAbstractItemModel::dataChanged, this, stale);
}

void CCompletionCombo::removeAllEntries()
{
    const QString text = currentText();
    for (int i = count() - 1; i >= 0; --i)
        removeItem(i);
    if (currentText() != text)
        setEditText(text);
}

void CCompletionCombo::addEntries(const QStringList& entries, const QVariantList& data)
{
    const QString text = currentText();
    const int first = count();
    addItems(entries);
    for (int i = 0; i < data.size() && i < entries.size(); ++i)
        setItemData(first + i, data[i]);
    // Adding to an empty list makes the first entry current, which would replace the text.
    setCurrentIndex(-1);
    setEditText(text);
}

void CCompletionCombo::showPopup()
{
    listClosing_ = false;
    QComboBox::showPopup();
}

void CCompletionCombo::hidePopup()
{
    // The list hides itself before it reports the chosen entry.
    if (view()->isVisible())
        listClosing_ = true;
    QComboBox::hidePopup();
}

void CCompletionCombo::keyPressEvent(QKeyEvent* event)
{
    listClosing_ = false;
    completionAllowed_ = event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace;
    QComboBox::keyPressEvent(event);
}

void CCompletionCombo::inputMethodEvent(QInputMethodEvent* event)
{
    completionAllowed_ = true; // text committed by an input method is typed text
    QComboBox::inputMethodEvent(event);
}

void CCompletionCombo::focusOutEvent(QFocusEvent* event)
{
    listClosing_ = false;
    QComboBox::focusOutEvent(event);
}

void CCompletionCombo::wheelEvent(QWheelEvent* event)
{
    listClosing_ = false;
    QComboBox::wheelEvent(event);
}

void CCompletionCombo::onActivated(int index)
{
    if (std::exchange(listClosing_, false))
        emit entryChosen(index);
}

const std::vector<std::u16string>& CCompletionCombo::entries()
{
    if (entriesStale_) {
        entries_.clear();
        entries_.reserve(static_cast<std::size_t>(count()));
        for (int i = 0; i < count(); ++i)
            entries_.push_back(ToU16(itemText(i)));
        entriesStale_ = false;
    }
    return entries_;
}

void CCompletionCombo::onTextEdited()
{
    QLineEdit* edit = lineEdit();
    if (completionAllowed_) {
        EditState typed{ToU16(edit->text()), edit->cursorPosition(), edit->cursorPosition()};
        if (edit->hasSelectedText()) {
            typed.selectionStart = edit->selectionStart();
            typed.selectionEnd = edit->selectionEnd();
        }
        const EditState shown = CompleteEdit(entries(), typed);
        if (shown != typed) {
            edit->setText(FromU16(shown.text));
            if (shown.selectionStart == shown.selectionEnd)
                edit->setCursorPosition(shown.selectionEnd);
            else
                edit->setSelection(shown.selectionStart, shown.selectionEnd - shown.selectionStart);
        }
    }
    emit textEditedByUser(edit->text());
}

} // namespace dorvane
