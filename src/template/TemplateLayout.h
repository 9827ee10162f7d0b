#pragma once
// A template's layout: 30 rows by 20 columns of decimal-text cells. Row 0 is the header
// (column 2, 3: paper width and height in 0.1 mm; 4, 5: picture width and height in pixels),
// rows 1 to 20 the field boxes (columns 2 to 5: x, y, w, h in picture pixels; 6 to 9: the
// print rectangle in 0.1 mm, derived and never stored). Other cells are kept as read.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dorvane {

class TemplateLayout {
public:
    static constexpr int kRows = 30;
    static constexpr int kColumns = 20;
    static constexpr int kStoredRows = 21;
    static constexpr int kStoredColumns = 6;

    const std::string& cell(int row, int column) const { return cells_[index(row, column)]; }
    void setCell(int row, int column, std::string value) { cells_[index(row, column)] = std::move(value); }
    // The cell read with the C library's decimal conversion (not a number: 0).
    int number(int row, int column) const;
    void setNumber(int row, int column, int value) { setCell(row, column, std::to_string(value)); }

    int paperWidth() const { return number(0, 2); }
    int paperLength() const { return number(0, 3); }

    bool operator==(const TemplateLayout&) const = default;

private:
    static std::size_t index(int row, int column)
    {
        return static_cast<std::size_t>(row * kColumns + column);
    }
    std::array<std::string, kRows * kColumns> cells_{};
};

// Reads a layout file over layout: line r, cut at every ",", fills row r from column 0.
// Cells a line does not reach keep their value; lines past row 29 and values past column 19
// are ignored. A header whose name was written with a comma is read with the name whole.
// False when the file cannot be opened (nothing changed then).
// A file cut short (a copy or a save interrupted, an empty file) is refused too: one without a
// header row of six values, without any field row after it, or ending inside a field row (a
// last row without its line end and short of its six values); so is a file over 64 KB.
bool LoadLayoutFile(const std::filesystem::path& path, TemplateLayout& layout);

// Why LoadLayoutFile refuses a file, so that the refusal can name it.
enum class LayoutFileFault { None, Unreadable, NoHeader, NoFieldRows, CutInRow, TooLong };
LayoutFileFault CheckLayoutFile(const std::filesystem::path& path);

// The text of a layout file: rows 0 to 20, columns 0 to 5, each line ended by "\r\n", then
// the rows of the barcodes (BarcodeField.h) in the same shape; a comma inside a cell (only
// ever the name) is written as "，".
std::string LayoutFileText(const TemplateLayout& layout);

// Writes the layout file through a temporary file (one second attempt on failure).
bool SaveLayoutFile(const std::filesystem::path& path, const TemplateLayout& layout);

// Tenths of a millimetre per picture pixel. A picture size of 0 in the header gives a scale
// of 0 (every print rectangle collapses to the corner and prints nothing) rather than an
// infinite or undefined value.
struct PrintScales {
    double x = 0;
    double y = 0;
};
PrintScales ComputePrintScales(const TemplateLayout& layout);

// Truncates toward zero, clamped to the 32-bit range (huge boxes must not overflow).
int TruncToInt(double value);

// Fills columns 6 to 9 of rows 1 to 29 from the boxes and the scales.
void ComputePrintRects(TemplateLayout& layout, const PrintScales& scales);

// The layout with the box places (x and y of every row) of moved in place of its own and its
// print rectangles computed anew: what a preview that moves boxes shows, prints and saves.
TemplateLayout WithBoxPlaces(TemplateLayout layout, const TemplateLayout& moved);

// The longest paper side a template takes, in 0.1 mm.
inline constexpr int kLargestPaperSide = 10000;

// A paper side typed in millimetres with at most one decimal ("230", "127.5") in tenths of a
// millimetre; nullopt for any other text and for a side not above 0 or beyond kLargestPaperSide.
std::optional<int> PaperTenthsFromText(std::string_view text);
// The other way, for showing a stored side: 2300 -> "230", 1275 -> "127.5".
std::string PaperTextFromTenths(int tenths);

} // namespace dorvane
