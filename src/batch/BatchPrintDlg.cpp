#include "batch/BatchPrintDlg.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/FileChoice.h"
#include "base/MessageBox.h"
#include "store/PrintLog.h"
#include "store/AddressBook.h"
#include "batch/BatchPrinter.h"
#include "batch/OrderNumberColumn.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillPrintSetup.h"
#include "print/WaybillPrinter.h"
#include "settings/PrinterChoice.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

namespace {

enum RecordColumn { kRowColumn, kRecipientColumn, kDestinationColumn, kStatusColumn };

QString StatusText(CBatchPrintDlg::RecordStatus status)
{
    switch (status) {
    case CBatchPrintDlg::RecordStatus::Ready:
        return QStringLiteral("可打印");
    case CBatchPrintDlg::RecordStatus::WillBeCut:
        return QStringLiteral("将被截断");
    case CBatchPrintDlg::RecordStatus::NoRecipient:
        return QStringLiteral("缺收件人");
    case CBatchPrintDlg::RecordStatus::Printed:
        return QStringLiteral("已打印");
    case CBatchPrintDlg::RecordStatus::Unknown:
        return QStringLiteral("打印记录无法读取，不知是否已打印");
    }
    return {};
}

std::array<QString, kFieldCount> ToQStrings(const FieldTexts& texts)
{
    std::array<QString, kFieldCount> result;
    for (std::size_t i = 0; i < texts.size(); ++i)
        result[i] = FromCodePage(texts[i]);
    return result;
}

std::filesystem::path ColumnsIni(const Workspace& workspace)
{
    return workspace.settingsPaths().setFolder / "columns.ini";
}

} // namespace

CBatchPrintDlg::CBatchPrintDlg(Workspace& workspace, const FieldTexts& base, QWidget* parent)
    : QDialog(parent), workspace_(workspace), base_(base)
{
    setObjectName(QStringLiteral("batchPrintDialog"));
    setWindowTitle(QStringLiteral("批量打印"));
    resize(720, 560);

    openButton_ = new QPushButton(QStringLiteral("打开订单文件(&O)..."), this);
    openButton_->setObjectName(QStringLiteral("openButton"));
    fileLabel_ = new QLabel(QStringLiteral("订单文件：CSV（UTF-8 或 GBK），第一行为列名"), this);
    auto* top = new QHBoxLayout;
    top->addWidget(openButton_);
    top->addWidget(fileLabel_, 1);

    // One row per column of the file: its name and the field it fills.
    columnTable_ = new QTableWidget(0, 3, this);
    columnTable_->setObjectName(QStringLiteral("columnTable"));
    columnTable_->setHorizontalHeaderLabels(
        {QStringLiteral("文件中的列"), QStringLiteral("填入"), QStringLiteral("合并（按列的顺序）")});
    columnTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    columnTable_->verticalHeader()->hide();
    columnTable_->setMaximumHeight(150);

    recordTable_ = new QTableWidget(0, 4, this);
    recordTable_->setObjectName(QStringLiteral("recordTable"));
    recordTable_->setHorizontalHeaderLabels(
        {QStringLiteral("行"), QStringLiteral("收件人"), QStringLiteral("目的地"), QStringLiteral("状态")});
    recordTable_->horizontalHeader()->setSectionResizeMode(kRecipientColumn, QHeaderView::Stretch);
    recordTable_->verticalHeader()->hide();
    recordTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    recordTable_->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* tickAll = new QPushButton(QStringLiteral("全选"), this);
    tickAll->setObjectName(QStringLiteral("tickAllButton"));
    auto* tickNone = new QPushButton(QStringLiteral("全不选"), this);
    tickNone->setObjectName(QStringLiteral("tickNoneButton"));
    startRow_ = new QSpinBox(this);
    startRow_->setObjectName(QStringLiteral("startRowSpin"));
    startRow_->setRange(1, 1);
    startRow_->setToolTip(QStringLiteral("卡纸后从此行起继续打印已勾选的订单"));
    auto* selection = new QHBoxLayout;
    selection->addWidget(tickAll);
    selection->addWidget(tickNone);
    selection->addStretch(1);
    selection->addWidget(new QLabel(QStringLiteral("从第"), this));
    selection->addWidget(startRow_);
    selection->addWidget(new QLabel(QStringLiteral("行起打印"), this));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("batchProgress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    resultLabel_ = new QLabel(this);
    resultLabel_->setObjectName(QStringLiteral("resultLabel"));

    printButton_ = new QPushButton(QStringLiteral("打印勾选(&P)"), this);
    printButton_->setObjectName(QStringLiteral("printButton"));
    pauseButton_ = new QPushButton(QStringLiteral("暂停(&Z)"), this);
    pauseButton_->setObjectName(QStringLiteral("pauseButton"));
    cancelButton_ = new QPushButton(QStringLiteral("取消打印(&C)"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    closeButton_ = new QPushButton(QStringLiteral("关闭"), this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(printButton_);
    buttons->addWidget(pauseButton_);
    buttons->addWidget(cancelButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(columnTable_);
    layout->addWidget(recordTable_, 1);
    layout->addLayout(selection);
    layout->addWidget(progress_);
    layout->addWidget(resultLabel_);
    layout->addLayout(buttons);

    connect(openButton_, &QPushButton::clicked, this, &CBatchPrintDlg::chooseFile);
    connect(tickAll, &QPushButton::clicked, this, [this] { this->tickAll(true); });
    connect(tickNone, &QPushButton::clicked, this, [this] { this->tickAll(false); });
    connect(printButton_, &QPushButton::clicked, this, &CBatchPrintDlg::printTicked);
    connect(pauseButton_, &QPushButton::clicked, this, &CBatchPrintDlg::togglePause);
    connect(cancelButton_, &QPushButton::clicked, this, &CBatchPrintDlg::cancelPrint);
    connect(closeButton_, &QPushButton::clicked, this, &CBatchPrintDlg::reject);
    updateButtons();
}

void CBatchPrintDlg::chooseFile()
{
    const QString title = QStringLiteral("打开订单文件");
    const QString chosen =
        dorvane::chooseFile(this, FileChoiceMode::Open, title, QStringLiteral("订单文件 (*.csv *.txt);;所有文件 (*)"));
    if (!chosen.isEmpty())
        openFile(chosen);
}

bool CBatchPrintDlg::openFile(const QString& path)
{
    const std::filesystem::path file(path.toStdU16String());
    if (IsSpreadsheetFile(file)) {
        showMessage(this, QString::fromUtf8(kSpreadsheetMessage), QStringLiteral("批量打印"),
                    MessageIcon::Warning);
        return false;
    }
    std::string error;
    auto table = ReadOrderTable(file, error);
    if (!table) {
        showMessage(this, QStringLiteral("无法读取订单文件 %1：\n%2").arg(path, QString::fromUtf8(error)),
                    QStringLiteral("批量打印"), MessageIcon::Warning);
        return false;
    }
    table_ = std::move(*table);
    columns_ = LoadColumnMap(ColumnsIni(workspace_), table_.header).value_or(GuessColumns(table_.header));
    fileLabel_->setText(QDir::toNativeSeparators(path));
    resultLabel_->clear();
    progress_->setRange(0, 1); // a new file: nothing of it printed yet
    progress_->setValue(0);
    fillColumnTable();
    measureRecords();
    return true;
}

void CBatchPrintDlg::fillColumnTable()
{
    columnTable_->setRowCount(static_cast<int>(table_.header.size()));
    for (int i = 0; i < columnTable_->rowCount(); ++i) {
        columnTable_->setItem(i, 0, new QTableWidgetItem(FromCodePage(table_.header[static_cast<std::size_t>(i)])));
        columnTable_->item(i, 0)->setFlags(Qt::ItemIsEnabled);
        auto* combo = new QComboBox(columnTable_);
        combo->setObjectName(QStringLiteral("columnCombo%1").arg(i));
        combo->addItem(QStringLiteral("（不用）"), kUnusedColumn);
        combo->addItem(QStringLiteral("整段收件地址（自动拆分）"), kWholeAddressColumn);
        for (int field = 0; field < kFieldCount; ++field)
            combo->addItem(FieldName(field), field);
        combo->setCurrentIndex(combo->findData(columns_[static_cast<std::size_t>(i)]));
        connect(combo, &QComboBox::activated, this, &CBatchPrintDlg::columnChosen);
        columnTable_->setCellWidget(i, 1, combo);
    }
    showJoinedColumns();
}

void CBatchPrintDlg::showJoinedColumns()
{
    for (int i = 0; i < columnTable_->rowCount(); ++i) {
        auto* item = new QTableWidgetItem(
            FromCodePage(JoinedColumns(table_.header, columns_, static_cast<std::size_t>(i))));
        item->setFlags(Qt::ItemIsEnabled);
        columnTable_->setItem(i, 2, item);
    }
}

void CBatchPrintDlg::columnChosen()
{
    for (int i = 0; i < columnTable_->rowCount(); ++i)
        columns_[static_cast<std::size_t>(i)] =
            qobject_cast<QComboBox*>(columnTable_->cellWidget(i, 1))->currentData().toInt();
    // The choice is kept for the next export with this header; a failed save costs only that.
    SaveColumnMap(ColumnsIni(workspace_), table_.header, columns_);
    showJoinedColumns();
    measureRecords();
}

void CBatchPrintDlg::measureRecords()
{
    // Measured on the printer the batch goes to, as the window's own print is.
    QPrinter printer(QPrinter::HighResolution);
    WaybillPrintSetup setup = MakePrintSetup(workspace_, logicalDpiY());
    PrepareMeasuringPrinter(printer, workspace_.PrinterName, setup);
    const WaybillFitCheck fitCheck(setup, printer);

    records_.clear();
    records_.reserve(table_.rows.size());
    const std::optional<std::size_t> orderColumn = OrderNumberColumn(table_.header);
    std::optional<StoreError> logUnread;
    for (const auto& cells : table_.rows) {
        Record record;
        record.texts = RecordTexts(cells, columns_, base_);
        if (orderColumn)
            record.orderNumber = cells[*orderColumn];
        const Result<bool> printedBefore = alreadyPrinted(record.texts, record.orderNumber);
        if (!printedBefore && !logUnread)
            logUnread = printedBefore.error();
        if (printedBefore && printedBefore.value()) {
            record.status = RecordStatus::Printed;
        } else if (LacksRecipient(record.texts)) {
            record.status = RecordStatus::NoRecipient;
        } else if (!printedBefore) {
            record.status = RecordStatus::Unknown;
        } else {
            QStringList cut;
            for (const int field : CutFields(fitCheck.checkAll(ToQStrings(record.texts))))
                cut.append(FieldName(field));
            if (!cut.isEmpty()) {
                record.status = RecordStatus::WillBeCut;
                record.cut = cut.join(QStringLiteral("、"));
            }
        }
        records_.push_back(std::move(record));
    }
    fillRecordTable();
    if (logUnread) {
        // Guessing either way prints an order twice or leaves it unsent: the user decides.
        showMessage(this,
                    QStringLiteral("打印记录无法读取，不能判断哪些订单已打印过；请核对后自行勾选：\n") +
                        FromCodePage(UserMessage(*logUnread)),
                    QStringLiteral("批量打印"), MessageIcon::Warning);
    }
}

void CBatchPrintDlg::fillRecordTable()
{
    recordTable_->setRowCount(recordCount());
    for (int row = 0; row < recordCount(); ++row) {
        const Record& record = records_[static_cast<std::size_t>(row)];
        auto* number = new QTableWidgetItem(QString::number(row + 1));
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        // Ready and cut records are ticked; one without a recipient or printed before is not.
        const bool tick = record.status == RecordStatus::Ready || record.status == RecordStatus::WillBeCut;
        number->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
        recordTable_->setItem(row, kRowColumn, number);
        const QString recipient =
            FromCodePage(record.texts[3]) + QLatin1Char(' ') + FromCodePage(record.texts[12]);
        recordTable_->setItem(row, kRecipientColumn, new QTableWidgetItem(recipient.trimmed()));
        recordTable_->setItem(row, kDestinationColumn, new QTableWidgetItem(FromCodePage(record.texts[0])));
        recordTable_->setItem(row, kStatusColumn, new QTableWidgetItem);
        showStatus(row);
    }
    startRow_->setRange(1, std::max(1, recordCount()));
    startRow_->setValue(1);
    updateButtons();
}

void CBatchPrintDlg::showStatus(int row)
{
    const Record& record = records_[static_cast<std::size_t>(row)];
    QTableWidgetItem* item = recordTable_->item(row, kStatusColumn);
    item->setText(record.status == RecordStatus::WillBeCut
                      ? StatusText(record.status) + QStringLiteral("：") + record.cut
                      : StatusText(record.status));
    item->setForeground(record.status == RecordStatus::Ready || record.status == RecordStatus::Printed
                            ? palette().color(QPalette::Text)
                            : QColor(Qt::red));
}

void CBatchPrintDlg::tickAll(bool ticked)
{
    // A record without a recipient cannot be sent: 全选 leaves it out.
    for (int row = 0; row < recordTable_->rowCount(); ++row) {
        const bool tick = ticked && status(row) != RecordStatus::NoRecipient;
        recordTable_->item(row, kRowColumn)->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
    }
}

void CBatchPrintDlg::printTicked()
{
    BatchJob job;
    job.setup = MakePrintSetup(workspace_, logicalDpiY());
    job.overflow = workspace_.ShrinkCutText ? Overflow::Shrink : Overflow::Warn;
    job.logStore = logStore;
    job.templateName = templateName;
    job.source = kLogSourceBatch;
    job.jobPerWaybill = true;
    job.refuseWithoutRecipient = true;
    for (int row = startRow_->value() - 1; row < recordCount(); ++row) {
        if (recordTable_->item(row, kRowColumn)->checkState() == Qt::Checked)
        {
            job.records.emplace_back(static_cast<std::size_t>(row + 1),
                                     records_[static_cast<std::size_t>(row)].texts);
            job.orderNumbers.push_back(records_[static_cast<std::size_t>(row)].orderNumber);
        }
    }
    if (job.records.empty()) {
        showMessage(this, QStringLiteral("从第 %1 行起没有勾选的订单。").arg(startRow_->value()),
                    QStringLiteral("批量打印"), MessageIcon::Information);
        return;
    }
    if (!EnsureChosenPrinter(workspace_, this))
        return;
    job.printerName = FindWaybillPrinter(workspace_.PrinterName);
    if (job.printerName.isEmpty()) {
        showMessage(this, NoPrinterMessage(workspace_.PrinterName), QString::fromUtf8(kAppTitle),
                    MessageIcon::Warning);
        return;
    }
    std::vector<std::pair<std::size_t, FieldTexts>> chosen = job.records;
    BatchPrinter printer(std::move(job));
    const bool checked = printer.check();
    QStringList refused;
    for (const std::size_t record : printer.refused()) {
        refused.append(QString::number(record));
        std::erase_if(chosen, [record](const auto& c) { return c.first == record; });
    }
    const QString refusedNote =
        refused.isEmpty()
            ? QString()
            : QStringLiteral("第 %1 行缺收件人，未打印。").arg(refused.join(QStringLiteral("、")));
    if (!checked && chosen.empty()) {
        showMessage(this, refusedNote, QStringLiteral("批量打印"), MessageIcon::Warning);
        return;
    }
    if (!checked) {
        QStringList cuts;
        for (const FieldCut& cut : printer.cuts())
            cuts.append(
                QStringLiteral("第 %1 行：%2 缩到最小字号仍放不下").arg(cut.record).arg(FieldName(cut.field)));
        showMessage(this, QStringLiteral("没有打印：\n") + cuts.join(QLatin1Char('\n')), QStringLiteral("批量打印"),
                    MessageIcon::Warning);
        return;
    }

    printing_ = true;
    paused_ = false;
    cancelled_ = false;
    progress_->setRange(0, static_cast<int>(chosen.size()));
    progress_->setValue(0);
    resultLabel_->setText(QStringLiteral("正在打印..."));
    updateButtons();
    std::size_t lastRecord = 0;
    const auto pagePrinted = [&](std::size_t done, std::size_t) {
        lastRecord = chosen[done - 1].first;
        const int row = static_cast<int>(lastRecord) - 1;
        records_[static_cast<std::size_t>(row)].status = RecordStatus::Printed;
        recordTable_->item(row, kRowColumn)->setCheckState(Qt::Unchecked);
        showStatus(row);
        progress_->setValue(static_cast<int>(done));
    };
    // After each waybill's job the window takes its events: a click on Pause waits here,
    // Cancel ends the batch before the next job. While the printer's queue is full, the
    // window waits here too, answering.
    printer.setPageHook([this](std::size_t) {
        QCoreApplication::processEvents();
        if (paused_ && !cancelled_)
            pauseLoop_.exec();
        return !cancelled_;
    });
    printer.setIdleHook([this] {
        QEventLoop wait;
        QTimer::singleShot(100, &wait, &QEventLoop::quit);
        wait.exec();
        if (paused_ && !cancelled_)
            pauseLoop_.exec();
        return !cancelled_;
    });
    const bool printed = printer.print(pagePrinted);
    printing_ = false;
    paused_ = false;

    const std::size_t done = printer.pagesPrinted();
    if (done < chosen.size()) {
        // A jam or a cancel: the next run starts at the first record not printed, which stays
        // ticked with every other one not printed.
        startRow_->setValue(static_cast<int>(chosen[done].first));
        resultLabel_->setText(QStringLiteral("已打印 %1 张，共 %2 张；从第 %3 行起可继续打印。")
                                  .arg(done)
                                  .arg(chosen.size())
                                  .arg(chosen[done].first) +
                              refusedNote);
    } else {
        startRow_->setValue(1);
        resultLabel_->setText(QStringLiteral("已打印 %1 张，最后一张为第 %2 行。").arg(done).arg(lastRecord) +
                              refusedNote);
    }
    updateButtons();
    if (!printed) {
        showMessage(this, QStringLiteral("打印失败：%1").arg(printer.error()), QStringLiteral("批量打印"),
                    MessageIcon::Warning);
    } else if (!printer.logError().isEmpty() && !logFailureShown_) {
        // The pages are printed; only their record is missing. Said once per dialog.
        logFailureShown_ = true;
        showMessage(this, QStringLiteral("快递单已打印，但打印记录无法保存：\n") + printer.logError(),
                    QStringLiteral("批量打印"), MessageIcon::Warning);
    }
}

void CBatchPrintDlg::togglePause()
{
    if (!printing_)
        return;
    paused_ = !paused_;
    if (!paused_)
        pauseLoop_.quit();
    updateButtons();
}

void CBatchPrintDlg::cancelPrint()
{
    if (!printing_)
        return;
    cancelled_ = true;
    pauseLoop_.quit();
    updateButtons();
}

void CBatchPrintDlg::reject()
{
    if (printing_) {
        cancelPrint();
        return;
    }
    QDialog::reject();
}

void CBatchPrintDlg::updateButtons()
{
    openButton_->setEnabled(!printing_);
    columnTable_->setEnabled(!printing_);
    startRow_->setEnabled(!printing_);
    printButton_->setEnabled(!printing_ && recordCount() > 0);
    pauseButton_->setEnabled(printing_ && !cancelled_);
    pauseButton_->setText(paused_ ? QStringLiteral("继续(&Z)") : QStringLiteral("暂停(&Z)"));
    cancelButton_->setEnabled(printing_ && !cancelled_);
    closeButton_->setEnabled(!printing_);
}

} // namespace dorvane
