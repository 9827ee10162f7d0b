#pragma once
// The records a batch prints, as given with --rows: "1-10,15". Records count from 1, the
// header row not included.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dorvane {

class RowSelection {
public:
    // nullopt (and a reason in error) for an empty list, a number that is not positive, a
    // range whose end is before its start, or anything but digits, "-" and ",".
    static std::optional<RowSelection> Parse(std::string_view text, std::string& error);

    bool contains(std::size_t record) const;
    // The highest record named: a file with fewer records cannot satisfy the selection.
    std::size_t last() const;

private:
    std::vector<std::pair<std::size_t, std::size_t>> ranges_;
};

} // namespace dorvane
