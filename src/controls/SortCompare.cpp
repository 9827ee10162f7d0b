#include "controls/SortCompare.h"

#include "text/CodePageChars.h"
#include "text/TextFile.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <compare>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

namespace dorvane {

namespace {
constexpr std::string_view kYear = "\xC4\xEA";  // 年
constexpr std::string_view kMonth = "\xD4\xC2"; // 月
constexpr std::string_view kDay = "\xC8\xD5";   // 日

// atof in the C locale, whatever locale the program runs in: a comma-decimal locale must not
// turn 12.5 into 12. The copy is cut where the locale's decimal point appears (in the C locale
// that character ends the number) and its '.' become the locale's decimal point. A NaN counts
// as 0 like any other non-number, so the ordering stays a strict weak order.
double ToDecimal(std::string_view text)
{
    std::string copy(text);
    const std::string_view point = std::localeconv()->decimal_point;
    if (!point.empty() && point != ".") {
        copy.resize(std::min(copy.size(), copy.find(point.front())));
        std::string localised;
        for (char c : copy) {
            if (c == '.')
                localised += point;
            else
                localised += c;
        }
        copy = std::move(localised);
    }
    const double value = std::strtod(copy.c_str(), nullptr);
    return std::isnan(value) ? 0 : value;
}

template <typename T> int Order(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The number in front of marker, starting at pos; moves pos past the marker. A missing
// marker gives 0 and leaves pos where it was.
int PartBefore(std::string_view text, std::string_view marker, std::size_t& pos)
{
    const std::size_t at = FindChars(text, marker, pos);
    if (at == std::string_view::npos)
        return 0;
    const int value = ToInt(text.substr(pos, at - pos));
    pos = at + marker.size();
    return value;
}

struct DateKey {
    int year, month, day;
    auto operator<=>(const DateKey&) const = default;
};

// The numbers before 年, 月 and 日, each searched after the previous marker.
DateKey ToDate(std::string_view text)
{
    std::size_t pos = 0;
    DateKey date{};
    date.year = PartBefore(text, kYear, pos);
    date.month = PartBefore(text, kMonth, pos);
    date.day = PartBefore(text, kDay, pos);
    return date;
}
} // namespace

SortKind ChooseSortKind(int column, std::string_view secondRowText)
{
    if (column == 1)
        return SortKind::Text;
    if (secondRowText.find('.') != std::string_view::npos)
        return SortKind::Decimal;
    if (FindChars(secondRowText, kYear) != std::string_view::npos &&
        FindChars(secondRowText, kMonth) != std::string_view::npos &&
        FindChars(secondRowText, kDay) != std::string_view::npos)
        return SortKind::Date;
    if (secondRowText.empty())
        return SortKind::Text;
    for (char c : secondRowText)
        if (c < '0' || c > '9')
            return SortKind::Text;
    return SortKind::Integer;
}

namespace {
// Stable sort of (key, position) pairs: keys travel with the sort, so a comparison touches
// two neighbouring elements instead of looking rows up through the positions.
template <typename Key, typename MakeKey, typename Less>
std::vector<std::size_t> SortByKeys(const std::vector<std::string_view>& texts, bool ascending,
                                    MakeKey makeKey, Less less)
{
    std::vector<std::pair<Key, std::size_t>> items;
    items.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        items.emplace_back(makeKey(texts[i]), i);
    if (ascending)
        std::stable_sort(items.begin(), items.end(),
                         [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    else
        std::stable_sort(items.begin(), items.end(),
                         [&](const auto& a, const auto& b) { return less(b.first, a.first); });
    std::vector<std::size_t> order;
    order.reserve(items.size());
    for (const auto& item : items)
        order.push_back(item.second);
    return order;
}

// Text made only of ASCII and two-byte characters orders byte by byte exactly as character
// by character; only four-byte characters and stray lead bytes need the slow walk.
struct TextKey {
    std::string_view text;
    bool plain;
};

TextKey MakeTextKey(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLengthAt(text, pos);
        if (length == 4 || (length == 1 && static_cast<unsigned char>(text[pos]) >= 0x80))
            return {text, false};
        pos += length;
    }
    return {text, true};
}

bool TextLess(const TextKey& a, const TextKey& b)
{
    if (a.plain && b.plain)
        return a.text < b.text; // unsigned byte comparison
    return CompareCodePageText(a.text, b.text) < 0;
}

} // namespace

std::vector<std::size_t> SortedOrder(const std::vector<std::string_view>& texts, SortKind kind,
                                     bool ascending)
{
    switch (kind) {
    case SortKind::Integer:
        return SortByKeys<int>(
            texts, ascending, [](std::string_view t) { return ToInt(t); }, std::less<int>());
    case SortKind::Decimal:
        return SortByKeys<double>(texts, ascending, ToDecimal, std::less<double>());
    case SortKind::Date:
        return SortByKeys<DateKey>(texts, ascending, ToDate, std::less<DateKey>());
    case SortKind::Text:
        break;
    }
    return SortByKeys<TextKey>(texts, ascending, MakeTextKey, TextLess);
}

int CompareSortTexts(SortKind kind, std::string_view a, std::string_view b)
{
    switch (kind) {
    case SortKind::Integer:
        return Order(ToInt(a), ToInt(b));
    case SortKind::Decimal:
        return Order(ToDecimal(a), ToDecimal(b));
    case SortKind::Date:
        return Order(ToDate(a), ToDate(b));
    case SortKind::Text:
        break;
    }
    return CompareCodePageText(a, b);
}

bool SortState::Click(int column)
{
    ascending_ = column != column_ ? true : !ascending_;
    column_ = column;
    return ascending_;
}

} // namespace dorvane
