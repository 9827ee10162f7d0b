#include "about/LinkLabel.h"

#include "about/HyperlinkError.h"
#include "base/MessageBox.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace dorvane {

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent, const QString& address)
    : QLabel(text, parent), address_(address)
{
    setObjectName(QStringLiteral("linkLabel"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    if (address_.isEmpty())
        address_ = QLabel::text();
    if (QLabel::text().isEmpty())
        setText(address_);
    normalFont_ = font();
    underlinedFont_ = normalFont_;
    underlinedFont_.setUnderline(true);
    hoverTimer_.setInterval(100);
    connect(&hoverTimer_, &QTimer::timeout, this, &CLinkLabel::checkHover);
    applyLook();
    resizeToFit();
    setToolTip(address_);
}

void CLinkLabel::setAddress(const QString& address)
{
    address_ = address;
    resizeToFit();
    setToolTip(tooltipText_.isEmpty() ? address_ : tooltipText_);
}

void CLinkLabel::setUnderlineMode(int mode)
{
    if (mode == underlineMode_)
        return;
    underlineMode_ = mode;
    applyLook();
}

void CLinkLabel::setVisited(bool visited)
{
    visited_ = visited;
    applyLook();
}

void CLinkLabel::setLinkColour(const QColor& colour)
{
    linkColour_ = colour;
    applyLook();
}

void CLinkLabel::setVisitedColour(const QColor& colour)
{
    visitedColour_ = colour;
    applyLook();
}

void CLinkLabel::setHoverColour(const QColor& colour)
{
    hoverColour_ = colour;
    applyLook();
}

QColor CLinkLabel::currentColour() const
{
    return hovering_ ? hoverColour_ : visited_ ? visitedColour_ : linkColour_;
}

void CLinkLabel::applyLook()
{
    const bool underline = underlineMode_ == 1 || (underlineMode_ == -1 && hovering_);
    setFont(underline ? underlinedFont_ : normalFont_);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, currentColour());
    setPalette(colours);
    update();
}

void CLinkLabel::resizeToFit()
{
    if (!adjustToFit_)
        return;
    const QRect old = geometry();
    const QSize text = QFontMetrics(underlinedFont_).size(Qt::TextSingleLine, QLabel::text());
    const int frame = 2 * frameWidth();
    const QSize size(text.width() + frame + 2 * margin(), text.height() + frame + 2 * margin());
    int x = old.left();
    if (alignment() & Qt::AlignHCenter)
        x = old.center().x() - size.width() / 2;
    else if (alignment() & Qt::AlignRight)
        x = old.right() + 1 - size.width();
    const int y = (alignment() & Qt::AlignVCenter) ? old.center().y() - size.height() / 2 : old.top();
    setGeometry(x, y, size.width(), size.height());
    setMinimumSize(size);
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (!hovering_) {
        hovering_ = true;
        applyLook();
        hoverTimer_.start();
    }
    QLabel::mouseMoveEvent(event);
}

void CLinkLabel::checkHover()
{
    if (!rect().contains(mapFromGlobal(QCursor::pos())))
        endHover();
}

void CLinkLabel::leaveEvent(QEvent* event)
{
    // Qt reports the leaving itself; the timer covers platforms that miss it.
    endHover();
    QLabel::leaveEvent(event);
}

void CLinkLabel::endHover()
{
    hoverTimer_.stop();
    if (!hovering_)
        return;
    hovering_ = false;
    applyLook();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    hovering_ = false;
    hoverTimer_.stop();
    const int result = openAddress(address_);
    const bool opened = result > 32;
    if (opened)
        visited_ = true; // stays for the control's life
    applyLook();
    if (!opened) {
        QApplication::beep();
        reportError(result);
    }
}

int CLinkLabel::openAddress(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (address.trimmed().isEmpty() || !url.isValid())
        return kFileNotFound;
    // Qt does not tell why the browser could not be started; the usual cause is that no
    // program is registered for the address.
    return QDesktopServices::openUrl(url) ? 33 : kNoAssociation;
}

void CLinkLabel::reportError(int code)
{
    showMessage(window(), QString::fromLatin1(HyperlinkErrorMessage(code)), QString::fromLatin1(kAppTitle),
                MessageIcon::Warning);
}

} // namespace dorvane
