#include "printlog/PrintLogDlg.h"

#include "base/FileChoice.h"
#include "base/MessageBox.h"
#include "controls/SortListCtrl.h"
#include "batch/WindowPrint.h"
#include "batch/CutFieldMarker.h"
#include "printlog/PrintLogCsv.h"
#include "store/StoreListeners.h"
#include "template/BarcodeField.h"
#include "template/TemplateStore.h"
#include "template/TemplateList.h"
#include "template/TemplateLayout.h"
#include "settings/PrinterChoice.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "template/TemplateLayout.h"
#include "template/TemplateList.h"
#include "template/TemplateStore.h"
#include "text/CodePageText.h"
#include "text/TextFile.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>
#include <optional>

namespace dorvane {

namespace {

// Column 1 is hidden and holds the entry's place in entries_; the time sorts newest first.
enum Column { Number, Index, Time, Template, Source, WaybillNumber, Recipient, Mobile, Destination, Address };

QString Shown(const std::string& codePage)
{
    QString text = FromCodePage(codePage);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

CPrintLogDlg::CPrintLogDlg(Workspace& workspace, StoreListeners& listeners, const QString& currentTemplate,
                           QWidget* parent)
    : QDialog(parent), workspace_(workspace), listeners_(listeners), currentTemplate_(currentTemplate)
{
    setObjectName(QStringLiteral("printLogDialog"));
    setWindowTitle(QStringLiteral("打印记录"));
    resize(900, 520);

    auto* search = new QGridLayout;
    const auto addEdit = [&](const QString& label, const char* objectName, int row, int column) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(objectName));
        search->addWidget(new QLabel(label, this), row, column * 2);
        search->addWidget(edit, row, column * 2 + 1);
        connect(edit, &QLineEdit::returnPressed, this, [this] { Find(); });
        return edit;
    };
    nameEdit_ = addEdit(QStringLiteral("姓名："), "nameFindEdit", 0, 0);
    telephoneEdit_ = addEdit(QStringLiteral("电话："), "telephoneFindEdit", 0, 1);
    addressEdit_ = addEdit(QStringLiteral("地址："), "addressFindEdit", 0, 2);
    sinceEdit_ = addEdit(QStringLiteral("从(年-月-日)："), "sinceEdit", 1, 0);
    untilEdit_ = addEdit(QStringLiteral("到(年-月-日)："), "untilEdit", 1, 1);
    includeSenderCheck_ = new QCheckBox(QStringLiteral("也查寄件人"), this);
    includeSenderCheck_->setObjectName(QStringLiteral("includeSenderCheck"));
    includeSenderCheck_->setToolTip(QStringLiteral("姓名、电话、地址也在寄件人中查找"));
    search->addWidget(includeSenderCheck_, 1, 4);
    connect(includeSenderCheck_, &QCheckBox::toggled, this, [this] { Find(); });
    auto* find = new QPushButton(QStringLiteral("查找(&F)"), this);
    find->setObjectName(QStringLiteral("findButton"));
    find->setAutoDefault(false);
    search->addWidget(find, 1, 5);
    connect(find, &QPushButton::clicked, this, [this] { Find(); });

    list_ = new CSortListCtrl(this);
    list_->setObjectName(QStringLiteral("logList"));
    list_->AddColumn(QStringLiteral("序"), 40);
    list_->AddColumn(QStringLiteral("index"), 0);
    list_->AddColumn(QStringLiteral("时间"), 130);
    list_->AddColumn(QStringLiteral("模板"), 60);
    list_->AddColumn(QStringLiteral("来源"), 55);
    list_->AddColumn(QStringLiteral("运单号"), 110);
    list_->AddColumn(QStringLiteral("收件人"), 70);
    list_->AddColumn(QStringLiteral("手机"), 95);
    list_->AddColumn(QStringLiteral("目的地"), 60);
    list_->AddColumn(QStringLiteral("收件地址"), 260);
    list_->SetGridLines(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto* buttons = new QHBoxLayout;
    const auto addButton = [&](const QString& caption, const char* objectName) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(objectName));
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    connect(addButton(QStringLiteral("按当前模板重打(&R)"), "reprintButton"), &QPushButton::clicked, this,
            [this] { ReprintSelected(false); });
    connect(addButton(QStringLiteral("按原模板重打(&O)"), "reprintOwnButton"), &QPushButton::clicked, this,
            [this] { ReprintSelected(true); });
    // A reprint goes onto a new form, which has a number of its own.
    buttons->addWidget(new QLabel(QStringLiteral("新运单号："), this));
    reprintNumberEdit_ = new QLineEdit(this);
    reprintNumberEdit_->setObjectName(QStringLiteral("reprintNumberEdit"));
    reprintNumberEdit_->setToolTip(QStringLiteral("可选：重打一张时，新快递单的单号，记入打印记录"));
    reprintNumberEdit_->setMaximumWidth(130);
    buttons->addWidget(reprintNumberEdit_);
    connect(addButton(QStringLiteral("导出CSV(&E)..."), "exportButton"), &QPushButton::clicked, this,
            &CPrintLogDlg::ExportSelected);
    buttons->addStretch();
    // A busy shop's log holds months of waybills: the list starts with the newest, and the rest
    // come on asking, so opening and searching stay quick.
    moreLabel_ = new QLabel(QStringLiteral("只显示最新的 %1 条").arg(kShownAtOnce), this);
    moreLabel_->setObjectName(QStringLiteral("moreLabel"));
    buttons->addWidget(moreLabel_);
    showAllButton_ = addButton(QStringLiteral("全部显示(&A)"), "showAllButton");
    connect(showAllButton_, &QPushButton::clicked, this, [this] { Find(true); });
    connect(addButton(QStringLiteral("关闭"), "closeButton"), &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    Find();
}

void CPrintLogDlg::Find(bool all)
{
    PrintLogFilter filter;
    filter.limit = all ? 0 : kShownAtOnce + 1; // one more tells whether older ones are left out
    filter.name = ToCodePage(nameEdit_->text().trimmed());
    filter.telephone = ToCodePage(telephoneEdit_->text().trimmed());
    filter.address = ToCodePage(addressEdit_->text().trimmed());
    filter.includeSender = includeSenderCheck_->isChecked();
    filter.since = sinceEdit_->text().trimmed().toStdString();
    filter.until = untilEdit_->text().trimmed().toStdString();
    for (const std::string* day : {&filter.since, &filter.until}) {
        if (!day->empty() && !IsLogDate(*day)) {
            showMessage(this, QStringLiteral("日期请写成 年-月-日，例如 2026-07-01"), windowTitle(),
                        MessageIcon::Warning);
            return;
        }
    }
    auto found = PrintLog(workspace_.addressBook()).Search(filter);
    if (!found) {
        showMessage(this, FromCodePage(UserMessage(found.error())), windowTitle(), MessageIcon::Warning);
        return;
    }
    entries_ = std::move(found.value());
    const bool more = entries_.size() > kShownAtOnce && !all;
    if (more)
        entries_.resize(kShownAtOnce);
    moreLabel_->setVisible(more);
    showAllButton_->setVisible(more);
    QList<QStringList> rows;
    rows.reserve(static_cast<qsizetype>(entries_.size()));
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const PrintLogEntry& e = entries_[i];
        rows.append({QString::number(i + 1), QString::number(i), Shown(e.time), Shown(e.templateName),
                     Shown(e.source), Shown(e.waybillNumber), Shown(e.texts[3]), Shown(e.texts[12]),
                     Shown(e.texts[0]), Shown(e.texts[7])});
    }
    list_->SetRows(rows);
    // Numbers and times are read whole: cut, two waybills look alike.
    for (const int column : {Time, WaybillNumber})
        list_->resizeColumnToContents(column);
}

std::vector<const PrintLogEntry*> CPrintLogDlg::selectedEntries() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end()); // in the order the list shows them
    std::vector<const PrintLogEntry*> chosen;
    for (const int row : rows)
        chosen.push_back(&entries_[list_->Text(row, Index).toULongLong()]);
    return chosen;
}

namespace {

// The layout of a template other than the current one, its print rectangles computed; none when
// the template is gone or its layout cannot be read.
std::optional<TemplateLayout> OwnLayout(const Workspace& app, const QString& templateName)
{
    const std::vector<TemplateEntry> templates = SortedTemplates(app.WorkFolder);
    const auto found = std::find_if(templates.begin(), templates.end(),
                                    [&](const TemplateEntry& entry) { return entry.name == templateName; });
    TemplateLayout layout;
    if (found == templates.end() || !LoadLayoutFile(LayoutPath(app.WorkFolder, found->fileName), layout))
        return std::nullopt;
    ComputePrintRects(layout, ComputePrintScales(layout));
    return layout;
}

} // namespace

void CPrintLogDlg::ReprintSelected(bool ownTemplate)
{
    const auto chosen = selectedEntries();
    // The engine logs each waybill reprinted; the entries are written once all are printed.
    std::vector<LogWrite> logWrites;
    std::size_t printed = 0;
    QStringList onCurrent; // own template gone
    for (const PrintLogEntry* entry : chosen) {
        std::array<QString, kFieldCount> texts;
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] = FromCodePage(entry->texts[i]);
        QString templateName = currentTemplate_;
        TemplateLayout layout = workspace_.Layout;
        const QString own = FromCodePage(entry->templateName);
        if (ownTemplate && own != currentTemplate_) {
            if (const auto ownLayout = OwnLayout(workspace_, own)) {
                layout = *ownLayout;
                templateName = own;
            } else {
                onCurrent.append(QStringLiteral("%1（%2）").arg(texts[3], own));
            }
        }
        if (!EnsureChosenPrinter(workspace_, this))
            break;
        // The texts cut on the new form are asked about as in the window: a waybill first
        // printed with smaller fonts would otherwise come back cut without a word.
        const BeforePrint beforePrint = [this, &texts](const WaybillFitCheck& check) {
            return DecideCutPrint(this, check, texts, workspace_.ShrinkCutText);
        };
        WindowLog log(workspace_.addressBook());
        log.templateName = templateName;
        log.source = kLogSourceWindow;
        // The old form's number went with the old form; one number names one new form.
        log.waybillNumber = chosen.size() == 1 ? ToCodePage(reprintNumberEdit_->text().trimmed()) : std::string();
        // A label that prints its number is the same waybill again, unless a new number is given.
        if (log.waybillNumber.empty() && PrintsWaybillNumber(layout))
            log.waybillNumber = entry->waybillNumber;
        log.orderNumber = entry->orderNumber;
        log.writer = [&logWrites](LogWrite write) { logWrites.push_back(std::move(write)); };
        if (!PrintWaybill(this, workspace_, texts, layout, beforePrint, &log))
            break;
        ++printed;
    }
    if (printed > 0)
        reprintNumberEdit_->clear();
    if (!onCurrent.isEmpty())
        showMessage(this, QStringLiteral("原模板已不存在，以下快递单按当前模板打印：\n") + onCurrent.join(QLatin1Char('\n')),
                    windowTitle(), MessageIcon::Information);
    if (printed == 0)
        return;
    std::optional<StoreError> unlogged;
    for (const LogWrite& write : logWrites) {
        if (const auto stored = write(); !stored && !unlogged)
            unlogged = stored.error();
    }
    if (!unlogged)
        listeners_.notify(StoreChange::PrintLog);
    else
        showMessage(this,
                    QStringLiteral("快递单已打印，但打印记录无法保存：\n") + FromCodePage(UserMessage(*unlogged)),
                    windowTitle(), MessageIcon::Warning);
    Find();
}

void CPrintLogDlg::ExportSelected()
{
    const auto chosen = selectedEntries();
    if (chosen.empty()) {
        showMessage(this, QStringLiteral("请先在列表中选择要导出的记录"), windowTitle());
        return;
    }
    QString path =
        chooseFile(this, FileChoiceMode::Save, QStringLiteral("导出CSV"), QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!WriteFileAtomically(std::filesystem::path(path.toStdU16String()), PrintLogCsvText(chosen))) {
        showMessage(this, path + QStringLiteral(" 无法写入"), windowTitle(), MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("已导出 %1 条记录到：\n%2").arg(chosen.size()).arg(path), windowTitle(),
                MessageIcon::Information);
}

} // namespace dorvane
