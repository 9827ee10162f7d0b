#pragma once
// An editable combo box that completes what the user types from its list: the first entry
// beginning with the typed text is shown with the untyped rest selected. Delete and Backspace
// never complete, so they can remove a completion.

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
    // Adds the entries in the order given (callers sort them); the edit text stays as it was.
    void addEntries(const QStringList& entries);

signals:
    // The user changed the edit text; emitted after completing, with the text now shown.
    void textEditedByUser(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTextEdited();
    const std::vector<std::u16string>& entries();

    bool completionAllowed_ = true;
    bool entriesStale_ = true;
    std::vector<std::u16string> entries_; // the list's texts, kept for the completion search
};

} // namespace dorvane
