#include "TextBlocks.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace dorvane {

namespace {

int Overlap(int a0, int a1, int b0, int b1) // half-open ranges
{
    return std::min(a1, b1) - std::max(a0, b0);
}

// Two pieces of one run of text: side by side on one line, or one over the other in one
// column, with less room between them than a character's part. Sizes are across the line
// and of the smaller piece: a run already joined is as high as one character but as long as
// many, and the 年 月 日 under a label stand further from it than its characters from
// each other.
bool Neighbours(const cv::Rect& a, const cv::Rect& b)
{
    // A run of characters joins nothing across its line: what stands beside an upright
    // label or under a label is other print.
    // Only whole characters count as other print: the lower part of 品 still joins 物 and its
    // upper part.
    const auto runDown = [](const cv::Rect& r, const cv::Rect& o) {
        return r.height * 10 > r.width * 22 && r.height * 10 > o.height * 15 && o.width * 10 >= r.width * 6;
    };
    const auto runAcross = [](const cv::Rect& r, const cv::Rect& o) {
        return r.width * 10 > r.height * 22 && r.width * 10 > o.width * 15 && o.height * 10 >= r.height * 6;
    };
    const bool sideBySide = !runDown(a, b) && !runDown(b, a);
    const bool stacked = !runAcross(a, b) && !runAcross(b, a);
    const int side = std::max({std::min(a.height, b.height), (a.width + b.width) / 4});
    const int across = Overlap(a.y, a.y + a.height, b.y, b.y + b.height);
    const int gapX = std::max(a.x, b.x) - std::min(a.x + a.width, b.x + b.width);
    if (sideBySide && across > std::min(a.height, b.height) * 3 / 10 && gapX <= side * 6 / 10)
        return true;
    const int upright = std::max({std::min(a.width, b.width), (a.height + b.height) / 4});
    const int along = Overlap(a.x, a.x + a.width, b.x, b.x + b.width);
    const int gapY = std::max(a.y, b.y) - std::min(a.y + a.height, b.y + b.height);
    return stacked && along > std::min(a.width, b.width) * 3 / 10 && gapY <= upright * 5 / 10;
}

} // namespace

std::vector<TextBlock> FindTextBlocks(const cv::Mat& print, int leastMark)
{
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(print, labels, stats, centroids, 8, CV_32S);
    std::vector<cv::Rect> marks;
    for (int i = 1; i < count; ++i)
        if (stats.at<int>(i, cv::CC_STAT_AREA) >= leastMark)
            marks.emplace_back(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                               stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
    // Join neighbours until nothing joins: a joined block may reach a piece its parts did not.
    for (bool joined = true; joined;) {
        joined = false;
        for (std::size_t i = 0; i < marks.size() && !joined; ++i)
            for (std::size_t j = i + 1; j < marks.size(); ++j)
                if (Neighbours(marks[i], marks[j])) {
                    marks[i] |= marks[j];
                    marks.erase(marks.begin() + static_cast<std::ptrdiff_t>(j));
                    joined = true;
                    break;
                }
    }
    std::vector<TextBlock> out;
    for (const cv::Rect& m : marks) {
        TextBlock block;
        block.ink = m;
        block.vertical = m.height > m.width * 17 / 10;
        // Chinese characters are about square, set a tenth of their size apart.
        const double along = block.vertical ? m.height : m.width,
                     across = block.vertical ? m.width : m.height;
        block.characters =
            std::max(1, static_cast<int>(std::lround((along + 0.1 * across) / (1.1 * across))));
        out.push_back(block);
    }
    std::sort(out.begin(), out.end(), [](const TextBlock& a, const TextBlock& b) {
        return a.ink.y + a.ink.x / 2 < b.ink.y + b.ink.x / 2;
    });
    return out;
}

} // namespace dorvane
