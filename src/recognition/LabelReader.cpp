#include "LabelReader.h"

#include <opencv2/imgproc.hpp>
#include <tesseract/baseapi.h>

#include <cctype>
#ifdef _OPENMP
#include <omp.h>
#endif

namespace dorvane {

LabelReader::LabelReader() = default;
LabelReader::~LabelReader()
{
    if (api_)
        api_->End();
}

bool LabelReader::ready()
{
    if (!tried_) {
        tried_ = true;
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        // Tesseract's own search for its data (TESSDATA_PREFIX, then where it was installed).
        if (api->Init(nullptr, "chi_sim", tesseract::OEM_LSTM_ONLY) != 0) {
            error_ = "Tesseract cannot load its simplified-Chinese data (chi_sim)";
        } else {
            api->SetVariable("user_defined_dpi", "300"); // no guessing, and no warning about it
            api_ = std::move(api);
        }
    }
    return api_ != nullptr;
}

std::string LabelReader::readLine(const cv::Mat& gray, int height, Preparation preparation, bool rawLine)
{
    if (!ready() || gray.empty())
        return {};
#ifdef _OPENMP
    // Tesseract splits a line's reading among OpenMP threads (a fixed number of them, more
    // than cores here), which wait for each other by spinning: on a busy machine with two
    // cores that made recognising a form four times slower. A label is a short line, read
    // fastest by one thread: no parallel region of the process runs in more than one.
    omp_set_max_active_levels(0);
#endif
    cv::Mat sized;
    const double scale = static_cast<double>(height) / gray.rows;
    cv::resize(gray, sized, cv::Size(), scale, scale, scale < 1 ? cv::INTER_AREA : cv::INTER_CUBIC);
    // Pale print on a tinted cell read as black on white.
    cv::normalize(sized, sized, 0, 255, cv::NORM_MINMAX);
    cv::Mat soft;
    switch (preparation) {
    case Preparation::Plain:
        break;
    case Preparation::Sharpened:
        cv::GaussianBlur(sized, soft, cv::Size(), 2.0);
        cv::addWeighted(sized, 1.7, soft, -0.7, 0, sized);
        break;
    case Preparation::Smoothed:
        cv::GaussianBlur(sized, sized, cv::Size(), 1.0);
        break;
    case Preparation::Binarised:
        cv::GaussianBlur(sized, sized, cv::Size(), 1.0);
        cv::threshold(sized, sized, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
        break;
    }
    // A white border: Tesseract finds text touching the image's edge poorly.
    cv::Mat framed;
    cv::copyMakeBorder(sized, framed, 12, 12, 12, 12, cv::BORDER_CONSTANT, cv::Scalar(255));
    api_->SetPageSegMode(rawLine ? tesseract::PSM_RAW_LINE : tesseract::PSM_SINGLE_LINE);
    api_->SetImage(framed.data, framed.cols, framed.rows, 1, static_cast<int>(framed.step));
    std::unique_ptr<char[]> text(api_->GetUTF8Text());
    std::string line = text ? std::string(text.get()) : std::string();
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back(); // the line end Tesseract adds
    return line;
}

} // namespace dorvane
