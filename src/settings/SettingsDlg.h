#pragma once
// The settings dialog: the print settings, the goods names, the address book and where the
// address book lives, on four tabs. It has no OK or Cancel button: each page saves by itself
// and stays open; Escape or the close box closes the dialog. What the pages write to the store
// is told to the store's listeners, a saved layout through layoutSaved.

#include <QDialog>

namespace dorvane {

class CPageTabCtrl;
class CPrintSetPage;
class StoreListeners;
struct Workspace;

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CSettingsDlg(Workspace& workspace, StoreListeners& listeners, QWidget* parent = nullptr);

    CPageTabCtrl* TabCtrl() const { return tabs_; }

signals:
    // The template editor saved a layout.
    void layoutSaved();

private:
    // The goods-name, address-book and database pages, tabs 1 to 3.
    void AddDatabasePages();

    Workspace& workspace_;
    StoreListeners& listeners_;
    CPageTabCtrl* tabs_ = nullptr;
};

} // namespace dorvane
