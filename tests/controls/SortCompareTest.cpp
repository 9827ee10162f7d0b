#include "controls/SortCompare.h"

#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <string>
#include <vector>

using namespace dorvane;

namespace {
// GBK bytes of the date markers and a few names.
const std::string kYear = "\xC4\xEA";  // 年
const std::string kMonth = "\xD4\xC2"; // 月
const std::string kDay = "\xC8\xD5";   // 日
const std::string kZhang = "\xD5\xC5"; // 张
const std::string kLi = "\xC0\xEE";    // 李
const std::string kWang = "\xCD\xF5";  // 王

std::string Date(const std::string& y, const std::string& m, const std::string& d)
{
    return y + kYear + m + kMonth + d + kDay;
}

std::vector<std::string> Sorted(const std::vector<std::string>& texts, SortKind kind, bool ascending)
{
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    std::vector<std::string> result;
    for (std::size_t i : SortedOrder(views, kind, ascending))
        result.push_back(texts[i]);
    return result;
}
} // namespace

TEST(SortCompare, KindIsChosenFromTheSecondRowText)
{
    EXPECT_EQ(ChooseSortKind(2, "12.5"), SortKind::Decimal);
    EXPECT_EQ(ChooseSortKind(2, Date("2014", "5", "3")), SortKind::Date);
    EXPECT_EQ(ChooseSortKind(0, "10"), SortKind::Integer);
    // A list with a single row has no second row: its text is empty.
    EXPECT_EQ(ChooseSortKind(0, ""), SortKind::Text);
    // Column 1 holds the hidden ids and always sorts as text, digits or not.
    EXPECT_EQ(ChooseSortKind(1, "10"), SortKind::Text);
    // Any byte that is not a digit makes it text: a sign, a blank, a Chinese character.
    EXPECT_EQ(ChooseSortKind(0, "-5"), SortKind::Text);
    EXPECT_EQ(ChooseSortKind(0, "5 "), SortKind::Text);
    EXPECT_EQ(ChooseSortKind(0, "5" + kZhang), SortKind::Text);
    // Two of the three date markers are not a date; "." wins over the markers.
    EXPECT_EQ(ChooseSortKind(2, "2014" + kYear + "5" + kMonth), SortKind::Text);
    EXPECT_EQ(ChooseSortKind(2, Date("2014.1", "5", "3")), SortKind::Decimal);
}

TEST(SortCompare, DateMarkersAreFoundOnlyOnCharacterBoundaries)
{
    // "\xB0\xC4" + "\xEA\xB0" holds the bytes C4 EA (年) straddling two characters; likewise
    // for 月 (D4 C2) and 日 (C8 D5). None of them is a real marker.
    const std::string straddling = "1\xB0\xC4\xEA\xB0"
                                   "2\xB0\xD4\xC2\xB0"
                                   "3\xB0\xC8\xD5\xB0";
    EXPECT_EQ(ChooseSortKind(2, straddling), SortKind::Text);
}

TEST(SortCompare, DatesCompareByYearMonthAndDay)
{
    EXPECT_GT(CompareSortTexts(SortKind::Date, Date("2014", "12", "1"), Date("2014", "5", "30")), 0);
    EXPECT_LT(CompareSortTexts(SortKind::Date, Date("2013", "12", "31"), Date("2014", "1", "1")), 0);
    EXPECT_LT(CompareSortTexts(SortKind::Date, Date("2014", "5", "3"), Date("2014", "5", "30")), 0);
    EXPECT_EQ(CompareSortTexts(SortKind::Date, Date("2014", "05", "03"), Date("2014", "5", "3")), 0);
    // A cell without the markers counts as year, month and day 0.
    EXPECT_LT(CompareSortTexts(SortKind::Date, "", Date("0", "0", "1")), 0);

    const std::vector<std::string> dates = {Date("2014", "12", "1"), Date("2014", "5", "30"),
                                            Date("2015", "1", "1"), Date("2014", "5", "3")};
    EXPECT_EQ(Sorted(dates, SortKind::Date, true),
              (std::vector<std::string>{Date("2014", "5", "3"), Date("2014", "5", "30"),
                                        Date("2014", "12", "1"), Date("2015", "1", "1")}));
}

TEST(SortCompare, TextComparesCodePageBytes)
{
    // GBK order, not Unicode order: 李 (C0EE) < 王 (CDF5) < 张 (D5C5); in Unicode 张 (5F20)
    // comes before 李 (674E) and 王 (738B).
    EXPECT_EQ(Sorted({kZhang, kWang, kLi}, SortKind::Text, true),
              (std::vector<std::string>{kLi, kWang, kZhang}));
    // ASCII before any Chinese character; a prefix first; digits as characters: 10 before 9.
    EXPECT_EQ(Sorted({kLi, "z", kLi + "a", "10", "9", ""}, SortKind::Text, true),
              (std::vector<std::string>{"", "10", "9", "z", kLi, kLi + "a"}));
    EXPECT_EQ(CompareSortTexts(SortKind::Text, kWang, kWang), 0);
    // A four-byte character sorts after every two-byte one (though its second byte is
    // smaller), and a stray high byte counts as a single small character.
    const std::string fourByte = "\x81\x30\x81\x30", twoByte = "\x81\x40", stray = "\xFF";
    EXPECT_EQ(Sorted({fourByte, twoByte, stray, "a"}, SortKind::Text, true),
              (std::vector<std::string>{"a", stray, twoByte, fourByte}));
}

TEST(SortCompare, SortedOrderAgreesWithThePairwiseComparison)
{
    // Random cells of digits, signs, dots, date markers, two- and four-byte characters and
    // stray bytes: every sort must leave them in non-decreasing order of CompareSortTexts.
    const std::vector<std::string> pieces = {
        "0",    "1",    "9",  "-",    ".", " ",        "a",
        kYear,  kMonth, kDay, kZhang, kLi, "\x81\x40", "\x81\x30\x81\x30",
        "\xFF", "\x81"};
    std::mt19937 random(7);
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        std::string text;
        for (int n = int(random() % 6); n > 0; --n)
            text += pieces[random() % pieces.size()];
        texts.push_back(text);
    }
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    for (SortKind kind : {SortKind::Integer, SortKind::Text, SortKind::Decimal, SortKind::Date}) {
        for (bool ascending : {true, false}) {
            const std::vector<std::size_t> order = SortedOrder(views, kind, ascending);
            ASSERT_EQ(order.size(), texts.size());
            for (std::size_t i = 1; i < order.size(); ++i) {
                const int result = CompareSortTexts(kind, texts[order[i - 1]], texts[order[i]]);
                ASSERT_TRUE(ascending ? result <= 0 : result >= 0)
                    << int(kind) << " " << texts[order[i - 1]] << " / " << texts[order[i]];
            }
        }
    }
}

TEST(SortCompare, IntegersFollowTheCLibraryConversion)
{
    EXPECT_EQ(Sorted({"10", "9", "100", "0"}, SortKind::Integer, true),
              (std::vector<std::string>{"0", "9", "10", "100"}));
    // No number counts as 0; leading blanks and a sign are read; trailing text is ignored.
    EXPECT_EQ(CompareSortTexts(SortKind::Integer, "abc", "0"), 0);
    EXPECT_EQ(CompareSortTexts(SortKind::Integer, "  -3", "-3" + kZhang), 0);
    EXPECT_LT(CompareSortTexts(SortKind::Integer, "-1", ""), 0);
    // The extremes compare without overflow; beyond them values clamp to the int range.
    EXPECT_LT(CompareSortTexts(SortKind::Integer, "-2147483648", "2147483647"), 0);
    EXPECT_GT(CompareSortTexts(SortKind::Integer, "2147483647", "-2147483648"), 0);
    EXPECT_EQ(CompareSortTexts(SortKind::Integer, "99999999999", "2147483647"), 0);
    EXPECT_EQ(CompareSortTexts(SortKind::Integer, "-99999999999", "-2147483648"), 0);
}

TEST(SortCompare, DecimalsFollowTheCLibraryConversion)
{
    EXPECT_EQ(Sorted({"12.5", "3", "abc", "-0.5", "12.25"}, SortKind::Decimal, true),
              (std::vector<std::string>{"-0.5", "abc", "3", "12.25", "12.5"}));
    EXPECT_EQ(CompareSortTexts(SortKind::Decimal, "1e400", "1e300"), 1);
    // "nan" counts as no number, so the order stays consistent.
    EXPECT_EQ(CompareSortTexts(SortKind::Decimal, "nan", "0"), 0);
    EXPECT_LT(CompareSortTexts(SortKind::Decimal, "-1", "nan"), 0);
}

TEST(SortCompare, DecimalsIgnoreACommaDecimalLocale)
{
#ifdef _WIN32
    const char* wanted[] = {"German_Germany.1252", "de-DE", "French_France.1252"};
#else
    const char* wanted[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
#endif
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool switched = false;
    for (const char* name : wanted)
        if ((switched = std::setlocale(LC_NUMERIC, name) != nullptr))
            break;
    if (!switched)
        GTEST_SKIP() << "no comma-decimal locale installed";
    // Read with a comma point, 12.5 and 12.4 would both be 12, and 12,5 would be 12.5.
    const int points = CompareSortTexts(SortKind::Decimal, "12.5", "12.4");
    const int comma = CompareSortTexts(SortKind::Decimal, "12,5", "12");
    const auto sorted = SortedOrder({"12.5", "12.4"}, SortKind::Decimal, true);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(points, 1);
    EXPECT_EQ(comma, 0);
    EXPECT_EQ(sorted, (std::vector<std::size_t>{1, 0}));
}

TEST(SortCompare, DescendingReversesAndEqualRowsKeepTheirOrder)
{
    EXPECT_EQ(Sorted({"2", "10", "1"}, SortKind::Integer, false), (std::vector<std::string>{"10", "2", "1"}));
    // 03 and 3 are equal integers: they keep their original order both ways.
    EXPECT_EQ(Sorted({"03", "1", "3"}, SortKind::Integer, true), (std::vector<std::string>{"1", "03", "3"}));
    EXPECT_EQ(Sorted({"03", "1", "3"}, SortKind::Integer, false), (std::vector<std::string>{"03", "3", "1"}));
    EXPECT_TRUE(SortedOrder({}, SortKind::Text, true).empty());
}

TEST(SortCompare, ClicksToggleTheDirectionPerColumn)
{
    SortState state;
    EXPECT_EQ(state.Column(), -1);
    EXPECT_TRUE(state.Click(2));  // first click: ascending
    EXPECT_FALSE(state.Click(2)); // same column: descending
    EXPECT_TRUE(state.Click(2));  // and back
    EXPECT_FALSE(state.Click(2));
    EXPECT_TRUE(state.Click(0)); // another column starts ascending again
    EXPECT_EQ(state.Column(), 0);
    EXPECT_TRUE(state.Ascending());
    EXPECT_FALSE(state.Click(0));
}
