#include "store/AddressBook.h"
#include "store/PrintLog.h"
#include "store/StoreCopy.h"
#include "support/Gb18030Support.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

using namespace dorvane;

namespace {

// A station's own file, copied onto an empty store of either engine.
class StoreCopyTest : public ::testing::TestWithParam<test::Engine> {
protected:
    void SetUp() override { DORVANE_NEED_STORE(target); }

    test::TestStore source{test::Engine::File};
    test::TestStore target{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Engines, StoreCopyTest, ::testing::ValuesIn(test::TestedEngines()), test::EngineName);

std::vector<std::string> Texts(const AddressBook& book, AddressTable table)
{
    std::vector<std::string> texts;
    const auto rows = book.List(table);
    for (const StoredText& row : rows.value())
        texts.push_back(row.text);
    return texts;
}

TEST_P(StoreCopyTest, CopiesEveryRowInOrderOnceAndCountsBothSides)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const AddressBook from(source.location());
    // Rows whose ids have gaps, and text that needs care: quotes, commas, line breaks and a
    // character outside GBK (U+20000).
    const std::string awkward = "O'Brien,\"x\"\r\nline\x95\x32\x82\x36";
    for (const std::string text : {"a", "gone", "b", "c"})
        ASSERT_TRUE(from.Add(AddressTable::ReceiptAddress, text == "b" ? awkward : text));
    ASSERT_TRUE(from.Delete(AddressTable::ReceiptAddress, 2));
    ASSERT_TRUE(from.Add(AddressTable::ProductName, "towel"));
    PrintLogEntry first;
    first.time = "2026-03-01 08:00:00";
    first.texts[3] = awkward;
    PrintLogEntry second = first;
    second.time = "2026-03-02 08:00:00";
    second.texts[3] = "B";
    ASSERT_TRUE(PrintLog(source.location()).Append({first, second}));

    const auto copied = CopyStore(source.location(), target.location());
    ASSERT_TRUE(copied) << copied.error().message;
    const std::vector<std::tuple<std::string, std::int64_t, std::int64_t>> expected{
        {"SendAddress", 0, 0}, {"ReceiptAddress", 3, 3}, {"ProductName", 1, 1}, {"PrintLog", 2, 2}};
    ASSERT_EQ(copied.value().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(copied.value()[i].table, std::get<0>(expected[i]));
        EXPECT_EQ(copied.value()[i].source, std::get<1>(expected[i]));
        EXPECT_EQ(copied.value()[i].target, std::get<2>(expected[i]));
    }
    const AddressBook to(target.location());
    EXPECT_EQ(Texts(to, AddressTable::ReceiptAddress), (std::vector<std::string>{"a", awkward, "c"}));
    EXPECT_EQ(Texts(to, AddressTable::ProductName), std::vector<std::string>{"towel"});
    const auto logged = PrintLog(target.location()).Search({});
    ASSERT_TRUE(logged);
    ASSERT_EQ(logged.value().size(), 2u);
    EXPECT_EQ(logged.value()[0].texts, second.texts); // newest first, as in the file
    EXPECT_EQ(logged.value()[1].texts, first.texts);
    EXPECT_EQ(logged.value()[1].time, first.time);

    // A second copy would double every row: refused, and the target is left as it was.
    const auto again = CopyStore(source.location(), target.location());
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().kind, StoreError::StatementFailed);
    EXPECT_NE(again.error().message.find("already holds rows"), std::string::npos) << again.error().message;
    EXPECT_EQ(Texts(to, AddressTable::ReceiptAddress).size(), 3u);
    EXPECT_EQ(PrintLog(target.location()).Search({}).value().size(), 2u);
}

} // namespace
