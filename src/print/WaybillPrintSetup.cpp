#include "print/WaybillPrintSetup.h"

#include "workspace/Workspace.h"
#include "template/TemplateLayout.h"

namespace dorvane {

std::array<PixelRect, kFieldCount> PrintRectsOf(const TemplateLayout& layout)
{
    std::array<PixelRect, kFieldCount> rects{};
    for (int i = 0; i < kFieldCount; ++i) {
        const int row = i + 1;
        rects[static_cast<std::size_t>(i)] = {layout.number(row, 6), layout.number(row, 7),
                                              layout.number(row, 8), layout.number(row, 9)};
    }
    return rects;
}

std::vector<BarcodeBox> BarcodeBoxesOf(const TemplateLayout& layout)
{
    std::vector<BarcodeBox> boxes;
    for (const BarcodeField& field : BarcodeFieldsOf(layout)) {
        const int row = field.row;
        boxes.push_back({field, {layout.number(row, 6), layout.number(row, 7), layout.number(row, 8),
                                 layout.number(row, 9)}});
    }
    return boxes;
}

WaybillPrintSetup MakePrintSetup(const Workspace& app, int screenDpiY)
{
    return MakePrintSetup(app, app.Layout, screenDpiY);
}

WaybillPrintSetup MakePrintSetup(const Workspace& app, const TemplateLayout& layout, int screenDpiY)
{
    WaybillPrintSetup setup;
    setup.formWidth = layout.number(0, 2);
    setup.formHeight = layout.number(0, 3);
    setup.pictureWidth = layout.number(0, 4);
    setup.pictureHeight = layout.number(0, 5);
    // The layout's own paper: the current template's is the program's, another template (a
    // reprint on the template a waybill was printed on) brings its own.
    setup.paperWidth = layout.paperWidth();
    setup.paperLength = layout.paperLength();
    // A label printer feeds exactly one label: a blank label's paper is the label.
    if (IsBlankLabel(layout))
        setup.paperLength -= kPaperExtraLength;
    setup.printRects = PrintRectsOf(layout);
    setup.barcodes = BarcodeBoxesOf(layout);
    setup.adjust = {app.PrintOffsetX, app.PrintOffsetY, app.TextSpacingX, app.TextSpacingY};
    setup.bodyFont = app.BodyFont;
    setup.destinationFont = app.DestinationFont;
    setup.screenDpiY = screenDpiY;
    return setup;
}

} // namespace dorvane
