#pragma once
// The surface the template editor and the print preview draw and drag on: the template
// picture at the top-left corner of a blue-violet margin, each field box with its label or
// text in blue, and an outline around the boxes under the pointer. It covers the dialog's
// client area below the dialog's own controls; its origin is the picture's top-left corner.
//
// The preview shows each text as the paper will hold it: laid out on the printer (measured,
// never printed on) in its print box, scaled onto the box on screen. A field the paper would
// cut is outlined in red, with what it loses as its tooltip. The template's barcodes are
// placed on that printer as well, and drawn where they fall on the picture.

#include "print/WaybillRenderer.h"
#include "editor/DragTracker.h"
#include "template/WaybillField.h"

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <filesystem>
#include <memory>
#include <vector>

class QPrinter;

namespace dorvane {

struct Workspace;

class EditingSurface : public QWidget {
    Q_OBJECT
public:
    enum class Kind {
        Editor,  // field names as labels, resize strips, body font 3 pixels smaller
        Preview, // field texts as the paper holds them, moving only
    };

    static inline const QColor kMarginColour{132, 135, 246};

    EditingSurface(const Workspace& workspace, Kind kind, QWidget* parent = nullptr);
    ~EditingSurface() override;

    // Shows the picture of the current template over a copy of its layout, boxes moved by
    // the print offsets. The preview also takes the printer a print from it would go to.
    void openCurrentTemplate();
    // Shows the picture in the file; false (nothing changed) when there is none to load.
    bool loadPicture(const std::filesystem::path& path);
    const QPixmap& picture() const { return picture_; }
    // W x H: the picture loaded at opening or, without one, the picture size the layout
    // names (so that a template whose picture is missing can still be edited).
    QSize pictureSize() const { return pictureSize_; }

    // What each box holds (editor: the field names; preview: the field texts).
    void setTexts(const std::array<QString, kFieldCount>& texts);
    // Preview: the numbers the template's barcodes print (the waybill number typed in the window).
    void setBarcodeValues(const BarcodeValues& values);

    // Preview: what the paper leaves out of each text at the boxes as shown, and the fields
    // it cuts (catalogue order). Measured again whenever a text or a box place changes.
    const FieldFits& fits() const { return fits_; }
    std::vector<int> cutFields() const;
    // The tooltip at a point of the surface: what the paper cuts of the field there.
    QString cutDescriptionAt(QPoint at) const;

    DragTracker& tracker() { return tracker_; }
    const DragTracker& tracker() const { return tracker_; }

    // The cursor the last mouse event asked for (also set on the widget).
    DragCursor dragCursor() const { return cursor_; }

    // Translates a Qt mouse state to the platform key state the drag rules are written in.
    static std::uint32_t KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

signals:
    // A drag step changed a cell of the layout copy.
    void layoutEdited();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showCursor(DragCursor cursor);
    void openPaper();
    void measure();
    void drawAsPrinted(QPainter& painter, int field, const QRect& area) const;
    void drawBarcodesAsPrinted(QPainter& painter) const;

    const Workspace& workspace_;
    Kind kind_;
    DragTracker tracker_;
    QPixmap picture_;
    QSize pictureSize_;
    std::array<QString, kFieldCount> texts_;
    DragCursor cursor_ = DragCursor::None;

    // Preview only: the printer the fields are measured on, the print at the boxes as shown,
    // each field's box on the printer's page and what the paper cuts.
    std::unique_ptr<QPrinter> paper_;
    WaybillPrintSetup paperSetup_;
    int paperDpi_ = 0; // paper_'s own resolution, asked of the spooler when it was opened
    std::array<QRect, kFieldCount> printBoxes_{};
    BarcodeValues barcodeValues_;
    FieldFits fits_{};
};

// The closing question of the editor and the preview: when the layout was changed, asks
// "是否保存当前模板设置？" (Yes, No, Cancel) and saves on Yes. False when the user chose to stay.
bool ConfirmCloseWithSave(QWidget* parent, bool layoutModified, const std::function<void()>& save);

} // namespace dorvane
