#pragma once
// The template deletion dialog: lists every template in template order and moves the chosen
// one's layout file and picture to the system's trash, from which the user can restore them.
// The template in use cannot be deleted; mould.ini's position follows the current template.

#include <QDialog>

class QListWidget;

namespace dorvane {

struct Workspace;

class CTemplateDeleteDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTemplateDeleteDlg(Workspace& workspace, QWidget* parent = nullptr);

    // Deletes the template selected in the list (the Delete button, also Enter).
    void Deleting();

private:
    Workspace& workspace_;
    QListWidget* list_ = nullptr;
};

} // namespace dorvane
