#pragma once
// Courier forms of many layouts, drawn as other couriers print theirs (not as the shipped
// forms are drawn): cells of any size, labels at the top left or top centre of their cell, in
// a column at its left (across or upright) or in a cell of their own beside the writing cell,
// 7 to 20 points high, worded as couriers word them, with the party in the label, in a heading
// of the row or column, or in the name cell; red, green, orange or blue print, shaded label
// backgrounds, and lines dashed, broken or missing. Each form is drawn on its paper at the
// resolution it is scanned at, and knows the writing area of each field it labels.

#include "template/WaybillField.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <array>
#include <optional>

namespace dorvane::testing {

struct VariedForm {
    QImage picture;                      // the paper, at dpi
    int paperWidth = 0, paperHeight = 0; // 0.1 mm
    int dpi = 300;
    // In the template picture's pixels (the frame's outer edge 7 pixels in from the sides of
    // 870 x 480): where each labelled field is written, and the whole cell it is written in.
    std::array<std::optional<QRectF>, kFieldCount> writing;
    std::array<std::optional<QRectF>, kFieldCount> cell;
    QString description;
};

// Form number index (0 to 29 give the test's thirty; any index draws a form).
VariedForm DrawVariedForm(int index);

} // namespace dorvane::testing
