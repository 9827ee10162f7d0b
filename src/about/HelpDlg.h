#pragma once
// The first-use help: four tips on the program's main features, and a check box that
// switches the help off at the next start.

#include <QDialog>

class QCheckBox;

namespace dorvane {

class CGradientButton;
struct Workspace;

class CHelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit CHelpDlg(Workspace& workspace, QWidget* parent = nullptr);

private:
    // Writes the check box's state into line 3 of mould.ini at every click.
    void OnDontShowAgain();

    Workspace& workspace_;
    int dontShowAgain_ = 0;
    QCheckBox* check_ = nullptr;
    CGradientButton* okButton_ = nullptr;
};

} // namespace dorvane
