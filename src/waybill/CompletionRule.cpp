#include "waybill/CompletionRule.h"

#include <algorithm>

namespace dorvane {

namespace {

char16_t FoldCase(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c - u'A' + u'a');
    if (c >= u'\xFF21' && c <= u'\xFF3A') // full-width Ａ-Ｚ, common in typed Chinese text
        return static_cast<char16_t>(c - u'\xFF21' + u'\xFF41');
    return c;
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char16_t a, char16_t b) { return FoldCase(a) == FoldCase(b); });
}

} // namespace

std::optional<std::size_t> FindEntryStartingWith(const std::vector<std::u16string>& entries,
                                                 std::u16string_view prefix)
{
    // An emptied edit is left empty rather than filled with the first entry.
    if (prefix.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (StartsWithIgnoringCase(entries[i], prefix))
            return i;
    }
    return std::nullopt;
}

EditState CompleteEdit(const std::vector<std::u16string>& entries, const EditState& typed)
{
    const std::optional<std::size_t> found = FindEntryStartingWith(entries, typed.text);
    if (!found)
        return typed;
    EditState shown{entries[*found], typed.selectionStart, typed.selectionEnd};
    const int typedLength = static_cast<int>(typed.text.size());
    if (typed.selectionEnd >= typedLength) {
        shown.selectionStart = typedLength;
        shown.selectionEnd = static_cast<int>(shown.text.size());
    }
    return shown;
}

} // namespace dorvane
