#pragma once
// The address-book page of the settings dialog: the saved recipient or sender addresses, one
// record per row, with buttons to add, change and delete them through the address dialog.
// Every change sets App().AddressesChanged, so the main window refills its address pickers
// after the settings dialog.

#include <QWidget>

class QComboBox;
class QGroupBox;

namespace dorvane {

class CGradientButton;
class CSortListCtrl;

class CAddressPage : public QWidget {
    Q_OBJECT

public:
    explicit CAddressPage(QWidget* parent = nullptr);

    // 0 recipient addresses, 1 sender addresses: the category combo's selection.
    int AddressKind = 0;

    // Empties the list and fills it from the table of kind.
    void FillList(int kind);

    void OnOK(); // add
    void OnModify();
    void OnDelete();

private:
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
