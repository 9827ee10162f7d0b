#include "controls/SortCompare.h"

#include "app/CodePageChars.h"
#include "app/TextFile.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <numeric>

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

template <typename T> int Order(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

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
} // namespace

SortKind ChooseSortKind(int column, std::string_view secondRowText)
{
    if (column == 1)
        return SortKind::Text;
    if (secondRowText.find('.') != std::string_view::npos)
        return SortKind::Decimal;
    if (FindChars(secondRowText, kYear) != std::string_view::npos
        && FindChars(secondRowText, kMonth) != std::string_view::npos
        && FindChars(secondRowText, kDay) != std::string_view::npos)
        return SortKind::Date;
    if (secondRowText.empty())
        return SortKind::Text;
    for (char c : secondRowText)
        if (c < '0' || c > '9')
            return SortKind::Text;
    return SortKind::Integer;
}

SortKey MakeSortKey(SortKind kind, std::string_view text)
{
    SortKey key;
    switch (kind) {
    case SortKind::Integer:
        key.whole = ToInt(text);
        break;
    case SortKind::Decimal:
        key.decimal = ToDecimal(text);
        break;
    case SortKind::Date: {
        std::size_t pos = 0;
        key.year = PartBefore(text, kYear, pos);
        key.month = PartBefore(text, kMonth, pos);
        key.day = PartBefore(text, kDay, pos);
        break;
    }
    case SortKind::Text:
        key.text = text;
        break;
    }
    return key;
}

int CompareSortKeys(SortKind kind, const SortKey& a, const SortKey& b)
{
    switch (kind) {
    case SortKind::Integer:
        return Order(a.whole, b.whole);
    case SortKind::Decimal:
        return Order(a.decimal, b.decimal);
    case SortKind::Date:
        if (a.year != b.year)
            return Order(a.year, b.year);
        if (a.month != b.month)
            return Order(a.month, b.month);
        return Order(a.day, b.day);
    case SortKind::Text:
        return CompareCodePageText(a.text, b.text);
    }
    return 0;
}

int CompareSortTexts(SortKind kind, std::string_view a, std::string_view b)
{
    return CompareSortKeys(kind, MakeSortKey(kind, a), MakeSortKey(kind, b));
}

std::vector<std::size_t> SortedOrder(const std::vector<std::string_view>& texts, SortKind kind,
                                     bool ascending)
{
    std::vector<SortKey> keys;
    keys.reserve(texts.size());
    for (std::string_view text : texts)
        keys.push_back(MakeSortKey(kind, text));
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int result = CompareSortKeys(kind, keys[a], keys[b]);
        return ascending ? result < 0 : result > 0;
    });
    return order;
}

bool SortState::Click(int column)
{
    ascending_ = column != column_ ? true : !ascending_;
    column_ = column;
    return ascending_;
}

} // namespace dorvane
