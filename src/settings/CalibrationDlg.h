#pragma once
// "打印校准": prints the calibration sheet of the current template on the printer in use and
// takes how far its crosses must move to sit on a blank form's boxes, in millimetres, as that
// printer's offsets (set.ini line 2 and offsets.ini).

#include <QDialog>

#include <array>

class QLineEdit;

namespace dorvane {

struct Workspace;

class CCalibrationDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCalibrationDlg(Workspace& workspace, QWidget* parent = nullptr);

    // Right, down: millimetres as typed; they start as the offsets in use.
    std::array<QString, 2> Values;

    void pull();
    void push();

    void OnPrintSheet();
    // Stores the two moves (empty counts as 0) as the offsets of the printer in use; the dialog
    // stays open.
    void OnOK();

private:
    Workspace& workspace_;
    std::array<QLineEdit*, 2> edits_{};
};

} // namespace dorvane
