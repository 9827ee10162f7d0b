#include "waybill/PictureFrame.h"

#include <QPainter>

namespace dorvane {

PictureFrame::PictureFrame(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pictureFrame"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureFrame::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void PictureFrame::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), QBrush(picture_));
    painter.drawPixmap(0, 0, picture_);
}

} // namespace dorvane
