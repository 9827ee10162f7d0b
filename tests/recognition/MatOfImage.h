#pragma once
// A Qt image (a drawn form) as the 3-channel picture OpenCV works on.

#include <QImage>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace dorvane::testing {

inline cv::Mat MatOf(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    cv::Mat view(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar*>(rgb.constBits()),
                 static_cast<std::size_t>(rgb.bytesPerLine()));
    cv::Mat bgr;
    cv::cvtColor(view, bgr, cv::COLOR_RGB2BGR);
    return bgr;
}

} // namespace dorvane::testing
