#pragma once
// Batch printing from the window: an order export is opened, its columns mapped to the
// waybill's fields, and the ticked records printed on the current template and printer by the
// same engine as dorvane-cli's, one page at a time between the window's events.

#include "store/StoreLocation.h"
#include "store/StoreResult.h"
#include "batch/OrderTable.h"

#include <QDialog>
#include <QEventLoop>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace dorvane {

struct Workspace;

class CBatchPrintDlg : public QDialog {
    Q_OBJECT
public:
    // Unknown: the print log could not be read, so nobody can tell whether it was printed.
    enum class RecordStatus { Ready, WillBeCut, NoRecipient, Printed, Unknown };

    // base: the texts every waybill starts from (the window's sender, goods and date).
    CBatchPrintDlg(Workspace& workspace, const FieldTexts& base, QWidget* parent = nullptr);

    // Whether a record (its texts and its order number, empty when the export has no such
    // column) was printed before; asked once per record as the file is opened. An error: the
    // log could not be read.
    std::function<Result<bool>(const FieldTexts&, const std::string&)> alreadyPrinted =
        [](const FieldTexts&, const std::string&) { return Result<bool>(false); };
    // The template printed on, as the lists show it, and the print log the pages go into
    // (none: not logged).
    QString templateName;
    std::optional<StoreLocation> logStore;

    bool openFile(const QString& path);
    int recordCount() const { return static_cast<int>(records_.size()); }
    RecordStatus status(int row) const { return records_[static_cast<std::size_t>(row)].status; }
    bool printing() const { return printing_; }

public slots:
    void reject() override; // while printing: cancels after the current page

private:
    Workspace& workspace_;
    struct Record {
        FieldTexts texts;
        std::string orderNumber; // from the export's order-number column
        RecordStatus status = RecordStatus::Ready;
        QString cut; // the fields the form would cut
    };

    void chooseFile();
    void fillColumnTable();
    void showJoinedColumns();
    void columnChosen();
    void measureRecords();
    void fillRecordTable();
    void showStatus(int row);
    void tickAll(bool ticked);
    void printTicked();
    void togglePause();
    void cancelPrint();
    void updateButtons();

    FieldTexts base_;
    OrderTable table_;
    ColumnMap columns_;
    std::vector<Record> records_;
    bool printing_ = false;
    bool logFailureShown_ = false;
    bool paused_ = false;
    bool cancelled_ = false;
    QEventLoop pauseLoop_;

    QLabel* fileLabel_ = nullptr;
    QTableWidget* columnTable_ = nullptr;
    QTableWidget* recordTable_ = nullptr;
    QSpinBox* startRow_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* resultLabel_ = nullptr;
};

} // namespace dorvane
