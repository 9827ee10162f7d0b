#pragma once
// The comparisons behind a report list's column-click sort. Row texts are code-page bytes
// (GB18030); the kind of comparison is guessed from one sample cell of the clicked column.

#include <cstddef>
#include <string_view>
#include <vector>

namespace dorvane {

enum class SortKind { Integer, Text, Decimal, Date };

// The comparison for a column, judged from the text of its second row (empty when the list
// has fewer than two rows): "." makes it decimal, all of 年/月/日 a date, an empty text or
// any byte that is not an ASCII digit text, otherwise integer. Column 1 is always text: the
// lists keep their hidden database ids there.
SortKind ChooseSortKind(int column, std::string_view secondRowText);

// -1, 0 or +1 as a sorts before, with or after b in ascending order. Integers and decimals
// follow the C library's conversions (no number counts as 0), texts compare as code-page
// characters, dates by the numbers before 年, 月 and 日 in turn.
int CompareSortTexts(SortKind kind, std::string_view a, std::string_view b);

// Positions of texts in sorted order by CompareSortTexts (stable: equal cells keep their
// order). Each cell is parsed once; the views must stay valid during the call.
std::vector<std::size_t> SortedOrder(const std::vector<std::string_view>& texts, SortKind kind,
                                     bool ascending);

// Which column a list is sorted by and in which direction. A click on a new column sorts it
// ascending, a click on the same column flips the direction; refilling the list keeps it.
class SortState {
public:
    // Records the click and returns the new direction (true = ascending).
    bool Click(int column);
    int Column() const { return column_; }
    bool Ascending() const { return ascending_; }

private:
    int column_ = -1; // no sort yet
    bool ascending_ = false;
};

} // namespace dorvane
