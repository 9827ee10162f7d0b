#include "CellFinder.h"

#include "FormStraightener.h"
#include "TextBlocks.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace dorvane {

namespace {

constexpr int F = kFineScale;
// Ruled lines are longer than any stroke of printed text: cells are at least this wide and
// high; a title's strokes stay shorter.
constexpr int kShortestRule = 40, kShortestSide = 34;
// A cell may hold no more than a label of its own (the writing cell beside it).
constexpr int kLeastCellWidth = 16, kLeastCellHeight = 16;
constexpr int kLabelRoom = 16; // label strip under a cell's top line on the shipped forms
// Gaps that a broken or dashed line leaves, bridged along the line.
constexpr int kLargestLineGap = 14;
constexpr int kShortestWritingLine = 16; // the date's rules; characters' strokes stay shorter
constexpr int kLeastMark = 3;            // area of the smallest piece of a character, in picture pixels
constexpr int kThickestLine = 5;         // thicker ink beside a cell is a filled band, no line

// Picture pixels from a run of fine samples first..last (inclusive).
int FirstPixel(int first)
{
    return static_cast<int>(std::lround(static_cast<double>(first) / F));
}
int LastPixel(int last)
{
    return static_cast<int>(std::lround(static_cast<double>(last + 1) / F)) - 1;
}

cv::Mat Opened(const cv::Mat& ink, cv::Size kernel)
{
    cv::Mat out;
    cv::morphologyEx(ink, out, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_RECT, kernel));
    return out;
}

std::vector<PictureBox> WritingLines(const cv::Mat& shortRules, const PictureBox& inside,
                                     const CellLines& lines)
{
    std::vector<PictureBox> out;
    const PictureBox area = WritingArea(lines);
    if (area.w <= 0 || area.h <= 0)
        return out;
    // Down to the cell's bottom line, which the rules may sit just above.
    const cv::Rect region(area.x * F, area.y * F, area.w * F, (inside.bottom() - area.y) * F);
    cv::Mat labels, stats, centroids;
    const int count =
        cv::connectedComponentsWithStats(shortRules(region), labels, stats, centroids, 8, CV_32S);
    for (int i = 1; i < count; ++i) {
        const int x = stats.at<int>(i, cv::CC_STAT_LEFT) + region.x,
                  y = stats.at<int>(i, cv::CC_STAT_TOP) + region.y;
        const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
        if (w < kShortestWritingLine * F || h > 3 * F)
            continue;
        const int left = FirstPixel(x), right = LastPixel(x + w - 1);
        const int row = static_cast<int>(std::lround((2.0 * y + h) / (2.0 * F) - 0.5));
        out.push_back({left, row, right - left + 1, 1});
    }
    std::sort(out.begin(), out.end(), [](const PictureBox& a, const PictureBox& b) { return a.x < b.x; });
    return out;
}

// Where the middle of the ruled line along one side of a cell lies on the axis across it, in
// picture pixels. first: the line's sample next to the cell's paper; outward: away from the
// cell; along: the step between the places measured. A run of rule too thick for a line
// (a filled band beside the cell) counts as a thin line at its edge.
double LineMiddle(const cv::Mat& rules, cv::Point first, cv::Point outward, cv::Point along, int places)
{
    std::vector<int> runs;
    const cv::Rect image(0, 0, rules.cols, rules.rows);
    for (int k = 0; k < places; ++k) {
        const cv::Point start = first + along * k;
        int run = 0;
        while (run <= kThickestLine * F && image.contains(start + outward * run) &&
               rules.at<uchar>(start + outward * run))
            ++run;
        if (run > 0)
            runs.push_back(run);
    }
    int run = F; // a thin line
    if (!runs.empty()) {
        std::nth_element(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(runs.size() / 2),
                         runs.end());
        run = runs[runs.size() / 2];
        if (run > kThickestLine * F)
            run = F;
    }
    const cv::Point middle = first * 2 + outward * (run - 1); // twice the sample coordinate
    const double sample = (outward.x != 0 ? middle.x : middle.y) / 2.0;
    return (sample - (F - 1) / 2.0) / F;
}

} // namespace

PictureBox WritingArea(const CellLines& lines)
{
    const int left = static_cast<int>(std::lround(lines.left)),
              top = static_cast<int>(std::lround(lines.top));
    const int right = static_cast<int>(std::lround(lines.right)),
              bottom = static_cast<int>(std::lround(lines.bottom));
    return {left + 4, top + kLabelRoom + 1, right - left - 8, bottom - top - kLabelRoom - 4};
}

bool LabelAtLeft(const CellLines& lines, const TextBlock& label)
{
    const double top = label.ink.y / static_cast<double>(F) - lines.top;
    const double height = lines.bottom - lines.top;
    return label.vertical || (top > 5 && top > 0.25 * height);
}

PictureBox WritingAreaBeside(const CellLines& lines, const TextBlock& label)
{
    const PictureBox shipped = WritingArea(lines);
    const int labelRight = LastPixel(label.ink.x + label.ink.width - 1);
    const int labelBottom = LastPixel(label.ink.y + label.ink.height - 1);
    const int right = shipped.right(), bottom = shipped.bottom();
    if (LabelAtLeft(lines, label)) {
        const int left = labelRight + 4, top = static_cast<int>(std::lround(lines.top)) + 4;
        return {left, top, right - left + 1, bottom - top + 1};
    }
    if (labelBottom < shipped.y - 1)
        return shipped;
    const int top = labelBottom + 3;
    return {shipped.x, top, shipped.w, bottom - top + 1};
}

PictureBox BoxOverRule(const PictureBox& rule, const CellLines& lines)
{
    const int h = std::min(WritingArea(lines).h, 30);
    return {rule.x, rule.y - h, rule.w, h};
}

std::vector<FormCell> FindCells(const cv::Mat& fine)
{
    // Ink: darker than its surroundings (thin and pale lines), or dark outright. The second
    // keeps filled bands solid, and the lines that meet them, which the first loses against
    // the band's darkness.
    cv::Mat ink, dark;
    cv::adaptiveThreshold(fine, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, 31, 12);
    cv::threshold(fine, dark, 0, 255, cv::THRESH_BINARY_INV | cv::THRESH_OTSU);
    ink |= dark;
    // Ruled lines: long straight runs of ink. A dashed line's pieces are joined first, and a
    // line broken by a gap (a worn print, a scanner's dust) is joined where its pieces meet
    // along one row or column.
    auto rulesAlong = [&ink](cv::Size dash, cv::Size whole, cv::Size gap) {
        cv::Mat joined;
        cv::morphologyEx(ink, joined, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, dash));
        joined = Opened(joined, whole);
        cv::morphologyEx(joined, joined, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, gap));
        return joined;
    };
    const cv::Mat rules = rulesAlong({3 * F, 1}, {kShortestRule * F, 1}, {kLargestLineGap * F, 1}) |
                          rulesAlong({1, 3 * F}, {1, kShortestSide * F}, {1, kLargestLineGap * F});
    // Close the small gaps that blur and noise leave where lines meet.
    cv::Mat walls;
    cv::dilate(rules, walls, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));
    const cv::Mat text = ink & ~walls;
    const cv::Mat shortRules = Opened(ink, cv::Size(kShortestWritingLine * F, 1));

    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(~walls, labels, stats, centroids, 4, CV_32S);
    std::vector<FormCell> cells;
    for (int i = 1; i < count; ++i) {
        const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
        const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
        const int area = stats.at<int>(i, cv::CC_STAT_AREA);
        if (x == 0 || y == 0 || x + w == fine.cols || y + h == fine.rows)
            continue; // the margin around the frame
        if (w < kLeastCellWidth * F || h < kLeastCellHeight * F || area * 10 < w * h * 8)
            continue;
        // The paper between the lines reaches one sample further than the closed walls left.
        const int left = FirstPixel(x - 1), top = FirstPixel(y - 1);
        const int right = LastPixel(x + w), bottom = LastPixel(y + h);
        FormCell cell;
        cell.inside = {left, top, right - left + 1, bottom - top + 1};
        // The lines begin two samples out from the paper: walls are the rules grown by one.
        // Measured at places over the middle half of each side.
        const int places = 5;
        const cv::Point stepDown(0, std::max(1, h / (2 * places))),
            stepRight(std::max(1, w / (2 * places)), 0);
        const int fromX = x + w / 4, fromY = y + h / 4;
        cell.lines.left = LineMiddle(rules, {x - 2, fromY}, {-1, 0}, stepDown, places);
        cell.lines.right = LineMiddle(rules, {x + w + 1, fromY}, {1, 0}, stepDown, places);
        cell.lines.top = LineMiddle(rules, {fromX, y - 2}, {0, -1}, stepRight, places);
        cell.lines.bottom = LineMiddle(rules, {fromX, y + h + 1}, {0, 1}, stepRight, places);
        cell.region = cv::Rect(x, y, w, h);
        const cv::Mat own = (labels(cell.region) == i) & text(cell.region);
        cell.texts = FindTextBlocks(own, kLeastMark * F * F);
        for (TextBlock& t : cell.texts)
            t.ink += cell.region.tl();
        cell.writingLines = WritingLines(shortRules, cell.inside, cell.lines);
        // The edge of a shaded band is no writing line: a line has the same paper either side.
        std::erase_if(cell.writingLines, [&fine](const PictureBox& rule) {
            const cv::Rect above(rule.x * F, (rule.y - 4) * F, rule.w * F, 2 * F),
                below(rule.x * F, (rule.y + 3) * F, rule.w * F, 2 * F);
            const cv::Rect image(0, 0, fine.cols, fine.rows);
            if ((above & image) != above || (below & image) != below)
                return false;
            return std::abs(cv::mean(fine(above))[0] - cv::mean(fine(below))[0]) > 25;
        });
        // A stroke of a large character (日's) is no writing line.
        std::erase_if(cell.writingLines, [&cell](const PictureBox& rule) {
            const cv::Point middle((2 * rule.x + rule.w) * F / 2, rule.y * F);
            return std::any_of(cell.texts.begin(), cell.texts.end(), [&middle](const TextBlock& t) {
                return t.ink.height > 4 * F &&
                       (t.ink + cv::Size(2 * F, 2 * F) - cv::Point(F, F)).contains(middle);
            });
        });
        cells.push_back(cell);
    }
    return cells;
}

} // namespace dorvane
