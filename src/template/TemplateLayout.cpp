#include "template/TemplateLayout.h"

#include "template/BarcodeField.h"
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

// Far beyond any layout file (30 rows of 20 short values): a longer file is no layout.
constexpr std::uintmax_t kLargestLayoutFile = 64 * 1024;

struct LayoutLines {
    std::vector<std::string> lines; // without their line ends
    bool endsWithLineEnd = false;
};

std::optional<LayoutLines> ReadLayoutLines(const std::filesystem::path& path, LayoutFileFault& fault)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        fault = LayoutFileFault::Unreadable;
        return std::nullopt;
    }
    const std::uintmax_t length = std::filesystem::file_size(path, ec);
    std::ifstream file(path, std::ios::binary);
    if (ec || !file) {
        fault = LayoutFileFault::Unreadable;
        return std::nullopt;
    }
    if (length > kLargestLayoutFile) {
        fault = LayoutFileFault::TooLong;
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    if (!file.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        fault = LayoutFileFault::Unreadable;
        return std::nullopt;
    }
    LayoutLines out;
    out.endsWithLineEnd = !text.empty() && text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.lines.push_back(std::move(line));
        start = end + 1;
    }
    return out;
}

// A field row as every writer leaves it: at least the six values, the box in whole numbers
// (the first two are kept as they are, whatever they hold).
bool IsWholeFieldRow(const std::string& line)
{
    const auto pieces = SplitAt(line, ',');
    if (pieces.size() < static_cast<std::size_t>(TemplateLayout::kStoredColumns))
        return false;
    return std::all_of(pieces.begin() + 2, pieces.begin() + TemplateLayout::kStoredColumns,
                       [](const std::string& value) { return IsWholeNumber(value); });
}

LayoutFileFault FaultOf(const LayoutLines& file)
{
    const std::vector<std::string>& lines = file.lines;
    if (lines.empty())
        return LayoutFileFault::NoHeader;
    auto header = SplitAt(lines.front(), ',');
    RejoinHeaderName(header);
    if (header.size() < static_cast<std::size_t>(TemplateLayout::kStoredColumns))
        return LayoutFileFault::NoHeader;
    const bool anyFieldRow =
        std::any_of(lines.begin() + 1, lines.end(), [](const std::string& line) { return !line.empty(); });
    if (!anyFieldRow)
        return LayoutFileFault::NoFieldRows;
    // Every line is written with its line end: a last row without one that is not whole is
    // where a copy or a save stopped. A whole one may be a file saved by hand.
    if (!file.endsWithLineEnd && lines.size() > 1 && !IsWholeFieldRow(lines.back()))
        return LayoutFileFault::CutInRow;
    return LayoutFileFault::None;
}

std::optional<LayoutLines> ReadSoundLayout(const std::filesystem::path& path, LayoutFileFault& fault)
{
    auto file = ReadLayoutLines(path, fault);
    if (file)
        fault = FaultOf(*file);
    if (fault != LayoutFileFault::None)
        return std::nullopt;
    return file;
}

} // namespace

LayoutFileFault CheckLayoutFile(const std::filesystem::path& path)
{
    LayoutFileFault fault = LayoutFileFault::None;
    ReadSoundLayout(path, fault);
    return fault;
}

bool LoadLayoutFile(const std::filesystem::path& path, TemplateLayout& layout)
{
    LayoutFileFault fault = LayoutFileFault::None;
    const auto file = ReadSoundLayout(path, fault);
    if (!file)
        return false;
    const std::vector<std::string>& lines = file->lines;
    for (std::size_t row = 0; row < lines.size() && row < TemplateLayout::kRows; ++row) {
        auto pieces = SplitAt(lines[row], ',');
        if (row == 0)
            RejoinHeaderName(pieces);
        for (std::size_t column = 0; column < pieces.size() && column < TemplateLayout::kColumns; ++column)
            layout.setCell(static_cast<int>(row), static_cast<int>(column), pieces[column]);
    }
    return true;
}

namespace {

void AppendRow(std::string& text, const TemplateLayout& layout, int row)
{
    for (int column = 0; column < TemplateLayout::kStoredColumns; ++column) {
        if (column)
            text += ',';
        text += CommaFreeValue(layout.cell(row, column));
    }
    text += kLineEnd;
}

} // namespace

std::string LayoutFileText(const TemplateLayout& layout)
{
    std::string text;
    for (int row = 0; row < TemplateLayout::kStoredRows; ++row)
        AppendRow(text, layout, row);
    // The barcodes and the blank label's mark follow the twenty fields; a layout without any is
    // written as it always was.
    for (int row = kFirstBarcodeRow; row <= kLastBarcodeRow; ++row) {
        if (BarcodeFieldAt(layout, row) || layout.cell(row, 0) == kBlankLabelWord)
            AppendRow(text, layout, row);
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
