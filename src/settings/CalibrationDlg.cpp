#include "settings/CalibrationDlg.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "controls/GradientButton.h"
#include "print/CalibrationPrinter.h"
#include "print/WaybillPrinter.h"
#include "settings/MillimetreEdit.h"
#include "settings/PrintSetValues.h"
#include "settings/PrinterAdjustments.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace dorvane {

CCalibrationDlg::CCalibrationDlg(Workspace& workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace)
{
    setWindowTitle(QStringLiteral("打印校准"));

    // The printer the sheet goes to: the one in use, else the default (a copy: nothing changes yet).
    std::string printerName = workspace_.PrinterName;
    const QString printer = FindWaybillPrinter(printerName);
    auto* printerLabel =
        new QLabel(QStringLiteral("打印机：%1").arg(printer.isEmpty() ? QStringLiteral("（无）") : printer), this);
    printerLabel->setObjectName(QStringLiteral("printerLabel"));
    auto* steps = new QLabel(QStringLiteral("1. 用普通纸打印校准页（按零偏差打印，十字在各栏左上角）。\n"
                                            "2. 把校准页叠在空白快递单上对着窗户看，或用尺量：\n"
                                            "    十字要向右、向下移动多少毫米才落在单上各栏的左上角。\n"
                                            "3. 填入量得的毫米数（向左、向上为负数），保存。"),
                             this);

    auto* print = new CGradientButton(QStringLiteral("打印校准页(&P)"), this);
    print->setObjectName(QStringLiteral("printSheetButton"));
    connect(print, &QPushButton::clicked, this, &CCalibrationDlg::OnPrintSheet);

    const char* const names[] = {"moveRightEdit", "moveDownEdit"};
    auto* rows = new QGridLayout;
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        edits_[i] = new QLineEdit(this);
        edits_[i]->setObjectName(QString::fromLatin1(names[i]));
        AcceptMillimetresOnly(edits_[i]);
        const int row = static_cast<int>(i);
        rows->addWidget(new QLabel(i == 0 ? QStringLiteral("向右移动：") : QStringLiteral("向下移动："), this), row, 0);
        rows->addWidget(edits_[i], row, 1);
        rows->addWidget(new QLabel(QStringLiteral("毫米"), this), row, 2);
    }

    auto* save = new CGradientButton(QStringLiteral("保存(&S)"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &CCalibrationDlg::OnOK);
    auto* close = new CGradientButton(QStringLiteral("退出(&X)"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(printerLabel);
    layout->addWidget(steps);
    layout->addWidget(print, 0, Qt::AlignLeft);
    layout->addLayout(rows);
    layout->addLayout(buttons);

    const Workspace& app = workspace_;
    Values = {QString::fromStdString(ShownAdjustment(app.PrintOffsetX)),
              QString::fromStdString(ShownAdjustment(app.PrintOffsetY))};
    push();
    // The first entry has the focus, its text selected, so that typing replaces it.
    edits_[0]->setFocus();
    edits_[0]->selectAll();
}

void CCalibrationDlg::pull()
{
    for (std::size_t i = 0; i < Values.size(); ++i)
        Values[i] = edits_[i]->text();
}

void CCalibrationDlg::push()
{
    for (std::size_t i = 0; i < Values.size(); ++i)
        edits_[i]->setText(Values[i]);
}

void CCalibrationDlg::OnPrintSheet()
{
    if (const auto error = PrintCalibrationSheet(workspace_.PrinterName, MakePrintSetup(workspace_, logicalDpiY()));
        error && error->told())
        showMessage(this, error->message, QString::fromUtf8(kAppTitle));
}

void CCalibrationDlg::OnOK()
{
    pull();
    Workspace& app = workspace_;
    PrintSettings settings = app.printSettings();
    const SaveFailure failure = StoreMeasuredOffsets(app.settingsPaths(), settings, settings.printerName,
                                                     StoredAdjustment(ToCodePage(Values[0])),
                                                     StoredAdjustment(ToCodePage(Values[1])));
    app.setPrintSettings(settings);
    Values = {QString::fromStdString(ShownAdjustment(app.PrintOffsetX)),
              QString::fromStdString(ShownAdjustment(app.PrintOffsetY))};
    push();
    if (!failure.empty()) {
        showMessage(this, QStringLiteral("保存失败！无法写入 %1。").arg(QString::fromStdString(failure)),
                    QStringLiteral("注意"), MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
}

} // namespace dorvane
