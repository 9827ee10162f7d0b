#include "FormStraightener.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace dorvane {

namespace {

// The frame's outer edge on the picture, in pixel coordinates (pixel centres on integers):
// the shipped pictures draw it two pixels wide on rows and columns 7 and 8 (861 and 862 on
// the right, 471 and 472 at the bottom).
constexpr double kFrameLeft = 6.5, kFrameTop = 6.5;
constexpr double kFrameRight = kPictureWidth - 7.5, kFrameBottom = kPictureHeight - 7.5;

// The search for the frame runs on a reduced copy of this size.
constexpr int kSearchSide = 1000;

using Quad = std::array<cv::Point2d, 4>; // top-left, top-right, bottom-right, bottom-left

Quad Ordered(const std::vector<cv::Point>& corners, double scale)
{
    Quad q;
    auto by = [&](auto key, bool least) {
        const auto it =
            least ? std::min_element(corners.begin(), corners.end(),
                                     [&](const cv::Point& a, const cv::Point& b) { return key(a) < key(b); })
                  : std::max_element(corners.begin(), corners.end(),
                                     [&](const cv::Point& a, const cv::Point& b) { return key(a) < key(b); });
        return cv::Point2d(it->x / scale, it->y / scale);
    };
    q[0] = by([](const cv::Point& p) { return p.x + p.y; }, true);
    q[2] = by([](const cv::Point& p) { return p.x + p.y; }, false);
    q[1] = by([](const cv::Point& p) { return p.x - p.y; }, false);
    q[3] = by([](const cv::Point& p) { return p.x - p.y; }, true);
    return q;
}

// The grey of a form's paper: most of a form is blank paper, so a bright percentile of the
// area inside the quadrilateral.
int PaperGrey(const cv::Mat& gray, const std::vector<cv::Point>& quad)
{
    const cv::Mat area = gray(cv::boundingRect(quad) & cv::Rect(0, 0, gray.cols, gray.rows));
    int histogram[256] = {};
    for (int y = 0; y < area.rows; ++y)
        for (int x = 0; x < area.cols; ++x)
            ++histogram[area.at<uchar>(y, x)];
    const long long wanted = static_cast<long long>(area.total()) * 3 / 4;
    long long seen = 0;
    for (int g = 0; g < 256; ++g)
        if ((seen += histogram[g]) >= wanted)
            return g;
    return 255;
}

// A frame is a thin line with paper outside it; the edge of the paper on a table is a
// quadrilateral too, but with the table outside. True when most of the points a few pixels
// outside the quadrilateral are paper: no ink, and as light as the paper inside. Points off
// the image do not count, and a quadrilateral with most of its outside off the image is the
// image's own edge.
bool PaperOutside(const cv::Mat& ink, const cv::Mat& gray, const std::vector<cv::Point>& quad)
{
    constexpr int kPaperShade = 40; // grey levels a paper may darken toward its edge
    const int paperGrey = PaperGrey(gray, quad);
    cv::Point2d centre(0, 0);
    for (const cv::Point& p : quad)
        centre += cv::Point2d(p) * 0.25;
    int paper = 0, samples = 0, total = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const cv::Point2d a(quad[i]), b(quad[(i + 1) % 4]);
        for (int k = 1; k < 20; ++k) {
            const cv::Point2d p = a + (b - a) * (k / 20.0);
            const cv::Point2d out = p - centre;
            // Outward normal of a near-axis-aligned side.
            const cv::Point2d normal = std::abs(b.x - a.x) > std::abs(b.y - a.y)
                                           ? cv::Point2d(0, out.y > 0 ? 1 : -1)
                                           : cv::Point2d(out.x > 0 ? 1 : -1, 0);
            const cv::Point q(cvRound(p.x + normal.x * 4), cvRound(p.y + normal.y * 4));
            ++total;
            if (q.x < 0 || q.y < 0 || q.x >= ink.cols || q.y >= ink.rows)
                continue;
            ++samples;
            if (ink.at<uchar>(q) == 0 && gray.at<uchar>(q) >= paperGrey - kPaperShade)
                ++paper;
        }
    }
    return samples * 2 >= total && paper * 10 >= samples * 7;
}

std::optional<Quad> FindFrame(const cv::Mat& gray, double& scale)
{
    scale = std::min(1.0, static_cast<double>(kSearchSide) / std::max(gray.cols, gray.rows));
    cv::Mat small;
    cv::resize(gray, small, cv::Size(), scale, scale, cv::INTER_AREA);
    cv::Mat ink;
    cv::adaptiveThreshold(small, ink, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY_INV, 25, 15);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(ink, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
    const double least = 0.15 * small.cols * small.rows;
    double bestArea = 0;
    std::vector<cv::Point> best;
    for (const auto& c : contours) {
        const double area = cv::contourArea(c);
        if (area < least || area <= bestArea)
            continue;
        // The hull: a speck of the table touching the frame must not hide its four corners.
        std::vector<cv::Point> hull, quad;
        cv::convexHull(c, hull);
        cv::approxPolyDP(hull, quad, 0.02 * cv::arcLength(hull, true), true);
        // A corner on the image's edge is no frame's: the grain of a table, running off
        // the photograph, can enclose a larger area than the form.
        const auto onEdge = [&small](const cv::Point& p) {
            return p.x <= 1 || p.y <= 1 || p.x >= small.cols - 2 || p.y >= small.rows - 2;
        };
        if (quad.size() != 4 || !cv::isContourConvex(quad) || std::any_of(quad.begin(), quad.end(), onEdge) ||
            !PaperOutside(ink, small, quad))
            continue;
        bestArea = area;
        best = quad;
    }
    if (best.empty())
        return std::nullopt;
    return Ordered(best, scale);
}

// Where the frame's outer edge crosses the given row or column of the full-size scan:
// searching from outside in, the place where the ink reaches half its darkness. NaN when the
// profile holds no line.
double OuterEdge(const cv::Mat& gray, cv::Point2d from, cv::Point2d step, int length)
{
    std::vector<double> darkness(static_cast<std::size_t>(length));
    double paper = 0, darkest = 255;
    for (int i = 0; i < length; ++i) {
        const cv::Point2d p = from + step * i;
        double sum = 0;
        int n = 0;
        // Three samples across the profile smooth out noise.
        const cv::Point2d across(step.y, step.x);
        for (int k = -1; k <= 1; ++k) {
            const cv::Point q(cvRound(p.x + across.x * k), cvRound(p.y + across.y * k));
            if (q.x >= 0 && q.y >= 0 && q.x < gray.cols && q.y < gray.rows) {
                sum += gray.at<uchar>(q);
                ++n;
            }
        }
        darkness[static_cast<std::size_t>(i)] = n ? sum / n : 255;
        darkest = std::min(darkest, darkness[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < std::max(2, length / 4); ++i)
        paper = std::max(paper, darkness[static_cast<std::size_t>(i)]);
    if (paper - darkest < 40)
        return NAN;
    const double half = (paper + darkest) / 2;
    for (int i = 1; i < length; ++i) {
        const double a = darkness[static_cast<std::size_t>(i - 1)], b = darkness[static_cast<std::size_t>(i)];
        if (b <= half && a > half)
            return i - 1 + (a - half) / (a - b);
    }
    return NAN;
}

// The line through the frame's outer edge along one side of the rough quadrilateral.
std::optional<cv::Vec4f> FitSide(const cv::Mat& gray, cv::Point2d a, cv::Point2d b, cv::Point2d outward,
                                 int reach)
{
    std::vector<cv::Point2f> points;
    const cv::Point2d inward = -outward;
    for (int k = 2; k <= 58; ++k) {
        const cv::Point2d p = a + (b - a) * (k / 60.0);
        const cv::Point2d start = p + outward * reach;
        const double at = OuterEdge(gray, start, inward, 2 * reach + 1);
        if (!std::isnan(at))
            points.emplace_back(start + inward * at);
    }
    if (points.size() < 10)
        return std::nullopt;
    cv::Vec4f line;
    cv::fitLine(points, line, cv::DIST_HUBER, 0, 0.01, 0.01);
    return line;
}

cv::Point2d Cross(const cv::Vec4f& l, const cv::Vec4f& m)
{
    // l: (vx, vy, x0, y0). Solve x0 + t v = x1 + s w.
    const double det = l[0] * (-m[1]) - l[1] * (-m[0]);
    const double dx = m[2] - l[2], dy = m[3] - l[3];
    const double t = (dx * (-m[1]) - dy * (-m[0])) / det;
    return {l[2] + t * l[0], l[3] + t * l[1]};
}

} // namespace

std::optional<StraightenedForm> StraightenForm(const cv::Mat& scan)
{
    if (scan.empty())
        return std::nullopt;
    cv::Mat gray, colour;
    if (scan.channels() == 1) {
        gray = scan;
        cv::cvtColor(scan, colour, cv::COLOR_GRAY2BGR);
    } else if (scan.channels() == 4) {
        cv::cvtColor(scan, colour, cv::COLOR_BGRA2BGR);
        cv::cvtColor(colour, gray, cv::COLOR_BGR2GRAY);
    } else {
        colour = scan;
        cv::cvtColor(scan, gray, cv::COLOR_BGR2GRAY);
    }
    double scale = 1;
    const std::optional<Quad> rough = FindFrame(gray, scale);
    if (!rough)
        return std::nullopt;
    const Quad& q = *rough;
    // The rough corners lie within a few reduced pixels of the edge; search a little wider.
    const int reach = static_cast<int>(std::ceil(5 / scale)) + 3;
    const std::array<cv::Point2d, 4> outward{cv::Point2d(0, -1), cv::Point2d(1, 0), cv::Point2d(0, 1),
                                             cv::Point2d(-1, 0)};
    std::array<cv::Vec4f, 4> sides;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto side = FitSide(gray, q[i], q[(i + 1) % 4], outward[i], reach);
        if (!side)
            return std::nullopt;
        sides[i] = *side;
    }
    const std::array<cv::Point2f, 4> from{
        cv::Point2f(Cross(sides[3], sides[0])), cv::Point2f(Cross(sides[0], sides[1])),
        cv::Point2f(Cross(sides[1], sides[2])), cv::Point2f(Cross(sides[2], sides[3]))};
    // Corners in fine-image coordinates: a picture pixel x covers fine samples around
    // kFineScale * x + (kFineScale - 1) / 2.
    auto fine = [](double x, double y) {
        return cv::Point2f(static_cast<float>(kFineScale * x + (kFineScale - 1) / 2.0),
                           static_cast<float>(kFineScale * y + (kFineScale - 1) / 2.0));
    };
    const std::array<cv::Point2f, 4> to{fine(kFrameLeft, kFrameTop), fine(kFrameRight, kFrameTop),
                                        fine(kFrameRight, kFrameBottom), fine(kFrameLeft, kFrameBottom)};
    const cv::Mat transform = cv::getPerspectiveTransform(from.data(), to.data());
    const cv::Size fineSize(kPictureWidth * kFineScale, kPictureHeight * kFineScale);

    StraightenedForm out;
    cv::warpPerspective(gray, out.fine, transform, fineSize, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    cv::Mat fineColour;
    cv::warpPerspective(colour, fineColour, transform, fineSize, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    cv::resize(fineColour, out.picture, cv::Size(kPictureWidth, kPictureHeight), 0, 0, cv::INTER_AREA);
    const double width = (cv::norm(from[1] - from[0]) + cv::norm(from[2] - from[3])) / 2;
    const double height = (cv::norm(from[3] - from[0]) + cv::norm(from[2] - from[1])) / 2;
    out.frameAspect = width / height;
    out.frameWidth = width;
    out.frameHeight = height;
    return out;
}

} // namespace dorvane
