#pragma once
// A text label that behaves as a web link: coloured, underlined while hovered or always,
// a hand cursor, a tooltip, and a click that opens its address in the user's browser.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QTimer>

namespace dorvane {

class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    // Shell error codes that a failed opening is reported with.
    static constexpr int kFileNotFound = 2;
    static constexpr int kNoAssociation = 31;

    // An empty address takes the text; an empty text shows the address.
    explicit CLinkLabel(const QString& text = {}, QWidget* parent = nullptr, const QString& address = {});

    void setAddress(const QString& address);
    QString address() const { return address_; }
    // Takes effect at the next setAddress.
    void setTooltipText(const QString& text) { tooltipText_ = text; }
    // -1 underline while hovered, 0 never, 1 always.
    void setUnderlineMode(int mode);
    int underlineMode() const { return underlineMode_; }
    void setVisited(bool visited);
    bool isVisited() const { return visited_; }
    bool isHovering() const { return hovering_; }
    void setAdjustToFit(bool adjust) { adjustToFit_ = adjust; }

    void setLinkColour(const QColor& colour);
    void setVisitedColour(const QColor& colour);
    void setHoverColour(const QColor& colour);
    // The colour the text is drawn in now.
    QColor currentColour() const;

    // Opens address in the browser; returns a value greater than 32 on success, otherwise
    // the error code of the failure.
    static int openAddress(const QString& address);
    // The beep-less part of the failure report: the message box.
    void reportError(int code);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void checkHover();
    void endHover();
    void applyLook();
    void resizeToFit();

    QColor linkColour_{0, 0, 238};
    QColor visitedColour_{85, 26, 139};
    QColor hoverColour_{255, 0, 0};
    bool hovering_ = false;
    bool visited_ = false;
    int underlineMode_ = -1;
    bool adjustToFit_ = true;
    QString address_;
    QString tooltipText_;
    QFont normalFont_;
    QFont underlinedFont_;
    QTimer hoverTimer_; // the 100 ms hover check
};

} // namespace dorvane
