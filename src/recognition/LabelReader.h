#pragma once
// Reading the printed label of a form's cell with Tesseract's simplified-Chinese model. One
// engine is started on first use and kept: starting it costs more than reading a label.

#include <opencv2/core.hpp>

#include <memory>
#include <string>

namespace tesseract {
class TessBaseAPI;
}

namespace dorvane {

class LabelReader {
public:
    LabelReader();
    ~LabelReader();
    LabelReader(const LabelReader&) = delete;
    LabelReader& operator=(const LabelReader&) = delete;

    // False, with the reason in error(), when the engine or its Chinese data is missing.
    bool ready();
    const std::string& error() const { return error_; }

    // How a label is prepared for reading. Scans differ, and so does what reads them best:
    // blur costs characters their strokes (sharpen), noise and JPEG blocks add false ones
    // (smooth, or smooth and cut to black and white).
    enum class Preparation { Plain, Sharpened, Smoothed, Binarised };

    // The text (UTF-8) of one line of print in a grayscale crop, dark on light, read at the
    // given height in samples. A raw line skips Tesseract's layout analysis, which now and
    // then finds no text in a short label.
    std::string readLine(const cv::Mat& gray, int height, Preparation preparation, bool rawLine = false);

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    bool tried_ = false;
    std::string error_;
};

} // namespace dorvane
