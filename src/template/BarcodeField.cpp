#include "template/BarcodeField.h"

#include "template/TemplateLayout.h"
#include "template/WaybillField.h"

namespace dorvane {

namespace {

constexpr std::string_view kCode128 = "code128";
constexpr std::string_view kQrCode = "qr";
constexpr std::string_view kWithText = "+text";
constexpr std::string_view kWaybill = "waybill";
constexpr std::string_view kOrder = "order";
constexpr std::string_view kField = "field";

std::optional<int> FieldIndex(std::string_view digits)
{
    if (digits.empty() || digits.size() > 2 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const int index = std::stoi(std::string(digits));
    return index < kFieldCount ? std::optional<int>(index) : std::nullopt;
}

} // namespace

std::optional<BarcodeField> BarcodeFieldAt(const TemplateLayout& layout, int row)
{
    if (row < kFirstBarcodeRow || row > kLastBarcodeRow)
        return std::nullopt;
    BarcodeField barcode;
    barcode.row = row;
    std::string_view symbology = layout.cell(row, 0);
    if (symbology.ends_with(kWithText)) {
        barcode.humanReadable = true;
        symbology.remove_suffix(kWithText.size());
    }
    if (symbology == kCode128)
        barcode.symbology = Symbology::Code128;
    else if (symbology == kQrCode && !barcode.humanReadable)
        barcode.symbology = Symbology::QrCode;
    else
        return std::nullopt;
    const std::string_view source = layout.cell(row, 1);
    if (source == kWaybill) {
        barcode.source = BarcodeSource::WaybillNumber;
    } else if (source == kOrder) {
        barcode.source = BarcodeSource::OrderNumber;
    } else if (source.starts_with(kField)) {
        const auto index = FieldIndex(source.substr(kField.size()));
        if (!index)
            return std::nullopt;
        barcode.source = BarcodeSource::Field;
        barcode.field = *index;
    } else {
        return std::nullopt;
    }
    return barcode;
}

std::vector<BarcodeField> BarcodeFieldsOf(const TemplateLayout& layout)
{
    std::vector<BarcodeField> barcodes;
    for (int row = kFirstBarcodeRow; row <= kLastBarcodeRow; ++row) {
        if (auto barcode = BarcodeFieldAt(layout, row))
            barcodes.push_back(*barcode);
    }
    return barcodes;
}

bool IsBlankLabel(const TemplateLayout& layout)
{
    for (int row = kFirstBarcodeRow; row <= kLastBarcodeRow; ++row) {
        if (layout.cell(row, 0) == kBlankLabelWord)
            return true;
    }
    return false;
}

bool SetBlankLabel(TemplateLayout& layout, bool blank)
{
    if (!blank) {
        for (int row = kFirstBarcodeRow; row <= kLastBarcodeRow; ++row) {
            if (layout.cell(row, 0) == kBlankLabelWord)
                layout.setCell(row, 0, {});
        }
        return true;
    }
    if (IsBlankLabel(layout))
        return true;
    const auto row = FreeBarcodeRow(layout);
    if (!row)
        return false;
    layout.setCell(*row, 0, kBlankLabelWord);
    for (int column = 1; column < TemplateLayout::kStoredColumns; ++column)
        layout.setCell(*row, column, "0");
    return true;
}

bool PrintsWaybillNumber(const TemplateLayout& layout)
{
    for (const BarcodeField& barcode : BarcodeFieldsOf(layout)) {
        if (barcode.source == BarcodeSource::WaybillNumber)
            return true;
    }
    return false;
}

std::string SymbologyWord(const BarcodeField& barcode)
{
    std::string word(barcode.symbology == Symbology::QrCode ? kQrCode : kCode128);
    if (barcode.humanReadable && barcode.symbology == Symbology::Code128)
        word += kWithText;
    return word;
}

std::string SourceWord(const BarcodeField& barcode)
{
    switch (barcode.source) {
    case BarcodeSource::WaybillNumber:
        return std::string(kWaybill);
    case BarcodeSource::OrderNumber:
        return std::string(kOrder);
    case BarcodeSource::Field:
        break;
    }
    return std::string(kField) + std::to_string(barcode.field);
}

void SetBarcodeField(TemplateLayout& layout, const BarcodeField& barcode)
{
    layout.setCell(barcode.row, 0, SymbologyWord(barcode));
    layout.setCell(barcode.row, 1, SourceWord(barcode));
}

std::optional<int> FreeBarcodeRow(const TemplateLayout& layout)
{
    for (int row = kFirstBarcodeRow; row <= kLastBarcodeRow; ++row) {
        if (!BarcodeFieldAt(layout, row) && layout.cell(row, 0) != kBlankLabelWord)
            return row;
    }
    return std::nullopt;
}

} // namespace dorvane
