#pragma once
// Finding a scanned form's outer frame and straightening it into a template picture. The
// picture has the size of the shipped templates, 870 x 480, with the frame's outer edge
// 7 pixels inside the picture's edges as the shipped pictures have it, so a box measured on
// the picture is a box of the template.

#include <opencv2/core.hpp>

#include <optional>

namespace dorvane {

inline constexpr int kPictureWidth = 870;
inline constexpr int kPictureHeight = 480;
// Lines and labels are measured on the straightened form at this many times the picture's
// size: thin ruled lines keep a width of two samples, and label characters are large enough
// to be read.
inline constexpr int kFineScale = 2;

struct StraightenedForm {
    cv::Mat picture;    // kPictureWidth x kPictureHeight, 3 channels (BGR)
    cv::Mat fine;       // grayscale, kFineScale times the picture's size
    double frameAspect; // the frame's width over its height as scanned
    double frameWidth, frameHeight; // the frame's outer size in scan pixels
};

// The form in a scan or photograph (any size, turned by a few degrees, with a margin of
// whatever it lay on); nullopt when no frame is found.
std::optional<StraightenedForm> StraightenForm(const cv::Mat& scan);

} // namespace dorvane
