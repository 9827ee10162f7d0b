#include "template/BarcodeField.h"
#include "support/TempFolder.h"
#include "template/TemplateLayout.h"
#include "text/TextFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace dorvane;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::WriteBytes;

namespace {

std::filesystem::path DataFolder()
{
    const char* source = std::getenv("DORVANE_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".") / "data";
}

std::string FieldRows(int count)
{
    std::string text = "0,label,1000,1500,500,750\r\n";
    for (int row = 1; row <= count; ++row)
        text += "0,0," + std::to_string(row) + ",10,20,30\r\n";
    return text;
}

} // namespace

// Every shipped template is written back byte for byte as it is shipped: the ones without
// barcodes as they always were, the label with its barcode rows after the twenty fields.
TEST(BarcodeField, ShippedTemplatesAreWrittenBackAsShipped)
{
    int templates = 0, withBarcodes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DataFolder())) {
        if (entry.path().extension() != ".dat")
            continue;
        ++templates;
        TemplateLayout layout;
        ASSERT_TRUE(LoadLayoutFile(entry.path(), layout)) << entry.path();
        EXPECT_EQ(LayoutFileText(layout), ReadBytes(entry.path())) << entry.path();
        withBarcodes += BarcodeFieldsOf(layout).empty() ? 0 : 1;
    }
    EXPECT_GE(templates, 6);
    EXPECT_EQ(withBarcodes, 1);
}

// A program that knows only the twenty fields stops reading where they end (or keeps the rows
// after them spare): its fields are the same boxes as this program's, and they print the same.
TEST(BarcodeField, TheTwentyFieldsReadTheSameWithoutTheBarcodeRows)
{
    TempFolder dir;
    const std::string withBarcodes =
        FieldRows(20) + "code128+text,waybill,25,25,450,125\r\nqr,order,385,640,95,95\r\n";
    WriteBytes(dir / "new.dat", withBarcodes);
    WriteBytes(dir / "old.dat", FieldRows(20));
    TemplateLayout current, old;
    ASSERT_TRUE(LoadLayoutFile(dir / "new.dat", current));
    ASSERT_TRUE(LoadLayoutFile(dir / "old.dat", old));
    ComputePrintRects(current, ComputePrintScales(current));
    ComputePrintRects(old, ComputePrintScales(old));
    for (int row = 0; row <= 20; ++row)
        for (int column = 0; column < TemplateLayout::kColumns; ++column)
            EXPECT_EQ(current.cell(row, column), old.cell(row, column)) << row << "," << column;

    const auto barcodes = BarcodeFieldsOf(current);
    ASSERT_EQ(barcodes.size(), 2u);
    EXPECT_EQ(barcodes[0], (BarcodeField{Symbology::Code128, true, BarcodeSource::WaybillNumber, -1, 21}));
    EXPECT_EQ(barcodes[1], (BarcodeField{Symbology::QrCode, false, BarcodeSource::OrderNumber, -1, 22}));
    // Their boxes get print rectangles as fields do: 0.2 mm a picture pixel here.
    EXPECT_EQ(current.number(21, 6), 50);
    EXPECT_EQ(current.number(21, 8), 950);
    EXPECT_TRUE(BarcodeFieldsOf(old).empty());
}

TEST(BarcodeField, OnlyWellFormedRowsAreBarcodes)
{
    TemplateLayout layout;
    const auto at = [&](const char* symbology, const char* source, int row = 21) {
        layout.setCell(row, 0, symbology);
        layout.setCell(row, 1, source);
        return BarcodeFieldAt(layout, row);
    };
    EXPECT_EQ(at("code128", "field7")->field, 7);
    EXPECT_EQ(at("code128", "field19")->source, BarcodeSource::Field);
    EXPECT_FALSE(at("code128", "field20"));
    EXPECT_FALSE(at("code128", "field"));
    EXPECT_FALSE(at("code128", "field-1"));
    EXPECT_FALSE(at("qr+text", "waybill")); // a QR code has no line under it
    EXPECT_FALSE(at("ean13", "waybill"));
    EXPECT_FALSE(at("CODE128", "waybill"));
    EXPECT_FALSE(at("0", "0"));
    // Field rows are never barcodes, whatever their opaque cells hold.
    EXPECT_FALSE(at("code128", "waybill", 20));
    EXPECT_TRUE(at("code128", "waybill", 29));
}

// The editor adds barcodes into free spare rows and a save keeps them; rows of anything else
// past the twentieth field are not written, as before.
TEST(BarcodeField, ASaveKeepsTheBarcodesAndNothingElseOfTheSpareRows)
{
    TempFolder dir;
    TemplateLayout layout;
    WriteBytes(dir / "t.dat", FieldRows(20));
    ASSERT_TRUE(LoadLayoutFile(dir / "t.dat", layout));
    layout.setCell(21, 0, "opaque");
    ASSERT_EQ(FreeBarcodeRow(layout), 21);
    BarcodeField field{Symbology::Code128, false, BarcodeSource::Field, 12, 23};
    SetBarcodeField(layout, field);
    for (int column = 2; column < 6; ++column)
        layout.setNumber(23, column, column * 10);
    ASSERT_TRUE(SaveLayoutFile(dir / "t.dat", layout));
    EXPECT_EQ(ReadBytes(dir / "t.dat"), FieldRows(20) + "code128,field12,20,30,40,50\r\n");

    TemplateLayout again;
    ASSERT_TRUE(LoadLayoutFile(dir / "t.dat", again));
    field.row = 21;
    EXPECT_EQ(BarcodeFieldsOf(again), std::vector<BarcodeField>{field});
    for (int row = kFirstBarcodeRow; row <= kLastBarcodeRow; ++row)
        SetBarcodeField(again, {Symbology::QrCode, false, BarcodeSource::OrderNumber, -1, row});
    EXPECT_FALSE(FreeBarcodeRow(again));
    EXPECT_EQ(BarcodeFieldsOf(again).size(), 9u);
    EXPECT_FALSE(SetBlankLabel(again, true)); // no row left for the mark
}

// A blank label's mark has a row of its own, which barcodes added later leave alone, and
// which goes with the template into its file; a template made from it on a form drops it.
TEST(BarcodeField, TheBlankLabelsMarkIsKeptApartFromTheBarcodes)
{
    TempFolder dir;
    TemplateLayout layout;
    WriteBytes(dir / "t.dat", FieldRows(20));
    ASSERT_TRUE(LoadLayoutFile(dir / "t.dat", layout));
    EXPECT_FALSE(IsBlankLabel(layout));
    ASSERT_TRUE(SetBlankLabel(layout, true));
    EXPECT_TRUE(IsBlankLabel(layout));
    EXPECT_EQ(FreeBarcodeRow(layout), 22);
    SetBarcodeField(layout, {Symbology::QrCode, false, BarcodeSource::OrderNumber, -1, 22});
    ASSERT_TRUE(SaveLayoutFile(dir / "t.dat", layout));
    EXPECT_EQ(ReadBytes(dir / "t.dat"), FieldRows(20) + "label,0,0,0,0,0\r\nqr,order,,,,\r\n");
    TemplateLayout again;
    ASSERT_TRUE(LoadLayoutFile(dir / "t.dat", again));
    EXPECT_TRUE(IsBlankLabel(again));
    EXPECT_EQ(BarcodeFieldsOf(again).size(), 1u);
    ASSERT_TRUE(SetBlankLabel(again, false));
    EXPECT_FALSE(IsBlankLabel(again));
    EXPECT_EQ(LayoutFileText(again), FieldRows(20) + "qr,order,,,,\r\n");
}
