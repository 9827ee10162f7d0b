#pragma once
// The settings dialog: the print settings, the goods names and the address book on three
// tabs. It has no OK or Cancel button: each page saves by itself and stays open; Escape or
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
    // The goods-name and address-book pages, tabs 1 and 2.
    void AddDatabasePages();

    CPageTabCtrl* tabs_ = nullptr;
};

} // namespace dorvane
