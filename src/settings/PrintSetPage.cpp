#include "settings/PrintSetPage.h"

#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/MessageBox.h"
#include "base/SettingsFiles.h"
#include "controls/ColouredLabel.h"
#include "controls/GradientButton.h"
#include "settings/CalibrationDlg.h"
#include "settings/FontSetDlg.h"
#include "settings/MillimetreEdit.h"
#include "settings/PrintSetValues.h"
#include "settings/PrinterAdjustments.h"
#include "settings/PrinterSelDlg.h"
#include "print/WaybillPrinter.h"
#include "editor/TemplateDeleteDlg.h"
#include "editor/TemplateEditDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

namespace dorvane {

CPrintSetPage::CPrintSetPage(Workspace& workspace, QWidget* parent) : QWidget(parent), workspace_(workspace)
{
    const char* const names[] = {"offsetXEdit", "offsetYEdit", "spacingXEdit", "spacingYEdit"};
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        edits_[i] = new QLineEdit(this);
        edits_[i]->setObjectName(QString::fromLatin1(names[i]));
        AcceptMillimetresOnly(edits_[i]);
    }

    auto* rows = new QGridLayout;
    const auto addRow = [&](int row, const QString& caption, std::size_t first) {
        const QList<QWidget*> widgets = {new QLabel(caption, this),
                                         new QLabel(QStringLiteral("左右："), this),
                                         edits_[first],
                                         new QLabel(QStringLiteral("上下："), this),
                                         edits_[first + 1],
                                         new QLabel(QStringLiteral("毫米"), this)};
        for (int column = 0; column < widgets.size(); ++column) {
            rows->addWidget(widgets[column], row, column);
            // The text spacing is kept and saved, but not offered for editing.
            widgets[column]->setVisible(row == 0);
        }
    };
    addRow(0, QStringLiteral("打印偏差："), 0);
    addRow(1, QStringLiteral("文本行距："), 2);
    rows->addWidget(
        ColouredLabel(QStringLiteral("[负数向左/上，正数向右/下]"), kHintBlue, this, QStringLiteral("offsetHint")), 2, 0, 1,
        6);
    auto* spacingHint =
        ColouredLabel(QStringLiteral("[负数行距变大，正数缩小]"), kHintBlue, this, QStringLiteral("spacingHint"));
    spacingHint->hide();
    rows->addWidget(spacingHint, 3, 0, 1, 6);

    const auto button = [this](const QString& text, const QString& name, void (CPrintSetPage::*slot)()) {
        auto* b = new CGradientButton(text, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    auto* buttons = new QGridLayout;
    buttons->addWidget(
        button(QStringLiteral("字体(&F)..."), QStringLiteral("fontButton"), &CPrintSetPage::OpenFontDialog),
        0, 0);
    buttons->addWidget(button(QStringLiteral("选择打印机(&P)..."), QStringLiteral("printerButton"),
                              &CPrintSetPage::OpenPrinterSelection),
                       0, 1);
    buttons->addWidget(button(QStringLiteral("打印校准(&C)..."), QStringLiteral("calibrationButton"),
                              &CPrintSetPage::OpenCalibration),
                       1, 0);
    buttons->addWidget(button(QStringLiteral("创建模板(&M)..."), QStringLiteral("createTemplateButton"),
                              &CPrintSetPage::OpenTemplateEditor),
                       2, 0);
    buttons->addWidget(button(QStringLiteral("删除模板(&D)..."), QStringLiteral("deleteTemplateButton"),
                              &CPrintSetPage::OpenTemplateDeletion),
                       2, 1);
    auto* save = button(QStringLiteral("保存(S)"), QStringLiteral("saveButton"), &CPrintSetPage::OnOK);
    save->setDefault(true); // Enter in the settings dialog saves while this page is shown

    shrinkCheck_ = new QCheckBox(QStringLiteral("文字放不下时自动缩小字号"), this);
    shrinkCheck_->setObjectName(QStringLiteral("shrinkCutTextCheck"));
    shrinkCheck_->setChecked(workspace_.ShrinkCutText);
    clearAfterPrintCheck_ = new QCheckBox(QStringLiteral("打印后清空收件人"), this);
    clearAfterPrintCheck_->setObjectName(QStringLiteral("clearAfterPrintCheck"));
    clearAfterPrintCheck_->setChecked(workspace_.ClearRecipientAfterPrint);

    printerLabel_ = new QLabel(this);
    printerLabel_->setObjectName(QStringLiteral("printerInUseLabel"));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignLeft);
    layout->addWidget(printerLabel_);
    layout->addLayout(rows);
    layout->addWidget(shrinkCheck_);
    layout->addWidget(clearAfterPrintCheck_);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addStretch(1);
    layout->addWidget(save, 0, Qt::AlignRight);

    ShowStoredValues();
}

void CPrintSetPage::ShowStoredValues()
{
    const Workspace& app = workspace_;
    const std::int32_t stored[] = {app.PrintOffsetX, app.PrintOffsetY, app.TextSpacingX, app.TextSpacingY};
    for (std::size_t i = 0; i < Values.size(); ++i)
        Values[i] = QString::fromStdString(ShownAdjustment(stored[i]));
    push();
    // Until a printer is chosen, the system's default one prints: the page says which.
    std::string name = app.PrinterName;
    const QString inUse = FindWaybillPrinter(name);
    printerLabel_->setText(QStringLiteral("打印机：") +
                           (!inUse.isEmpty()                      ? inUse
                            : ChosenPrinterGone(app.PrinterName) ? FromCodePage(app.PrinterName) + QStringLiteral("（找不到）")
                                                                  : QStringLiteral("（无）")));
}

void CPrintSetPage::pull()
{
    for (std::size_t i = 0; i < Values.size(); ++i)
        Values[i] = edits_[i]->text();
}

void CPrintSetPage::push()
{
    for (std::size_t i = 0; i < Values.size(); ++i)
        edits_[i]->setText(Values[i]);
}

void CPrintSetPage::OnOK()
{
    pull();
    std::array<std::int32_t, 4> stored{};
    for (std::size_t i = 0; i < Values.size(); ++i)
        stored[i] = StoredAdjustment(ToCodePage(Values[i]));
    Workspace& app = workspace_;
    app.PrintOffsetX = stored[0];
    app.PrintOffsetY = stored[1];
    app.TextSpacingX = stored[2];
    app.TextSpacingY = stored[3];
    ShowStoredValues(); // as stored: "2" shows as "2.0"
    // Line 1 (the printer) is kept as the file holds it.
    const SaveFailure adjustmentsFailure = SaveInUseAdjustments(app.settingsPaths(), app.printSettings());
    app.ShrinkCutText = shrinkCheck_->isChecked();
    const bool shrinkSaved = SaveSwitchIfChanged(app.settingsPaths().overflowIni, app.ShrinkCutText);
    app.ClearRecipientAfterPrint = clearAfterPrintCheck_->isChecked();
    const bool clearSaved = SaveSwitchIfChanged(app.settingsPaths().afterPrintIni, app.ClearRecipientAfterPrint);
    if (!adjustmentsFailure.empty() || !shrinkSaved || !clearSaved) {
        const QString file = !adjustmentsFailure.empty() ? QString::fromStdString(adjustmentsFailure)
                             : !shrinkSaved              ? QStringLiteral("Set/overflow.ini")
                                                         : QStringLiteral("Set/afterprint.ini");
        showMessage(this, QStringLiteral("保存失败！无法写入 %1。").arg(file), QStringLiteral("注意"),
                    MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
}

void CPrintSetPage::OpenFontDialog()
{
    CFontSetDlg dialog(workspace_, this);
    dialog.exec();
}

void CPrintSetPage::OpenPrinterSelection()
{
    CPrinterSelDlg dialog(workspace_, this);
    dialog.exec();
    ShowStoredValues(); // another printer brings its own offsets
}

void CPrintSetPage::OpenCalibration()
{
    CCalibrationDlg dialog(workspace_, this);
    dialog.exec();
    ShowStoredValues();
}

void CPrintSetPage::OpenTemplateEditor()
{
    CTemplateEditDlg dialog(workspace_, this);
    connect(&dialog, &CTemplateEditDlg::layoutSaved, this, &CPrintSetPage::layoutSaved);
    dialog.exec();
}

void CPrintSetPage::OpenTemplateDeletion()
{
    CTemplateDeleteDlg dialog(workspace_, this);
    dialog.exec();
}

} // namespace dorvane
