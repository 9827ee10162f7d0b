#include "settings/PrintSetPage.h"

#include "app/AppValues.h"
#include "app/CodePageText.h"
#include "app/MessageBox.h"
#include "app/SettingsFiles.h"
#include "controls/ColouredLabel.h"
#include "controls/GradientButton.h"
#include "settings/FontSetDlg.h"
#include "settings/PrintSetValues.h"
#include "settings/PrinterSelDlg.h"
#include "template/TemplateDeleteDlg.h"
#include "template/TemplateEditDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace dorvane {

CPrintSetPage::CPrintSetPage(QWidget* parent) : QWidget(parent)
{
    const char* const names[] = {"offsetXEdit", "offsetYEdit", "spacingXEdit", "spacingYEdit"};
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        edits_[i] = new QLineEdit(this);
        edits_[i]->setObjectName(QString::fromLatin1(names[i]));
        edits_[i]->installEventFilter(this);
        // Numbers only: an input method would commit text past the character filter.
        edits_[i]->setAttribute(Qt::WA_InputMethodEnabled, false);
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
    buttons->addWidget(button(QStringLiteral("创建模板(&M)..."), QStringLiteral("createTemplateButton"),
                              &CPrintSetPage::OpenTemplateEditor),
                       1, 0);
    buttons->addWidget(button(QStringLiteral("删除模板(&D)..."), QStringLiteral("deleteTemplateButton"),
                              &CPrintSetPage::OpenTemplateDeletion),
                       1, 1);
    auto* save = button(QStringLiteral("保存(S)"), QStringLiteral("saveButton"), &CPrintSetPage::OnOK);
    save->setDefault(true); // Enter in the settings dialog saves while this page is shown

    shrinkCheck_ = new QCheckBox(QStringLiteral("文字放不下时自动缩小字号"), this);
    shrinkCheck_->setObjectName(QStringLiteral("shrinkCutTextCheck"));
    shrinkCheck_->setChecked(App().ShrinkCutText);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignLeft);
    layout->addLayout(rows);
    layout->addWidget(shrinkCheck_);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addStretch(1);
    layout->addWidget(save, 0, Qt::AlignRight);

    const AppValues& app = App();
    const std::int32_t stored[] = {app.PrintOffsetX, app.PrintOffsetY, app.TextSpacingX, app.TextSpacingY};
    for (std::size_t i = 0; i < Values.size(); ++i)
        Values[i] = QString::number(ShownAdjustment(stored[i]));
    push();
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
    for (std::size_t i = 0; i < Values.size(); ++i) {
        if (Values[i].isEmpty())
            Values[i] = QStringLiteral("0");
        stored[i] = StoredAdjustment(ToCodePage(Values[i]));
    }
    AppValues& app = App();
    app.PrintOffsetX = stored[0];
    app.PrintOffsetY = stored[1];
    app.TextSpacingX = stored[2];
    app.TextSpacingY = stored[3];
    push();
    // Line 1 (the printer) is kept as the file holds it.
    const bool adjustmentsSaved = SaveAdjustments(app.settingsPaths().setIni, app.printSettings());
    app.ShrinkCutText = shrinkCheck_->isChecked();
    const std::filesystem::path overflowIni = app.settingsPaths().overflowIni;
    const bool shrinkSaved =
        LoadShrinkCutText(overflowIni) == app.ShrinkCutText || SaveShrinkCutText(overflowIni, app.ShrinkCutText);
    if (!adjustmentsSaved || !shrinkSaved) {
        const QString file = adjustmentsSaved ? QStringLiteral("Set/overflow.ini") : QStringLiteral("Set/set.ini");
        showMessage(this, QStringLiteral("保存失败！无法写入 %1。").arg(file), QStringLiteral("注意"),
                    MessageIcon::Warning);
        return;
    }
    showMessage(this, QStringLiteral("保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
}

bool CPrintSetPage::eventFilter(QObject* watched, QEvent* event)
{
    // Only digits, the minus sign and Backspace may be typed into the four edits; keys that
    // type nothing (arrows, Delete) and shortcuts (Ctrl+V pastes unfiltered) pass.
    if (event->type() == QEvent::KeyPress &&
        std::find(edits_.begin(), edits_.end(), watched) != edits_.end()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!shortcut && !text.isEmpty() && text.front().isPrint()) {
            for (const char32_t c : text.toUcs4())
                if (!IsAdjustmentChar(c))
                    return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CPrintSetPage::OpenFontDialog()
{
    CFontSetDlg dialog(this);
    dialog.exec();
}

void CPrintSetPage::OpenPrinterSelection()
{
    CPrinterSelDlg dialog(this);
    dialog.exec();
}

void CPrintSetPage::OpenTemplateEditor()
{
    CTemplateEditDlg dialog(this);
    dialog.exec();
}

void CPrintSetPage::OpenTemplateDeletion()
{
    CTemplateDeleteDlg dialog(this);
    dialog.exec();
}

} // namespace dorvane
