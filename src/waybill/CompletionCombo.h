#pragma once
// An editable combo box that completes what the user types from its list: the first entry
// beginning with the typed text is shown with the untyped rest selected. Delete and Backspace
// never complete, so they can remove a completion. Only a choice made in the drop-down list
// counts as choosing an entry; leaving the edit or pressing Enter on a text that equals an
// entry does not.

#include <QComboBox>

#include <string>
#include <vector>

namespace dorvane {

class CCompletionCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CCompletionCombo(QWidget* parent = nullptr);

    // Empties the list from the last entry to the first, leaving the edit text alone.
    void removeAllEntries();
    // Adds the entries in the order given (callers sort them), each with its data in `data`
    // (Qt::UserRole) when given; the edit text stays as it was.
    void addEntries(const QStringList& entries, const QVariantList& data = {});

    void showPopup() override;
    void hidePopup() override;

signals:
    // The user changed the edit text; emitted after completing, with the text now shown.
    void textEditedByUser(const QString& text);
    // The user chose the entry at index in the drop-down list, by mouse or by keys in the open
    // list; the edit shows the entry.
    void entryChosen(int index);

protected:
    // The combo box holds the focus and hands keys and input-method text to its edit part,
    // so the keys are seen here, before the edit changes its text.
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void onTextEdited();
    void onActivated(int index);
    const std::vector<std::u16string>& entries();

    bool completionAllowed_ = true;
    // Set while the drop-down list closes: the activation Qt reports right after it is the
    // list's choice. Any later key, wheel turn or focus change clears it, as those report
    // activations of their own that are no choice from the list.
    bool listClosing_ = false;
    bool entriesStale_ = true;
    std::vector<std::u16string> entries_; // the list's texts, kept for the completion search
};

} // namespace dorvane
