#pragma once
// The first page of the settings dialog: the print offsets (and the hidden text spacing) of
// set.ini, in millimetres with one decimal, whether texts their boxes would cut are printed
// smaller without asking (overflow.ini), and the buttons that open the font, printer,
// calibration and template dialogs.

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace dorvane {

struct Workspace;

class CPrintSetPage : public QWidget {
    Q_OBJECT
public:
    explicit CPrintSetPage(Workspace& workspace, QWidget* parent = nullptr);

    // Edits 1003 to 1006: offset left/right, offset up/down, spacing left/right, up/down.
    std::array<QString, 4> Values;

    void pull();
    void push();

    // Takes the four values (millimetres, empty counts as 0) as tenths into the print settings
    // at once, rewrites line 2 of set.ini, keeping line 1, and remembers them for the printer
    // in use; takes the shrink choice and writes overflow.ini when the choice differs from
    // what the file holds; the same for emptying the recipient after a print (afterprint.ini).
    void OnOK();

    // The edits show the values in use again (after the printer or the calibration changed them).
    void ShowStoredValues();

    void OpenFontDialog();
    void OpenPrinterSelection();
    void OpenCalibration();
    void OpenTemplateEditor();
    void OpenTemplateDeletion();

signals:
    // The template editor saved a layout.
    void layoutSaved();

private:
    Workspace& workspace_;
    std::array<QLineEdit*, 4> edits_{};
    QCheckBox* shrinkCheck_ = nullptr;
    QCheckBox* clearAfterPrintCheck_ = nullptr;
    QLabel* printerLabel_ = nullptr; // the printer the next waybill goes to
};

} // namespace dorvane
