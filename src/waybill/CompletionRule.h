#pragma once
// What a completing combo box does after the user changed its edit text: show the first list
// entry that begins with the typed text, with the part not yet typed selected so that the next
// key replaces it. Text is UTF-16, positions count UTF-16 units as the edit control does.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

struct EditState {
    std::u16string text;
    int selectionStart = 0; // start == end: no selection, the caret there
    int selectionEnd = 0;

    bool operator==(const EditState&) const = default;
};

// Index of the first entry that begins with prefix, ignoring the case of Latin letters
// (ASCII and full-width). An empty prefix matches nothing.
std::optional<std::size_t> FindEntryStartingWith(const std::vector<std::u16string>& entries,
                                                 std::u16string_view prefix);

// The edit state after an edit. Without a matching entry the edit stays as typed. With one,
// the entry's text is shown; when the caret was inside the text (the user edits in the middle)
// the selection stays as it was, otherwise the rest after the typed text is selected.
EditState CompleteEdit(const std::vector<std::u16string>& entries, const EditState& typed);

} // namespace dorvane
