#include "waybill/CompletionRule.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace dorvane;

namespace dorvane {
// Readable failures: the selection and the text's length.
void PrintTo(const EditState& state, std::ostream* out)
{
    *out << "{" << state.text.size() << " units, " << state.selectionStart << "-" << state.selectionEnd << "}";
}
} // namespace dorvane

namespace {
const std::vector<std::u16string> kEntries = {
    u"Apple", u"apricot", u"李四,139,,路,2", u"张飞,1,,a,1", u"张三,138,,北京,100000", u"ＡＢ街",
};
} // namespace

TEST(CompletionRule, TypingAtTheEndShowsTheFirstMatchWithTheRestSelected)
{
    // The first entry in list order wins, even when a later one matches as well.
    EXPECT_EQ(CompleteEdit(kEntries, {u"张", 1, 1}), (EditState{u"张飞,1,,a,1", 1, 9}));
    EXPECT_EQ(CompleteEdit(kEntries, {u"张三", 2, 2}), (EditState{u"张三,138,,北京,100000", 2, 17}));
    // Case does not matter, and the entry's own spelling is shown.
    EXPECT_EQ(CompleteEdit(kEntries, {u"APR", 3, 3}), (EditState{u"apricot", 3, 7}));
    EXPECT_EQ(CompleteEdit(kEntries, {u"ａｂ", 2, 2}), (EditState{u"ＡＢ街", 2, 3}));
    // The whole entry typed: nothing left to select.
    EXPECT_EQ(CompleteEdit(kEntries, {u"Apple", 5, 5}), (EditState{u"Apple", 5, 5}));
}

TEST(CompletionRule, NoMatchOrEmptyTextLeavesTheEditAsTyped)
{
    const EditState typed{u"Banana", 3, 6};
    EXPECT_EQ(CompleteEdit(kEntries, typed), typed);
    EXPECT_EQ(CompleteEdit(kEntries, {u"", 0, 0}), (EditState{u"", 0, 0}));
    EXPECT_EQ(CompleteEdit({}, {u"A", 1, 1}), (EditState{u"A", 1, 1}));
    EXPECT_FALSE(FindEntryStartingWith(kEntries, u"").has_value());
    // Longer than every entry.
    EXPECT_EQ(CompleteEdit(kEntries, {u"Applesauce", 10, 10}), (EditState{u"Applesauce", 10, 10}));
}

TEST(CompletionRule, EditingInsideTheTextKeepsTheCaretWhereItWas)
{
    // "Ap" with the caret after "A" (the user typed the "A" in front of "p").
    EXPECT_EQ(CompleteEdit(kEntries, {u"Ap", 1, 1}), (EditState{u"Apple", 1, 1}));
    // A selection inside the text stays selected.
    EXPECT_EQ(CompleteEdit(kEntries, {u"apr", 0, 2}), (EditState{u"apricot", 0, 2}));
}
