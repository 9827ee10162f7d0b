#pragma once
// A template from a scanned or photographed form: the form straightened into a picture of
// the templates' size, its ruled cells found, their labels read, and each of the twenty
// fields placed in the writing area of the cell whose label names it.

#include "recognition/CellFinder.h"
#include "recognition/LabelReader.h"
#include "recognition/PaperSuggestion.h"
#include "template/TemplateLayout.h"
#include "template/WaybillField.h"

#include <opencv2/core.hpp>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

struct RecognizedField {
    bool found = false;
    PictureBox box;    // in picture pixels, when found
    std::string label; // the label read for it (UTF-8)
};

enum class RecognitionFailure {
    None,
    NoPicture, // the file holds no PNG, JPEG or BMP picture
    TooLarge,  // the picture is larger than a scanned A4 sheet (error says so in Chinese)
    NoReader,  // Tesseract or its simplified-Chinese data is missing
    NoFrame,   // no form's outer frame in the picture
    TooFew,    // fewer than half the fields found: no template to make of it (fields tell which)
};

// Fewer fields than this found is no template: the user would place most boxes by hand.
inline constexpr int kLeastFieldsFound = (kFieldCount + 1) / 2;

struct FormRecognition {
    RecognitionFailure failure = RecognitionFailure::None;
    std::string error; // what failed, for messages in English (Chinese for TooLarge); empty when recognised
    cv::Mat picture;   // the straightened form, kPictureWidth x kPictureHeight, BGR
    std::array<RecognizedField, kFieldCount> fields;
    PaperSize suggestedPaper{};
    bool ok() const { return error.empty(); }
    int foundCount() const;
};

// Called with the share of the work done, 0 to 100.
using RecognitionProgress = std::function<void(int percent)>;

class FormRecognizer {
public:
    // dpi: the scan's resolution, when its file names one (the paper is measured with it).
    FormRecognition recognize(const cv::Mat& scan, const RecognitionProgress& progress = {},
                              std::optional<double> dpi = std::nullopt);
    // The same for a picture file (PNG, JPEG or BMP).
    FormRecognition recognizeFile(const std::filesystem::path& path,
                                  const RecognitionProgress& progress = {});

private:
    LabelReader reader_; // one engine for every label and every form
};

struct LoadedScan {
    cv::Mat picture; // empty when not read
    std::optional<double> dpi; // the resolution its file names
    RecognitionFailure failure = RecognitionFailure::None;
    std::string error;
};

// The picture in a PNG, JPEG or BMP file (any file name the system has). Its size is read from
// the header first: a picture larger than a scanned A4 sheet is refused before anything is
// decoded, whatever its file's size.
LoadedScan LoadScan(const std::filesystem::path& path);

// Writes the recognised picture to path as a 24-bit BMP, the templates' picture format,
// through a temporary file; false when it cannot be written.
bool SaveRecognizedPicture(const std::filesystem::path& path, const FormRecognition& recognition);

// Where a field the form did not name is put: right of the picture, outside the form's frame,
// one under another in the order of the fields, for the user to drag onto its cell. A box
// left where another template had it would sit on some other field's cell.
PictureBox UnfoundFieldBox(int unfoundBefore);
bool IsUnfoundFieldBox(const PictureBox& box);

// The boxes of the fields recognised moved into layout, the others put outside the frame
// (UnfoundFieldBox), and the header's picture size set to the straightened picture's.
void PlaceRecognizedFields(TemplateLayout& layout, const FormRecognition& recognition);

} // namespace dorvane
