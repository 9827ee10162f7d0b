#pragma once
// The address-book page of the settings dialog: the saved recipient or sender addresses, one
// record per row, with buttons to add, change and delete them through the address dialog.
// Every change is told to the store's listeners, so the main window refills its address
// pickers at once.

#include <QWidget>

class QComboBox;
class QGroupBox;

namespace dorvane {

struct Workspace;
class StoreListeners;

class CGradientButton;
class CSortListCtrl;

class CAddressPage : public QWidget {
    Q_OBJECT

public:
    CAddressPage(Workspace& workspace, StoreListeners& listeners, QWidget* parent = nullptr);

    // 0 recipient addresses, 1 sender addresses: the category combo's selection.
    int AddressKind = 0;

    // Empties the list and fills it from the table of kind.
    void FillList(int kind);

    void OnOK(); // add
    void OnModify();
    void OnDelete();

private:
    Workspace& workspace_;
    StoreListeners& listeners_;
    void OnKindChanged();
    void pull();
    void push();

    CSortListCtrl* list_;
    QGroupBox* kindGroup_;
    QComboBox* kindCombo_;
    CGradientButton* addButton_;
    CGradientButton* modifyButton_;
    CGradientButton* deleteButton_;
};

} // namespace dorvane
