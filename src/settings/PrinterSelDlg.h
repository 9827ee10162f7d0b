#pragma once
// The printer choice: the system's printers in name order, the one in use preselected (else
// the system's default printer). Saving puts the name into use for the next print at once
// and stores it as line 1 of set.ini; line 2 switches to the chosen printer's remembered
// offsets, the printer left keeping its own in offsets.ini.

#include <QDialog>

class QComboBox;

namespace dorvane {

struct Workspace;

class CPrinterSelDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPrinterSelDlg(Workspace& workspace, QWidget* parent = nullptr);

    int SelectedPrinter = -1; // index in the list, -1 when none

    void pull();
    void push();
    void OnOK(); // save; the dialog stays open

private:
    Workspace& workspace_;
    QComboBox* combo_ = nullptr;
};

} // namespace dorvane
