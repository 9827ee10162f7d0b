#include "editor/EditingSurface.h"

#include "workspace/Workspace.h"
#include "base/MessageBox.h"
#include "base/PrintFontConversion.h"
#include "print/TextBoxDrawer.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillPrinter.h"
#include "template/TemplatePicture.h"
#include "template/TemplateStore.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QToolTip>

#include <algorithm>

namespace dorvane {

namespace {

// Without a picture: the size the templates are drawn for, and a bound for header values.
constexpr int kDefaultPictureWidth = 870;
constexpr int kDefaultPictureHeight = 480;
constexpr int kLargestPicture = 4000;

QRect ToQRect(const BoxRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

} // namespace

EditingSurface::EditingSurface(const Workspace& workspace, Kind kind, QWidget* parent)
    : QWidget(parent), workspace_(workspace), kind_(kind), tracker_(kind == Kind::Editor)
{
    setObjectName(QStringLiteral("editingSurface"));
    setMouseTracking(true); // hover outlines and cursors without a button held
    setAttribute(Qt::WA_OpaquePaintEvent);
}

EditingSurface::~EditingSurface() = default;

void EditingSurface::openCurrentTemplate()
{
    const Workspace& app = workspace_;
    tracker_.setLayout(app.Layout);
    tracker_.setOffsetShift(OffsetShift(app.PrintOffsetX, app.PrintScaleX),
                            OffsetShift(app.PrintOffsetY, app.PrintScaleY));
    if (loadPicture(PicturePath(app.WorkFolder, app.CurrentTemplate))) {
        pictureSize_ = picture_.size();
    } else {
        const int w = app.Layout.number(0, 4);
        const int h = app.Layout.number(0, 5);
        pictureSize_ = w > 0 && h > 0 ? QSize(std::min(w, kLargestPicture), std::min(h, kLargestPicture))
                                      : QSize(kDefaultPictureWidth, kDefaultPictureHeight);
    }
    if (kind_ == Kind::Preview) {
        openPaper();
        measure();
    }
}

void EditingSurface::openPaper()
{
    // The printer a print from the preview goes to; the name in the settings stays as it is.
    paper_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    WaybillPrintSetup setup = MakePrintSetup(workspace_, logicalDpiY());
    PrepareMeasuringPrinter(*paper_, workspace_.PrinterName, setup);
    paperDpi_ = setup.printerDpi;
}

void EditingSurface::measure()
{
    if (!paper_)
        return;
    const Workspace& app = workspace_;
    paperSetup_ = MakePrintSetup(app, WithBoxPlaces(app.Layout, tracker_.layout()), logicalDpiY());
    paperSetup_.printerDpi = paperDpi_;
    printBoxes_ = WaybillRenderer(paperSetup_).fieldBoxes(*paper_);
    fits_ = WaybillFitCheck(paperSetup_, *paper_).checkAll(texts_);
}

std::vector<int> EditingSurface::cutFields() const
{
    return CutFields(fits_);
}

QString EditingSurface::cutDescriptionAt(QPoint at) const
{
    // The first field under the pointer, as a drag would take it.
    for (int i = 0; i < kFieldCount; ++i) {
        if (tracker_.boxRect(i).contains(at.x(), at.y()))
            return DescribeCut(fits_[static_cast<std::size_t>(i)]);
    }
    return {};
}

bool EditingSurface::loadPicture(const std::filesystem::path& path)
{
    const QPixmap picture = LoadPictureFile(path);
    if (picture.isNull())
        return false;
    picture_ = picture;
    update();
    return true;
}

void EditingSurface::setBarcodeValues(const BarcodeValues& values)
{
    barcodeValues_ = values;
    update();
}

void EditingSurface::setTexts(const std::array<QString, kFieldCount>& texts)
{
    texts_ = texts;
    measure();
    update();
}

std::uint32_t EditingSurface::KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    std::uint32_t state = 0;
    if (buttons & Qt::LeftButton)
        state |= kKeyLeftButton;
    if (buttons & Qt::RightButton)
        state |= kKeyRightButton;
    if (buttons & Qt::MiddleButton)
        state |= kKeyMiddleButton;
    if (buttons & Qt::XButton1)
        state |= kKeyXButton1;
    if (buttons & Qt::XButton2)
        state |= kKeyXButton2;
    if (modifiers & Qt::ShiftModifier)
        state |= kKeyShift;
    if (modifiers & Qt::ControlModifier)
        state |= kKeyControl;
    return state;
}

bool EditingSurface::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = cutDescriptionAt(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

void EditingSurface::drawAsPrinted(QPainter& painter, int field, const QRect& area) const
{
    const auto i = static_cast<std::size_t>(field);
    const QRect& printBox = printBoxes_[i];
    if (printBox.width() <= 0 || printBox.height() <= 0)
        return; // a form without a size prints nothing
    // The printer's layout in the print box, the print box drawn over the box on screen.
    painter.save();
    painter.translate(area.left(), area.top());
    painter.scale(static_cast<double>(area.width()) / printBox.width(),
                  static_cast<double>(area.height()) / printBox.height());
    painter.translate(-printBox.left(), -printBox.top());
    painter.setFont(WaybillRenderer(paperSetup_).fieldFont(field, paper_->logicalDpiY()));
    TextBoxDrawer::draw(painter, printBox, texts_[i], kWaybillFields[i].format, paper_.get());
    painter.restore();
}

void EditingSurface::drawBarcodesAsPrinted(QPainter& painter) const
{
    if (!paper_ || picture_.isNull())
        return;
    // The printer's page drawn over the picture: the picture's place on the paper onto the
    // picture on screen.
    const WaybillRenderer renderer(paperSetup_);
    const QRect onPaper = renderer.pictureBox(*paper_, picture_.size());
    if (onPaper.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(static_cast<double>(picture_.width()) / onPaper.width(),
                  static_cast<double>(picture_.height()) / onPaper.height());
    painter.translate(-onPaper.left(), -onPaper.top());
    for (const auto& [outcome, placed] : renderer.placeBarcodes(*paper_, texts_, &barcodeValues_))
        DrawBarcode(painter, placed);
    painter.restore();
}

void EditingSurface::paintEvent(QPaintEvent*)
{
    const Workspace& app = workspace_;
    QPainter painter(this);
    painter.fillRect(rect(), kMarginColour);
    if (!picture_.isNull())
        painter.drawPixmap(0, 0, picture_);

    painter.setPen(QColor(0, 0, 255));
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFont destinationFont = ToQFont(app.DestinationFont);
    // The editor's labels are smaller than the printed text so that they fit narrow boxes.
    const QFont bodyFont =
        kind_ == Kind::Editor ? ToQFont(app.BodyFont, app.BodyFont.height + 3) : ToQFont(app.BodyFont);
    for (const WaybillField& field : kWaybillFields) {
        const QString& text = texts_[static_cast<std::size_t>(field.index)];
        const BoxRect box = tracker_.boxRect(field.index);
        if (box.right <= box.left || box.bottom <= box.top || text.isEmpty())
            continue;
        const QRect area(box.left, box.top, box.right - box.left, box.bottom - box.top);
        const bool destination = field.index == kDestinationField;
        painter.setFont(destination ? destinationFont : bodyFont);
        if (kind_ == Kind::Preview) {
            drawAsPrinted(painter, field.index, area);
        } else if (destination) {
            TextBoxDrawer::draw(painter, area, text, kCentredSingleLine);
        } else {
            // A label: one line from the box's top-left corner, cut at its edges.
            painter.save();
            painter.setClipRect(area);
            painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            painter.restore();
        }
    }
    if (kind_ == Kind::Preview)
        drawBarcodesAsPrinted(painter);

    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < kFieldCount; ++i) {
        if (!tracker_.hover(i).outlined())
            continue;
        const BoxRect box = tracker_.boxRect(i);
        // The outline covers the box's own pixels: left..right-1, top..bottom-1.
        painter.drawRect(ToQRect(box).normalized().adjusted(0, 0, -1, -1));
    }

    // Boxes right of the picture belong to no cell yet (a field the recognition did not find):
    // framed red, to be dragged onto the form.
    if (!picture_.isNull()) {
        painter.setPen(QPen(Qt::red, 1, Qt::DashLine));
        for (int i = 0; i < kFieldCount; ++i) {
            const BoxRect b = tracker_.boxRect(i);
            if (b.left >= picture_.width())
                painter.drawRect(
                    QRect(b.left, b.top, b.right - b.left, b.bottom - b.top).adjusted(0, 0, -1, -1));
        }
    }

    // The fields the paper cuts: a red frame 2 pixels wide just inside the box.
    painter.setPen(QPen(Qt::red, 2));
    for (int field : CutFields(fits_)) {
        const BoxRect b = tracker_.boxRect(field);
        painter.drawRect(QRectF(b.left, b.top, b.right - b.left, b.bottom - b.top).adjusted(1, 1, -1, -1));
    }
}

void EditingSurface::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const bool wasModified = tracker_.modified();
    tracker_.setModified(false);
    showCursor(tracker_.mouseMove(p.x(), p.y(), KeyStateOf(event->buttons(), event->modifiers())));
    const bool edited = tracker_.modified();
    tracker_.setModified(wasModified || edited);
    if (edited)
        measure();
    update();
    if (edited)
        emit layoutEdited();
}

void EditingSurface::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        showCursor(tracker_.leftButtonDown(p.x(), p.y()));
    }
    QWidget::mousePressEvent(event);
}

void EditingSurface::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        showCursor(tracker_.leftButtonUp());
    QWidget::mouseReleaseEvent(event);
}

void EditingSurface::showCursor(DragCursor cursor)
{
    cursor_ = cursor;
    switch (cursor) {
    case DragCursor::None:
        unsetCursor();
        break;
    case DragCursor::SizeAll:
        setCursor(Qt::SizeAllCursor);
        break;
    case DragCursor::SizeWE:
        setCursor(Qt::SizeHorCursor);
        break;
    case DragCursor::SizeNS:
        setCursor(Qt::SizeVerCursor);
        break;
    case DragCursor::SizeNWSE:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case DragCursor::SizeNESW:
        setCursor(Qt::SizeBDiagCursor);
        break;
    }
}

bool ConfirmCloseWithSave(QWidget* parent, bool layoutModified, const std::function<void()>& save)
{
    if (!layoutModified)
        return true;
    const MessageAnswer answer = showMessage(parent, QStringLiteral("是否保存当前模板设置？"), QStringLiteral("关闭"),
                                             MessageIcon::Warning, MessageButtons::YesNoCancel);
    if (answer == MessageAnswer::Cancel)
        return false;
    if (answer == MessageAnswer::Yes)
        save();
    return true;
}

} // namespace dorvane
