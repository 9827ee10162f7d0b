#include "print/CalibrationSheet.h"

#include "template/WaybillField.h"

#include <algorithm>
#include <cmath>

namespace dorvane {

std::vector<std::pair<int, PixelRect>> SheetFieldBoxes(const WaybillPrintSetup& setup,
                                                       const SheetDevice& device)
{
    PrintAdjustments atZero = setup.adjust;
    atZero.offsetX = 0;
    atZero.offsetY = 0;
    const PaperScale paper{static_cast<double>(device.paperLeft), static_cast<double>(device.paperTop),
                           device.dotsPerMmX / 10, device.dotsPerMmY / 10};
    const PageMapping mapping = MapFormToPaper(paper, setup.formWidth, setup.formHeight, atZero);
    std::vector<std::pair<int, PixelRect>> boxes;
    if (!mapping.valid)
        return boxes;
    for (int i = 0; i < kFieldCount; ++i) {
        const PixelRect& rect = setup.printRects[static_cast<std::size_t>(i)];
        if (rect.width() > 0 && rect.height() > 0)
            boxes.emplace_back(i, MapFieldRect(mapping, rect));
    }
    return boxes;
}

CalibrationSheet LayOutCalibrationSheet(const WaybillPrintSetup& setup, const SheetDevice& device)
{
    CalibrationSheet sheet;
    const auto px = [&](int tenths) { return static_cast<int>(std::lround(tenths * device.dotsPerMmX / 10)); };
    const auto py = [&](int tenths) { return static_cast<int>(std::lround(tenths * device.dotsPerMmY / 10)); };
    sheet.textHeight = std::max(1, py(kSheetTextHeight));
    sheet.lineWidth = std::max(1, px(kSheetLineWidth));
    const PixelRect& page = device.page;

    // Rulers along the top and left edges, counted from the paper's edges: a tick every
    // millimetre, longer every 5, numbered every 10.
    const auto tickLength = [](int mm) { return mm % 10 == 0 ? 40 : (mm % 5 == 0 ? 25 : 15); };
    for (int mm = 0;; ++mm) {
        const int x = device.paperLeft + px(mm * 10);
        if (x > page.right)
            break;
        if (x < page.left)
            continue;
        sheet.lines.push_back({x, page.top, x, page.top + py(tickLength(mm))});
        if (mm % 10 == 0 && mm > 0)
            sheet.texts.push_back({x + px(4), page.top + py(15), std::to_string(mm)});
    }
    for (int mm = 0;; ++mm) {
        const int y = device.paperTop + py(mm * 10);
        if (y > page.bottom)
            break;
        if (y < page.top)
            continue;
        sheet.lines.push_back({page.left, y, page.left + px(tickLength(mm)), y});
        if (mm % 10 == 0 && mm > 0)
            sheet.texts.push_back({page.left + px(15), y + py(4), std::to_string(mm)});
    }

    // A cross on the top-left corner of every field box, the field's name beside it.
    for (const auto& [field, box] : SheetFieldBoxes(setup, device)) {
        sheet.lines.push_back({box.left - px(kCrossArm), box.top, box.left + px(kCrossArm), box.top});
        sheet.lines.push_back({box.left, box.top - py(kCrossArm), box.left, box.top + py(kCrossArm)});
        sheet.texts.push_back({box.left + px(kLabelGapX), box.top + py(kLabelGapY),
                               std::string(kWaybillFields[static_cast<std::size_t>(field)].name)});
    }

    // The 100 mm bars, ticked every 10 mm, clear of the rulers: one along the bottom, one
    // down the right-hand side.
    const int margin = 150;
    const int barX = page.left + px(margin);
    const int barY = page.bottom - py(margin);
    sheet.lines.push_back({barX, barY, barX + px(kScaleBarLength), barY});
    for (int mm = 0; mm <= kScaleBarLength / 10; mm += 10) {
        const int tick = mm % 50 == 0 ? 20 : 10;
        sheet.lines.push_back({barX + px(mm * 10), barY - py(tick), barX + px(mm * 10), barY + py(tick)});
    }
    sheet.texts.push_back({barX + px(kScaleBarLength / 2 - 40), barY + py(25), "100 mm"});
    const int vBarX = page.right - px(margin);
    const int vBarY = page.top + py(margin);
    sheet.lines.push_back({vBarX, vBarY, vBarX, vBarY + py(kScaleBarLength)});
    for (int mm = 0; mm <= kScaleBarLength / 10; mm += 10) {
        const int tick = mm % 50 == 0 ? 20 : 10;
        sheet.lines.push_back({vBarX - px(tick), vBarY + py(mm * 10), vBarX + px(tick), vBarY + py(mm * 10)});
    }
    sheet.texts.push_back({vBarX + px(25), vBarY + py(kScaleBarLength / 2 - 12), "100 mm"});
    return sheet;
}

} // namespace dorvane
