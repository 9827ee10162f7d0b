#pragma once
// Finds, before anything is printed, the field texts that the paper would not show whole: cut
// by their boxes, lying where the printer cannot print (its unprintable margin), or holding a
// character no font can draw. Measured on the device that prints them (the printer's font
// metrics, the job's font scale), through the same layout as the drawer that prints. Every
// front end asks this one check.

#include "print/WaybillRenderer.h"

#include <QRect>
#include <QString>

#include <array>
#include <vector>

class QPaintDevice;

namespace dorvane {

using WaybillTexts = std::array<QString, kFieldCount>;

// The fonts that make every cut field fit, or the fields that do not fit even at 6 points.
struct ShrinkResult {
    FieldFontHeights heights{}; // 0 for the fields that fit as they are
    std::vector<int> unfit;     // fields cut even at the smallest size
    bool ok() const { return unfit.empty(); }
};

class WaybillFitCheck {
public:
    // device: the printer (or PDF) the job goes to, prepared as for the job; it is only
    // measured, never painted on, and must outlive this check.
    WaybillFitCheck(const WaybillPrintSetup& setup, const QPaintDevice& device);

    // What of the text the field's box leaves out at the job's font (or at a height in device
    // pixels above 0).
    TextBoxFit check(int field, const QString& text, int height = 0) const;
    FieldFits checkAll(const WaybillTexts& texts) const;
    // The template's barcodes for these texts and numbers: each with what it holds and
    // whether its box holds it readably at the printer's resolution (a fault is never printed).
    std::vector<BarcodeOutcome> checkBarcodes(const WaybillTexts& texts, const BarcodeValues& values) const;

    // The job's font height of the field in device pixels, and the smallest one allowed.
    int fontHeight(int field) const;
    int smallestHeight() const;

    // Each cut field at the largest font height (not above its own) at which all its
    // characters land on the paper; a character no font has stays as it is.
    ShrinkResult shrink(const WaybillTexts& texts) const;

private:
    WaybillRenderer renderer_;
    const QPaintDevice& device_;
    int dpiY_ = 0;
    std::array<QRect, kFieldCount> boxes_{};
    QRectF printable_;
};

// The fields in fits that do not print whole, in catalogue order.
std::vector<int> CutFields(const FieldFits& fits);

// "收件人地址" and so on: the field's name as users know it.
QString FieldName(int field);

// What the paper loses, for a tooltip or a report: "打印时将截去 3 个字：文三路", and the
// characters no font has: "无法打印的字符：📦".
QString DescribeCut(const TextBoxFit& fit);
inline const char* const kUnprintableChars = "无法打印的字符";

} // namespace dorvane
