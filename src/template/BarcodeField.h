#pragma once
// Barcode and QR fields of a template. A layout file holds them after its twenty field rows,
// one row each (rows 21 to 29, the rows a layout keeps spare), in the shape of a field row:
//
//     code128+text,waybill,x,y,w,h
//
//  - the symbology: "code128" (with "+text": the human-readable line under the bars) or "qr";
//  - what it holds: "waybill" (the waybill number typed beside the print button), "order" (the
//    order number of the export a batch prints), or "field<N>" (the text of field N of the
//    catalogue, 0 to 19);
//  - its box in picture pixels, as a field's.
// A blank label (a label printer's) says so in one more such row, "label,0,0,0,0,0": its paper
// is the label itself, not the form and the few millimetres a form printer feeds on.
// A reader that knows only the twenty fields reads these rows into its spare rows and prints
// nothing of them; its field rows are the same as without barcodes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

class TemplateLayout;

enum class Symbology { Code128, QrCode };
enum class BarcodeSource { WaybillNumber, OrderNumber, Field };

inline constexpr int kFirstBarcodeRow = 21;
inline constexpr int kLastBarcodeRow = 29;

struct BarcodeField {
    Symbology symbology = Symbology::Code128;
    bool humanReadable = false; // the text under the bars (a linear symbol only)
    BarcodeSource source = BarcodeSource::WaybillNumber;
    int field = -1; // BarcodeSource::Field: the catalogue index
    int row = 0;    // the layout row that holds it

    bool operator==(const BarcodeField&) const = default;
};

// The barcode a layout row holds; none for a row of anything else (an empty spare row, a
// field row, a row of unknown words).
std::optional<BarcodeField> BarcodeFieldAt(const TemplateLayout& layout, int row);
// Every barcode of a layout, in row order.
std::vector<BarcodeField> BarcodeFieldsOf(const TemplateLayout& layout);

// Whether the layout is a blank label, and making it one (in its first free spare row; false
// when none is free) or not.
bool IsBlankLabel(const TemplateLayout& layout);
bool SetBlankLabel(TemplateLayout& layout, bool blank);
inline constexpr const char* kBlankLabelWord = "label";

// Whether the layout prints the waybill number (a blank label, which is the waybill itself):
// its reprint carries the number it was logged with.
bool PrintsWaybillNumber(const TemplateLayout& layout);

// Writes barcode's first two cells into its row (the box is the row's columns 2 to 5).
void SetBarcodeField(TemplateLayout& layout, const BarcodeField& barcode);
// The first spare row free for a barcode; none when all are taken.
std::optional<int> FreeBarcodeRow(const TemplateLayout& layout);

// The texts of the two first cells: "code128+text", "field7".
std::string SymbologyWord(const BarcodeField& barcode);
std::string SourceWord(const BarcodeField& barcode);

// What the barcode encodes: the waybill number, the order number or the field's text.
template <typename Texts, typename Text>
Text BarcodeContent(const BarcodeField& barcode, const Texts& fieldTexts, const Text& waybillNumber,
                    const Text& orderNumber)
{
    switch (barcode.source) {
    case BarcodeSource::WaybillNumber:
        return waybillNumber;
    case BarcodeSource::OrderNumber:
        return orderNumber;
    case BarcodeSource::Field:
        break;
    }
    return barcode.field >= 0 && static_cast<std::size_t>(barcode.field) < fieldTexts.size()
               ? fieldTexts[static_cast<std::size_t>(barcode.field)]
               : Text();
}

} // namespace dorvane
