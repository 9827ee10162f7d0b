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

// The middle of a cell's ruled lines, in picture pixels (pixel centres on integers). A thin
// line's middle is the line; a heavy frame's, or two lines drawn side by side, lie within a
// pixel of where the form was laid out.
struct CellLines {
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct FormCell {
    PictureBox inside; // the paper between the cell's ruled lines, in picture pixels
    CellLines lines;
    cv::Rect labelStrip;                  // the cell's top strip in the fine image, clear of its lines
    cv::Rect labelInk;                    // the printed label inside it; empty when the cell has none
    std::vector<PictureBox> writingLines; // short rules inside the cell (the date's 年 月 日 lines)
};

// The writing area of a cell whose label sits in its top-left corner, as the shipped forms
// keep it: 4 pixels in from the side lines, 17 below the top line (the label's room) and 4
// above the bottom line's pixel.
PictureBox WritingArea(const CellLines& lines);
// The box written above a short rule in a cell: the rule's width, at most 30 pixels high and
// no higher than the cell's writing area.
PictureBox BoxOverRule(const PictureBox& rule, const CellLines& lines);

// The cells of a form straightened by StraightenForm, given its fine grayscale image.
std::vector<FormCell> FindCells(const cv::Mat& fine);

} // namespace dorvane
