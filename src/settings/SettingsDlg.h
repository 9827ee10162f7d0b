#pragma once
// The settings dialog: the print settings, the goods names, the address book and where the
// address book lives, on four tabs. It has no OK or Cancel button: each page saves by itself and stays open; Escape or
// the close box closes the dialog.

#include <QDialog>

namespace dorvane {

class CPageTabCtrl;
class CPrintSetPage;

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSettingsDlg(QWidget* parent = nullptr);

    CPageTabCtrl* TabCtrl() const { return tabs_; }

private:
    // The goods-name, address-book and database pages, tabs 1 to 3.
    void AddDatabasePages();

    CPageTabCtrl* tabs_ = nullptr;
};

} // namespace dorvane
