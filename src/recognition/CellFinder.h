#pragma once
// The ruled cells of a straightened form, and where a cell's label and writing area are.

#include <opencv2/core.hpp>

#include <vector>

namespace dorvane {

// A rectangle in picture pixels: left, top, width and height.
struct PictureBox {
    int x = 0, y = 0, w = 0, h = 0;
    int right() const { return x + w - 1; }
    int bottom() const { return y + h - 1; }
    bool operator==(const PictureBox&) const = default;
};

struct FormCell {
    PictureBox inside;      // the paper between the cell's ruled lines, in picture pixels
    cv::Rect labelStrip;    // the cell's top strip in the fine image, clear of its lines
    cv::Rect labelInk;      // the printed label inside it; empty when the cell has none
    std::vector<PictureBox> writingLines; // short rules inside the cell (the date's 年 月 日 lines)
};

// The writing area of a cell whose label sits in its top-left corner: the shipped forms keep
// 3 pixels from the side lines, 16 below the top line for the label and 3 above the bottom.
PictureBox WritingArea(const PictureBox& inside);
// The box written above a short rule in a cell: the rule's width, at most 30 pixels high and
// no higher than the cell's writing area.
PictureBox BoxOverRule(const PictureBox& rule, const PictureBox& inside);

// The cells of a form straightened by StraightenForm, given its fine grayscale image.
std::vector<FormCell> FindCells(const cv::Mat& fine);

} // namespace dorvane
