#pragma once
// Frame 1000 of the main window: the template picture, drawn over a pattern of itself.

#include <QPixmap>
#include <QWidget>

namespace dorvane {

class PictureFrame : public QWidget {
    Q_OBJECT
public:
    explicit PictureFrame(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

} // namespace dorvane
