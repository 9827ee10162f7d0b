#pragma once
// The program's mark, a printed waybill coming out of a printer, and the pictures made from
// it: the window icon at the sizes a window manager asks for, and the About box's banner.

#include <QImage>
#include <QRectF>

class QPainter;

namespace dorvane {

// Draws the mark into box (square); small boxes get fewer details.
void DrawProgramMark(QPainter& painter, const QRectF& box);

// The mark alone on a transparent square of size pixels.
QImage ProgramIconImage(int size);

// The About box's banner: the mark beside a multi-part waybill set.
QImage AboutPictureImage();

} // namespace dorvane
