#pragma once
// One courier's blank waybill: where the twenty field boxes go, the picture drawn around
// them and the layout file that records them. Both come from the same rectangles, so the
// layout always lies on the drawn cells.

#include "FormStyle.h"
#include "template/WaybillField.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <array>
#include <vector>

namespace dorvane {

class CourierForm {
public:
    static constexpr int kWidth = 870;
    static constexpr int kHeight = 480;

    explicit CourierForm(FormStyle style);

    const FormStyle& style() const { return style_; }
    // The writing area of each field, in catalogue order: inside its cell, clear of the label.
    const std::array<QRect, kFieldCount>& boxes() const { return boxes_; }

    QImage picture() const;        // 32-bit rendering
    QImage indexedPicture() const; // the same with a 256-colour palette, for a small BMP
    // The layout file's bytes (GBK, CR LF line ends); empty when the encoder is missing.
    QByteArray layoutFile() const;

private:
    struct Cell {
        QRect frame;
        QString label;
        bool field;  // false: printed decoration the program never fills
        bool strong; // origin and destination get a heavy frame
    };

    void layOut();
    void addCell(const QRect& frame, int field, bool strong = false);
    void addDecoration(const QRect& frame, const QString& label);
    void addDateCell(const QRect& frame);
    void layOutParty(int left, int top, int width, bool sender);
    void paintHeader(class QPainter& p) const;
    void paintCells(class QPainter& p) const;

    FormStyle style_;
    std::vector<Cell> cells_;
    std::vector<std::pair<QRect, QString>> bands_; // vertical party bands ("寄件人", "收件人")
    std::vector<std::pair<QRect, QString>> dateMarks_; // 年 月 日 after their boxes
    std::array<QRect, kFieldCount> boxes_{};
    int originLeft_ = 0;
};

} // namespace dorvane
