#include "editor/AdjustPreviewDlg.h"

#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "controls/GradientButton.h"
#include "print/WaybillPrinter.h"
#include "editor/EditingSurface.h"
#include "template/TemplatePicture.h"
#include "template/TemplateStore.h"

#include <QCheckBox>
#include <QCloseEvent>

namespace dorvane {

CAdjustPreviewDlg::CAdjustPreviewDlg(Workspace& workspace, const std::array<QString, kFieldCount>& fieldText,
                                     QWidget* parent)
    : QDialog(parent), FieldText(fieldText), workspace_(workspace)
{
    setObjectName(QStringLiteral("adjustPreviewDialog"));
    setWindowTitle(QStringLiteral("打印预览"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    surface_ = new EditingSurface(workspace_, EditingSurface::Kind::Preview, this);
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

    auto* withPicture = new QCheckBox(QStringLiteral("带底图打印"), this);
    withPicture->setObjectName(QStringLiteral("withPictureCheck"));
    withPicture->setToolTip(QStringLiteral("在白纸上连同模板底图一起打印，可叠在真实快递单上核对位置"));
    withPicture->setGeometry(w + 12, 148, 86, 20);
    connect(withPicture, &QCheckBox::toggled, this, [this](bool on) { PrintWithPicture = on; });

    auto* save = new CGradientButton(QStringLiteral("保存(&S)"), this);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setGeometry(w + 15, 195, 70, 35);
    connect(save, &QPushButton::clicked, this, [this] { SavePositions(); });
}

void CAdjustPreviewDlg::PrintPreviewed()
{
    // The main window's texts, at the boxes as shown here, moved and saved or not.
    const TemplateLayout shown = WithBoxPlaces(workspace_.Layout, surface_->tracker().layout());
    if (printShown_) {
        printShown_(shown, PrintWithPicture);
        return;
    }
    const QImage picture =
        PrintWithPicture ? LoadPictureImage(PicturePath(workspace_.WorkFolder, workspace_.CurrentTemplate), "BMP") : QImage();
    const auto error = PrintUnloggedWaybill(workspace_.PrinterName, MakePrintSetup(workspace_, shown, logicalDpiY()), FieldText,
                                            PrintWithPicture ? &picture : nullptr);
    if (error && error->told())
        showMessage(this, error->message, QString::fromUtf8(kAppTitle),
                    error->kind == PrintFailure::NoPrinter ? MessageIcon::Warning : MessageIcon::None);
}

bool CAdjustPreviewDlg::SavePositions()
{
    Workspace& app = workspace_;
    const TemplateLayout saved = WithBoxPlaces(app.Layout, surface_->tracker().layout());
    if (!SaveLayoutFile(LayoutPath(app.WorkFolder, app.CurrentTemplate), saved)) {
        showMessage(this, QStringLiteral("保存失败！"), QStringLiteral("注意"), MessageIcon::Warning);
        return false;
    }
    // The main window prints at the saved places from now on, and its controls move there.
    app.Layout = saved;
    emit layoutSaved();
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
