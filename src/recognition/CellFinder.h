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

// A run of print inside a cell: characters standing close together along a line, or one
// under another (a label printed upright in a narrow column).
struct TextBlock {
    cv::Rect ink; // in fine samples
    bool vertical = false;
    int characters = 0; // as counted from the block's shape
};

struct FormCell {
    PictureBox inside; // the paper between the cell's ruled lines, in picture pixels
    CellLines lines;
    cv::Rect region;                      // the same paper in fine samples
    std::vector<TextBlock> texts;         // the print inside, top-left first
    std::vector<PictureBox> writingLines; // short rules inside the cell (the date's 年 月 日 lines)
};

// The writing area of a cell whose label sits in its top-left corner, as the shipped forms
// keep it: 4 pixels in from the side lines, 17 below the top line (the label's room) and 4
// above the bottom line's pixel.
PictureBox WritingArea(const CellLines& lines);
// What a label leaves of its cell to write in: below a label printed along the cell's top
// (the shipped forms' room when it fits there), right of one printed in a column at the
// cell's left. label in fine samples. Empty (w or h of 0 or less) when nothing is left.
PictureBox WritingAreaBeside(const CellLines& lines, const TextBlock& label);
// A label at the cell's left rather than over the writing: upright, or a line standing
// clear of the cell's top.
bool LabelAtLeft(const CellLines& lines, const TextBlock& label);
// The box written above a short rule in a cell: the rule's width, at most 30 pixels high and
// no higher than the cell's writing area.
PictureBox BoxOverRule(const PictureBox& rule, const CellLines& lines);

// The cells of a form straightened by StraightenForm, given its fine grayscale image.
std::vector<FormCell> FindCells(const cv::Mat& fine);

} // namespace dorvane
