#include "settings/PrinterSelDlg.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "base/SettingsFiles.h"
#include "controls/GradientButton.h"
#include "settings/PrintSetValues.h"
#include "settings/PrinterAdjustments.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrinterInfo>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

CPrinterSelDlg::CPrinterSelDlg(Workspace& workspace, QWidget* parent) : QDialog(parent), workspace_(workspace)
{
    setWindowTitle(QStringLiteral("选择打印机设备"));
    setFont(QFont(QStringLiteral("宋体"), 9));

    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("printerCombo"));
    combo_->setEditable(false);
    QStringList names = QPrinterInfo::availablePrinterNames();
    // Case-insensitive order, as a sorted list box shows names; case decides only between
    // names that are otherwise equal.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    combo_->addItems(names);

    std::vector<std::string> codePageNames;
    for (const QString& name : names)
        codePageNames.push_back(ToCodePage(name));
    SelectedPrinter = PreselectedPrinter(codePageNames, workspace_.PrinterName,
                                         ToCodePage(QPrinterInfo::defaultPrinterName()));

    auto* group = new QGroupBox(QStringLiteral("选择要使用的打印机设备"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(combo_);

    auto* save = new CGradientButton(QStringLiteral("保存(&S)"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setDefault(true);
    auto* close = new CGradientButton(QStringLiteral("退出(&X)"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(save, &QPushButton::clicked, this, &CPrinterSelDlg::OnOK);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(360, sizeHint().height());
    push();
}

void CPrinterSelDlg::pull()
{
    SelectedPrinter = combo_->currentIndex();
}

void CPrinterSelDlg::push()
{
    combo_->setCurrentIndex(SelectedPrinter);
}

void CPrinterSelDlg::OnOK()
{
    pull();
    Workspace& app = workspace_;
    PrintSettings settings = app.printSettings();
    const SaveFailure failure = ChoosePrinter(
        app.settingsPaths(), settings,
        SelectedPrinter >= 0 ? ToCodePage(combo_->itemText(SelectedPrinter)) : std::string());
    app.setPrintSettings(settings);
    if (failure == kOffsetsIniName) {
        showMessage(this, QStringLiteral("保存失败！无法写入 Set/offsets.ini，打印偏差未随打印机切换。"),
                    QStringLiteral("注意"), MessageIcon::Warning);
        return;
    }
    if (!failure.empty()) {
        showMessage(this, QStringLiteral("保存失败！无法写入 Set/set.ini，所选打印机只用到本次退出。"),
                    QStringLiteral("注意"), MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("打印机保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
}

} // namespace dorvane
