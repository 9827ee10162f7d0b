#include "batch/RowSelection.h"

#include <algorithm>
#include <charconv>

namespace dorvane {

namespace {

std::optional<std::size_t> RecordNumber(std::string_view text)
{
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<RowSelection> RowSelection::Parse(std::string_view text, std::string& error)
{
    RowSelection selection;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        const std::size_t dash = item.find('-');
        const auto first = RecordNumber(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : RecordNumber(item.substr(dash + 1));
        if (!first || !last) {
            error =
                "--rows: \"" + std::string(item) + "\" is not a record number (from 1) or a range like 1-10";
            return std::nullopt;
        }
        if (*last < *first) {
            error = "--rows: the range " + std::string(item) + " ends before it starts";
            return std::nullopt;
        }
        selection.ranges_.emplace_back(*first, *last);
        if (comma == text.size())
            return selection;
        start = comma + 1;
    }
}

bool RowSelection::contains(std::size_t record) const
{
    return std::any_of(ranges_.begin(), ranges_.end(),
                       [record](const auto& r) { return record >= r.first && record <= r.second; });
}

std::size_t RowSelection::last() const
{
    std::size_t last = 0;
    for (const auto& r : ranges_)
        last = std::max(last, r.second);
    return last;
}

} // namespace dorvane
