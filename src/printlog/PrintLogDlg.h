#pragma once
// 打印记录: the print log searched by name, telephone, address and days, newest first; the
// waybills chosen are printed again on the current template or on the one each was printed on,
// or exported as an order export.

#include "store/PrintLog.h"

#include <QDialog>
#include <QString>

#include <cstddef>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dorvane {

class CSortListCtrl;
class StoreListeners;
struct Workspace;

class CPrintLogDlg : public QDialog {
    Q_OBJECT
public:
    // currentTemplate: the current template's name as the lists show it, logged with a reprint.
    CPrintLogDlg(Workspace& workspace, StoreListeners& listeners, const QString& currentTemplate,
                 QWidget* parent = nullptr);

    // Lists what the search fields ask for, newest first: the newest kShownAtOnce of them, or
    // every one with all.
    void Find(bool all = false);

    static constexpr std::size_t kShownAtOnce = 1000;

private:
    std::vector<const PrintLogEntry*> selectedEntries() const;
    // ownTemplate: each waybill on the template it was printed on, while that one exists.
    void ReprintSelected(bool ownTemplate);
    void ExportSelected();

    Workspace& workspace_;
    StoreListeners& listeners_; // told of the reprints logged
    QString currentTemplate_;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* telephoneEdit_ = nullptr;
    QLineEdit* addressEdit_ = nullptr;
    QLineEdit* sinceEdit_ = nullptr;
    QLineEdit* untilEdit_ = nullptr;
    QLineEdit* reprintNumberEdit_ = nullptr;
    QCheckBox* includeSenderCheck_ = nullptr;
    CSortListCtrl* list_ = nullptr;
    QLabel* moreLabel_ = nullptr;      // shown while older waybills are left out of the list
    QPushButton* showAllButton_ = nullptr;
    std::vector<PrintLogEntry> entries_; // as found; the list's hidden column holds the index
};

} // namespace dorvane
