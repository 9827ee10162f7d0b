#pragma once
// The look and arrangement of one courier's blank waybill form.

#include <QColor>
#include <QString>
#include <vector>

namespace dorvane {

struct FormStyle {
    QString name;     // template name and file base name
    QString title;    // courier name printed in the header
    QString subtitle; // smaller line under the title
    QColor brand;     // lines, labels and bands
    QColor accent;    // header strip and barcode frame
    QColor paper;     // background; writing areas stay this colour
    int paperWidth;   // real form, 0.1 mm
    int paperHeight;
    int headerHeight;      // title strip with origin and destination
    int senderWidth;       // sender block, the recipient block takes the rest
    int nameWidth;         // name cell; the company cell takes the rest of the row
    int lineHeight;        // single-line cells
    int addressHeight;     // address cells
    bool postcodeOwnRow;   // false: postcode shares the phone row
    int goodsWidth;        // goods cell in the bottom block
    int destinationWidth;  // destination cell at the top right
};

// The shipped couriers, in file-name order.
std::vector<FormStyle> CourierStyles();

} // namespace dorvane
