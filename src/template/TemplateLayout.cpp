#include "template/TemplateLayout.h"

#include "text/CommaJoined.h"
#include "text/TextFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>

namespace dorvane {

int TemplateLayout::number(int row, int column) const
{
    return ToInt(cell(row, column));
}

namespace {

bool IsWholeNumber(std::string_view text)
{
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A template named with a comma (which older versions allowed) wrote its name into the header
// cut in two, pushing the paper and picture sizes one column on. The sizes are numbers and
// such a name's second half is not, so the pieces before them are joined back into the name.
void RejoinHeaderName(std::vector<std::string>& pieces)
{
    while (pieces.size() > static_cast<std::size_t>(TemplateLayout::kStoredColumns) &&
           !IsWholeNumber(pieces[2])) {
        pieces[1] += ',' + pieces[2];
        pieces.erase(pieces.begin() + 2);
    }
}

} // namespace

namespace {

LayoutFileFault FaultOf(const std::optional<std::vector<std::string>>& lines)
{
    if (!lines)
        return LayoutFileFault::Unreadable;
    if (lines->empty())
        return LayoutFileFault::NoHeader;
    auto header = SplitAt(lines->front(), ',');
    RejoinHeaderName(header);
    if (header.size() < static_cast<std::size_t>(TemplateLayout::kStoredColumns))
        return LayoutFileFault::NoHeader;
    const bool anyFieldRow =
        std::any_of(lines->begin() + 1, lines->end(), [](const std::string& line) { return !line.empty(); });
    return anyFieldRow ? LayoutFileFault::None : LayoutFileFault::NoFieldRows;
}

} // namespace

LayoutFileFault CheckLayoutFile(const std::filesystem::path& path)
{
    return FaultOf(ReadLines(path));
}

bool LoadLayoutFile(const std::filesystem::path& path, TemplateLayout& layout)
{
    const auto lines = ReadLines(path);
    if (FaultOf(lines) != LayoutFileFault::None)
        return false;
    for (std::size_t row = 0; row < lines->size() && row < TemplateLayout::kRows; ++row) {
        auto pieces = SplitAt((*lines)[row], ',');
        if (row == 0)
            RejoinHeaderName(pieces);
        for (std::size_t column = 0; column < pieces.size() && column < TemplateLayout::kColumns; ++column)
            layout.setCell(static_cast<int>(row), static_cast<int>(column), pieces[column]);
    }
    return true;
}

std::string LayoutFileText(const TemplateLayout& layout)
{
    std::string text;
    for (int row = 0; row < TemplateLayout::kStoredRows; ++row) {
        for (int column = 0; column < TemplateLayout::kStoredColumns; ++column) {
            if (column)
                text += ',';
            text += CommaFreeValue(layout.cell(row, column));
        }
        text += kLineEnd;
    }
    return text;
}

bool SaveLayoutFile(const std::filesystem::path& path, const TemplateLayout& layout)
{
    const std::string text = LayoutFileText(layout);
    return WriteFileAtomically(path, text) || WriteFileAtomically(path, text);
}

PrintScales ComputePrintScales(const TemplateLayout& layout)
{
    const auto ratio = [](int numerator, int denominator) {
        return denominator == 0 ? 0.0 : static_cast<double>(numerator) / static_cast<double>(denominator);
    };
    return {ratio(layout.number(0, 2), layout.number(0, 4)), ratio(layout.number(0, 3), layout.number(0, 5))};
}

int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

void ComputePrintRects(TemplateLayout& layout, const PrintScales& scales)
{
    for (int row = 1; row < TemplateLayout::kRows; ++row) {
        const double x = layout.number(row, 2), y = layout.number(row, 3);
        const double w = layout.number(row, 4), h = layout.number(row, 5);
        layout.setNumber(row, 6, TruncToInt(x * scales.x));
        layout.setNumber(row, 7, TruncToInt(y * scales.y));
        layout.setNumber(row, 8, TruncToInt((x + w) * scales.x));
        layout.setNumber(row, 9, TruncToInt((y + h) * scales.y));
    }
}

TemplateLayout WithBoxPlaces(TemplateLayout layout, const TemplateLayout& moved)
{
    for (int row = 0; row < TemplateLayout::kRows; ++row) {
        layout.setCell(row, 2, moved.cell(row, 2));
        layout.setCell(row, 3, moved.cell(row, 3));
    }
    ComputePrintRects(layout, ComputePrintScales(layout));
    return layout;
}

std::optional<int> PaperTenthsFromText(std::string_view text)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    long long tenths = 0;
    std::size_t i = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        tenths = tenths * 10 + (text[i] - '0');
        if (tenths > kLargestPaperSide)
            return std::nullopt;
    }
    if (i == 0)
        return std::nullopt;
    tenths *= 10;
    if (i < text.size()) {
        // One decimal at most: the layout stores tenths of a millimetre.
        if (text[i] != '.' || i + 2 != text.size() || !isDigit(text[i + 1]))
            return std::nullopt;
        tenths += text[i + 1] - '0';
    }
    if (tenths <= 0 || tenths > kLargestPaperSide)
        return std::nullopt;
    return static_cast<int>(tenths);
}

std::string PaperTextFromTenths(int tenths)
{
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += '.' + std::to_string(std::abs(tenths % 10));
    return text;
}

} // namespace dorvane
