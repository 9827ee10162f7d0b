#pragma once
// The print preview: the main window's texts drawn in their boxes on the template picture.
// Boxes can be moved (not resized) and their places saved to the current template; printing
// from here prints the main window's texts at the places shown here.

#include "template/TemplateLayout.h"
#include "template/WaybillField.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <utility>

namespace dorvane {

class EditingSurface;
struct Workspace;

class CAdjustPreviewDlg : public QDialog {
    Q_OBJECT
public:
    CAdjustPreviewDlg(Workspace& workspace, const std::array<QString, kFieldCount>& fieldText,
                      QWidget* parent = nullptr);

    // The texts shown, in catalogue order.
    std::array<QString, kFieldCount> FieldText;
    bool PrintWithPicture = false; // check box: the template picture printed under the texts

    // How 打印 prints the texts at the places shown (the main window gives its own print, which
    // asks about cut texts and logs the waybill); without one the preview prints them itself.
    using PrintShown = std::function<void(const TemplateLayout& shown, bool withPicture)>;
    void setPrintShown(PrintShown print) { printShown_ = std::move(print); }

    bool LayoutModified() const { return layoutModified_; }
    EditingSurface* surface() const { return surface_; }

    void PrintPreviewed();
    bool SavePositions();

signals:
    // The box places were saved: the workspace's layout holds them now.
    void layoutSaved();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Workspace& workspace_;
    EditingSurface* surface_ = nullptr;
    bool layoutModified_ = false;
    PrintShown printShown_;
};

} // namespace dorvane
