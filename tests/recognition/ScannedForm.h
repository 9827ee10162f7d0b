#pragma once
// A drawn form as a scanner or a camera would deliver it: printed on paper of its size, laid
// on a scanner's bed under its white lid or photographed on a table, turned a little, read at
// some resolution, blurred, noisy and stored as JPEG.

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

namespace dorvane::testing {

struct ScanFaults {
    double degrees = 0; // turned counter-clockwise
    int dpi = 300;
    double blur = 0;      // Gaussian sigma in scan pixels; 0 for none
    double noise = 0;     // Gaussian sigma in grey levels
    int jpegQuality = 0;  // 0: not stored as JPEG
    bool onTable = false; // a wooden table around the paper, else the scanner's white lid
};

// A wooden table: brown with darker grain, the same every time.
inline cv::Mat Table(cv::Size size)
{
    cv::Mat table(size, CV_8UC3);
    cv::RNG rng(7);
    for (int y = 0; y < size.height; ++y) {
        const double grain = 18 * std::sin(y * 0.21) + 10 * std::sin(y * 0.047 + 1.3);
        for (int x = 0; x < size.width; ++x) {
            const double v = grain + rng.gaussian(6);
            table.at<cv::Vec3b>(y, x) =
                cv::Vec3b(cv::saturate_cast<uchar>(60 + v), cv::saturate_cast<uchar>(105 + v),
                          cv::saturate_cast<uchar>(150 + v));
        }
    }
    return table;
}

// paperWidth and paperHeight in 0.1 mm.
inline cv::Mat Scan(const cv::Mat& picture, int paperWidth, int paperHeight, const ScanFaults& f)
{
    const cv::Size paper(static_cast<int>(std::lround(paperWidth / 254.0 * f.dpi)),
                         static_cast<int>(std::lround(paperHeight / 254.0 * f.dpi)));
    cv::Mat printed;
    cv::resize(picture, printed, paper, 0, 0, cv::INTER_CUBIC);
    const int margin = paper.width / 16;
    const cv::Size whole(paper.width + 2 * margin, paper.height + 2 * margin);
    cv::Mat scan = f.onTable ? Table(whole) : cv::Mat(whole, CV_8UC3, cv::Scalar(243, 244, 242));
    printed.copyTo(scan(cv::Rect(margin, margin, paper.width, paper.height)));
    if (f.degrees != 0) {
        const cv::Point2f centre(scan.cols / 2.0f, scan.rows / 2.0f);
        const cv::Mat turn = cv::getRotationMatrix2D(centre, f.degrees, 1.0);
        cv::Mat turned;
        cv::warpAffine(scan, turned, turn, scan.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        scan = turned;
    }
    if (f.blur > 0)
        cv::GaussianBlur(scan, scan, cv::Size(), f.blur);
    if (f.noise > 0) {
        cv::Mat noise(scan.size(), CV_16SC3);
        cv::RNG rng(11);
        rng.fill(noise, cv::RNG::NORMAL, 0, f.noise);
        cv::Mat wide;
        scan.convertTo(wide, CV_16SC3);
        wide += noise;
        wide.convertTo(scan, CV_8UC3);
    }
    if (f.jpegQuality > 0) {
        std::vector<uchar> bytes;
        cv::imencode(".jpg", scan, bytes, {cv::IMWRITE_JPEG_QUALITY, f.jpegQuality});
        scan = cv::imdecode(bytes, cv::IMREAD_COLOR);
    }
    return scan;
}

} // namespace dorvane::testing
