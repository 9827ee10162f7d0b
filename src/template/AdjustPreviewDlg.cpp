#include "template/AdjustPreviewDlg.h"

#include "app/AppValues.h"
#include "app/MessageBox.h"
#include "controls/GradientButton.h"
#include "print/WaybillPrinter.h"
#include "template/EditingSurface.h"
#include "template/TemplateStore.h"
#include "waybill/WaybillDlg.h"

#include <QCloseEvent>

namespace dorvane {

CAdjustPreviewDlg::CAdjustPreviewDlg(const std::array<QString, kFieldCount>& fieldText, QWidget* parent)
    : QDialog(parent), FieldText(fieldText)
{
    setObjectName(QStringLiteral("adjustPreviewDialog"));
    setWindowTitle(QStringLiteral("打印预览"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    App().LayoutChanged = 0;

    surface_ = new EditingSurface(EditingSurface::Kind::Preview, this);
    surface_->setTexts(FieldText);
    surface_->openCurrentTemplate();
    connect(surface_, &EditingSurface::layoutEdited, this, [this] { layoutModified_ = true; });

    const QSize picture = surface_->pictureSize();
    const int w = picture.width();
    move(30, 30);
    setFixedSize(w + 100, picture.height() + 50);
    surface_->setGeometry(0, 0, w + 100, picture.height() + 50);

    auto* print = new CGradientButton(QStringLiteral("打印(&P)"), this);
    print->setObjectName(QStringLiteral("printButton"));
    print->setGeometry(w + 15, 105, 70, 35);
    print->setDefault(true);
    connect(print, &QPushButton::clicked, this, &CAdjustPreviewDlg::PrintPreviewed);

    auto* save = new CGradientButton(QStringLiteral("保存(&S)"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setGeometry(w + 15, 195, 70, 35);
    connect(save, &QPushButton::clicked, this, [this] { SavePositions(); });
}

void CAdjustPreviewDlg::PrintPreviewed()
{
    // The main window prints its own texts at the places it laid out; moves made here reach
    // the paper once it has re-read the saved layout.
    if (auto* waybill = qobject_cast<CWaybillDlg*>(parentWidget()))
        waybill->PrintCurrentWaybill();
    else
        PrintWaybill(this, FieldText);
}

bool CAdjustPreviewDlg::SavePositions()
{
    AppValues& app = App();
    const TemplateLayout& moved = surface_->tracker().layout();
    for (int row = 0; row < TemplateLayout::kRows; ++row) {
        app.Layout.setCell(row, 2, moved.cell(row, 2));
        app.Layout.setCell(row, 3, moved.cell(row, 3));
    }
    if (!SaveLayoutFile(LayoutPath(app.WorkFolder, app.CurrentTemplate), app.Layout)) {
        showMessage(this, QStringLiteral("保存失败！"), QStringLiteral("注意"), MessageIcon::Warning);
        return false;
    }
    app.LayoutChanged = 1;
    layoutModified_ = false;
    surface_->tracker().setModified(false);
    showMessage(this, QStringLiteral("保存成功！"), QStringLiteral("提示"), MessageIcon::Information);
    return true;
}

void CAdjustPreviewDlg::closeEvent(QCloseEvent* event)
{
    if (!ConfirmCloseWithSave(this, layoutModified_, [this] { SavePositions(); })) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::reject();
}

} // namespace dorvane
