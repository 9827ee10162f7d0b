#include "print/WaybillFitCheck.h"

#include "print/FontShrink.h"
#include "template/WaybillField.h"

#include <QFont>
#include <QPaintDevice>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace dorvane {

WaybillFitCheck::WaybillFitCheck(const WaybillPrintSetup& setup, const QPaintDevice& device)
    : renderer_(setup), device_(device), dpiY_(device.logicalDpiY())
{
    boxes_ = renderer_.fieldBoxes(device);
    printable_ = PaperOf(device).printable;
}

TextBoxFit WaybillFitCheck::check(int field, const QString& text, int height) const
{
    const auto i = static_cast<std::size_t>(field);
    return TextBoxDrawer::fit(renderer_.fieldFont(field, dpiY_, height), &device_, boxes_[i], text,
                              kWaybillFields[i].format, printable_);
}

FieldFits WaybillFitCheck::checkAll(const WaybillTexts& texts) const
{
    FieldFits fits{};
    for (int field = 0; field < kFieldCount; ++field)
        fits[static_cast<std::size_t>(field)] = check(field, texts[static_cast<std::size_t>(field)]);
    return fits;
}

std::vector<BarcodeOutcome> WaybillFitCheck::checkBarcodes(const WaybillTexts& texts,
                                                           const BarcodeValues& values) const
{
    std::vector<BarcodeOutcome> outcomes;
    for (auto& [outcome, placed] : renderer_.placeBarcodes(device_, texts, &values))
        outcomes.push_back(std::move(outcome));
    return outcomes;
}

int WaybillFitCheck::fontHeight(int field) const
{
    const WaybillPrintSetup& setup = renderer_.setup();
    const LogFont& font = field == kDestinationField ? setup.destinationFont : setup.bodyFont;
    return std::max(1, std::abs(renderer_.deviceFontHeight(font, dpiY_)));
}

int WaybillFitCheck::smallestHeight() const
{
    return SmallestFontPixels(dpiY_);
}

ShrinkResult WaybillFitCheck::shrink(const WaybillTexts& texts) const
{
    ShrinkResult result;
    for (int field = 0; field < kFieldCount; ++field) {
        const QString& text = texts[static_cast<std::size_t>(field)];
        if (check(field, text).placed())
            continue;
        const auto height = LargestFittingSize(smallestHeight(), fontHeight(field) - 1,
                                               [&](int size) { return check(field, text, size).placed(); });
        if (height)
            result.heights[static_cast<std::size_t>(field)] = *height;
        else
            result.unfit.push_back(field);
    }
    return result;
}

std::vector<int> CutFields(const FieldFits& fits)
{
    std::vector<int> cut;
    for (int field = 0; field < kFieldCount; ++field) {
        if (!fits[static_cast<std::size_t>(field)].whole())
            cut.push_back(field);
    }
    return cut;
}

QString FieldName(int field)
{
    const std::string_view name = kWaybillFields[static_cast<std::size_t>(field)].name;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString DescribeCut(const TextBoxFit& fit)
{
    QStringList parts;
    if (!fit.placed()) {
        QString lost = fit.lostText;
        lost.replace(QLatin1Char('\n'), QLatin1Char(' '));
        parts.append(fit.lostLines > 0
                         ? QStringLiteral("打印时将少印 %1 行（%2 个字）：%3")
                               .arg(fit.lostLines)
                               .arg(fit.lostChars)
                               .arg(lost)
                         : QStringLiteral("打印时将截去 %1 个字：%2").arg(fit.lostChars).arg(lost));
    }
    if (!fit.unprintable.isEmpty())
        parts.append(QString::fromUtf8(kUnprintableChars) + QStringLiteral("：") + fit.unprintable);
    return parts.join(QStringLiteral("；"));
}

} // namespace dorvane
