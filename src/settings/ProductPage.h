#pragma once
// The goods-name page of the settings dialog: the saved goods names, with a box on the page
// to type a name into and buttons to add, rename and delete. Every change to the table is told
// to the store's listeners, so the main window refills its goods list at once.

#include <QString>
#include <QWidget>

#include <string_view>

class QPlainTextEdit;

namespace dorvane {

struct Workspace;
class StoreListeners;

class CGradientButton;
class CSortListCtrl;

class CProductPage : public QWidget {
    Q_OBJECT

public:
    CProductPage(Workspace& workspace, StoreListeners& listeners, QWidget* parent = nullptr);

    QString Name; // the name box's text

    void FillList();
    // Whether some row's name has exactly these code-page bytes (letter case counts).
    bool NameExists(std::string_view name) const;

    void OnAdd();
    void OnRename();
    void OnDelete();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Workspace& workspace_;
    StoreListeners& listeners_;
    void OnListClicked();
    void pull();
    void push();
    bool NameAcceptable();

    CSortListCtrl* list_;
    QPlainTextEdit* nameEdit_;
    CGradientButton* addButton_;
    CGradientButton* renameButton_;
    CGradientButton* deleteButton_;
};

} // namespace dorvane
