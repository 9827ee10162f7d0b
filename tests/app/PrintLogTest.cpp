#include "app/AddressBook.h"
#include "app/PrintLog.h"
#include "app/PrintLogStatements.h"
#include "support/TempFolder.h"
#include "support/TestStore.h"
#include "support/Unprivileged.h"
#include "support/Gb18030Support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <chrono>
#include <thread>

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace dorvane;
using dorvane::test::TempFolder;

namespace {

namespace fs = std::filesystem;

// GB18030: 张三, 李四, 杭州市文三路100号, and U+20000 (outside GBK)
const std::string kZhangSan = "\xD5\xC5\xC8\xFD";
const std::string kLiSi = "\xC0\xEE\xCB\xC4";
const std::string kHangzhou = "\xBA\xBC\xD6\xDD\xCA\xD0\xCE\xC4\xC8\xFD\xC2\xB7" "100\xBA\xC5";
const std::string kRare = "\x95\x32\x82\x36";

PrintLogEntry Entry(const std::string& time, const std::string& recipient, const std::string& mobile,
                    const std::string& address)
{
    PrintLogEntry entry;
    entry.time = time;
    entry.templateName = "\xCB\xB3\xB7\xE1"; // 顺丰
    entry.printer = "/tmp/out.pdf";
    entry.source = kLogSourceCli;
    entry.texts[1] = kZhangSan; // the sender of every entry
    entry.texts[3] = recipient;
    entry.texts[12] = mobile;
    entry.texts[7] = address;
    return entry;
}

std::vector<std::string> Recipients(const Result<std::vector<PrintLogEntry>>& found)
{
    EXPECT_TRUE(found.ok()) << (found.ok() ? "" : found.error().message);
    std::vector<std::string> names;
    if (found.ok()) {
        for (const PrintLogEntry& entry : found.value())
            names.push_back(entry.texts[3]);
    }
    return names;
}

// The log's behaviour, the same on the file and on the server.
class PrintLogTest : public ::testing::TestWithParam<test::Engine> {
protected:
    void SetUp() override { DORVANE_NEED_STORE(store); }

    test::TestStore store{GetParam()};
    PrintLog log{store.location()};
};

INSTANTIATE_TEST_SUITE_P(Engines, PrintLogTest, ::testing::ValuesIn(test::TestedEngines()), test::EngineName);

// The file engine's own: modes, and a process killed while it writes the file.
class PrintLogFileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::copy_file(DORVANE_EMPTY_ADDRESS_BOOK, file); }

    TempFolder dir;
    fs::path file = dir / "Dorvane.dorv";
    PrintLog log{file};
};

TEST_P(PrintLogTest, SearchesByTextAndDayNewestFirstKeepingTheAddressBook)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    ASSERT_TRUE(AddressBook(store.location()).Add(AddressTable::ReceiptAddress, kLiSi + ",139").ok());
    // No table yet: nothing logged, and a search is no error.
    EXPECT_TRUE(Recipients(log.Search({})).empty());
    ASSERT_TRUE(log.RecipientKeys().ok());
    EXPECT_TRUE(log.RecipientKeys().value().empty());

    ASSERT_TRUE(log.Append({Entry("2026-03-01 08:00:00", "A", "13800000001", kHangzhou),
                            Entry("2026-03-01 23:59:59", "B", "13800000002", "x")})
                    .ok());
    ASSERT_TRUE(log.Append({Entry("2026-03-02 00:00:00", kLiSi, "13900000003", "y" + kHangzhou),
                            Entry("2026-03-05 12:00:00", kRare, "13900000004", "z")})
                    .ok());

    using V = std::vector<std::string>;
    EXPECT_EQ(Recipients(log.Search({})), (V{kRare, kLiSi, "B", "A"}));
    // Days are whole: until keeps the last second of its day, since the first of its own.
    EXPECT_EQ(Recipients(log.Search({.since = "2026-03-01", .until = "2026-03-01"})), (V{"B", "A"}));
    EXPECT_EQ(Recipients(log.Search({.since = "2026-03-02", .until = "2026-03-04"})), (V{kLiSi}));
    EXPECT_EQ(Recipients(log.Search({.since = "2026-03-03"})), (V{kRare}));
    // Parts of names, numbers and addresses, each in its own fields; the sender's name counts.
    EXPECT_EQ(Recipients(log.Search({.name = kLiSi})), (V{kLiSi}));
    EXPECT_EQ(Recipients(log.Search({.name = kZhangSan})).size(), 4u);
    EXPECT_EQ(Recipients(log.Search({.telephone = "139"})), (V{kRare, kLiSi}));
    EXPECT_EQ(Recipients(log.Search({.telephone = "0001"})), (V{"A"}));
    EXPECT_EQ(Recipients(log.Search({.address = kHangzhou})), (V{kLiSi, "A"}));
    EXPECT_EQ(Recipients(log.Search({.name = "B", .address = kHangzhou})), (V{}));
    EXPECT_EQ(Recipients(log.Search({.anyText = "13800000002"})), (V{"B"}));
    EXPECT_EQ(Recipients(log.Search({.limit = 3})), (V{kRare, kLiSi, "B"}));

    const auto all = log.Search({});
    ASSERT_TRUE(all.ok());
    const PrintLogEntry& newest = all.value().front();
    const auto found = log.Find(newest.id);
    ASSERT_TRUE(found.ok() && found.value());
    EXPECT_EQ(found.value()->texts, newest.texts);
    EXPECT_EQ(found.value()->time, "2026-03-05 12:00:00");
    EXPECT_EQ(found.value()->templateName, "\xCB\xB3\xB7\xE1");
    EXPECT_EQ(found.value()->source, "cli");
    const auto missing = log.Find(newest.id + 100);
    ASSERT_TRUE(missing.ok());
    EXPECT_FALSE(missing.value());

    // What marks an order printed before: each logged recipient, read back from the store in
    // full (a four-byte character included), and nothing else.
    const auto keys = log.RecipientKeys();
    ASSERT_TRUE(keys.ok());
    EXPECT_EQ(keys.value().size(), 4u);
    for (const PrintLogEntry& entry : all.value())
        EXPECT_TRUE(keys.value().contains(RecipientKey(entry.texts)));
    auto other = newest.texts;
    other[12] = "13900000009";
    EXPECT_FALSE(keys.value().contains(RecipientKey(other)));

    // Text that is no GB18030 stops the whole append: nothing of it is stored.
    ASSERT_FALSE(log.Append({Entry("2026-03-06 00:00:00", "C", "1", "w"), Entry("2026-03-06 00:00:01", "\x81", "", "")})
                     .ok());
    EXPECT_EQ(Recipients(log.Search({})).size(), 4u);

    const auto book = AddressBook(store.location()).List(AddressTable::ReceiptAddress);
    ASSERT_TRUE(book.ok());
    ASSERT_EQ(book.value().size(), 1u);
    EXPECT_EQ(book.value()[0].text, kLiSi + ",139");
}

// The window's "printed before": the newest waybill to the same recipient since a time.
TEST_P(PrintLogTest, FindsTheLastPrintToARecipientSinceATime)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const auto last = [this](const PrintLogEntry& to, const std::string& since) {
        const auto found = log.LastPrintTo(to.texts, since);
        EXPECT_TRUE(found.ok()) << (found.ok() ? "" : found.error().message);
        return found.ok() && found.value() ? *found.value() : std::string("none");
    };
    const PrintLogEntry liSi = Entry("", kLiSi, "13900000003", kHangzhou);
    EXPECT_EQ(last(liSi, "2026-03-01 00:00:00"), "none"); // no table yet
    EXPECT_FALSE(log.NewestRecipientKey().value());

    // A name longer than the index's prefix is matched in full.
    const std::string longName = std::string(40, 'n');
    ASSERT_TRUE(log.Append({Entry("2026-03-01 08:00:00", kLiSi, "13900000003", kHangzhou),
                            Entry("2026-03-04 10:32:00", kLiSi, "13900000003", kHangzhou),
                            Entry("2026-03-04 11:00:00", kLiSi, "13900000009", kHangzhou),
                            Entry("2026-03-04 12:00:00", longName + "a", "1", "x"),
                            Entry("2026-03-04 13:00:00", longName + "b", "1", "x")})
                    .ok());
    EXPECT_EQ(last(liSi, "2026-03-01 00:00:00"), "2026-03-04 10:32:00");
    EXPECT_EQ(last(liSi, "2026-03-04 10:32:00"), "2026-03-04 10:32:00");
    EXPECT_EQ(last(liSi, "2026-03-04 10:32:01"), "none");
    EXPECT_EQ(last(Entry("", kLiSi, "13900000003", "y"), "2026-03-01 00:00:00"), "none");
    EXPECT_EQ(last(Entry("", kLiSi, "", kHangzhou), "2026-03-01 00:00:00"), "none");
    EXPECT_EQ(last(Entry("", longName + "a", "1", "x"), "2026-03-01 00:00:00"), "2026-03-04 12:00:00");
    EXPECT_EQ(log.NewestRecipientKey().value(), RecipientKey(Entry("", longName + "b", "1", "x").texts));
}

TEST_F(PrintLogFileTest, TheLastPrintToARecipientIsLookedUpInTheIndex)
{
    ASSERT_TRUE(log.Append({Entry("2026-03-01 08:00:00", "A", "1", "x")}).ok());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* plan = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, (std::string("EXPLAIN QUERY PLAN ") + kPrintLogLastPrintTo).c_str(), -1, &plan,
                                 nullptr),
              SQLITE_OK);
    std::string steps;
    while (sqlite3_step(plan) == SQLITE_ROW)
        steps += reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)) + std::string(";");
    sqlite3_finalize(plan);
    sqlite3_close_v2(db);
    EXPECT_NE(steps.find("USING INDEX PrintLogRecipient"), std::string::npos) << steps;
    EXPECT_EQ(steps.find("SCAN"), std::string::npos) << steps;
}

TEST(PrintLogDate, OnlyRealDaysWrittenInFull)
{
    EXPECT_TRUE(IsLogDate("2024-02-29"));
    EXPECT_FALSE(IsLogDate("2023-02-29"));
    EXPECT_FALSE(IsLogDate("2024-13-01"));
    EXPECT_FALSE(IsLogDate("2024-1-01"));
    EXPECT_FALSE(IsLogDate("2024/01/01"));
    EXPECT_EQ(LocalTimeText(0).size(), 19u);
}

// File modes and fork: Linux only (Windows has no read-only mode for its owner to lift, and
// the killed writer needs a process of its own there).
#ifndef _WIN32
TEST_F(PrintLogFileTest, AReadOnlyDatabaseRefusesTheAppendButStillLists)
{
    ASSERT_TRUE(log.Append({Entry("2026-03-01 08:00:00", "A", "1", "")}).ok());
    test::TempFolder own;
    const fs::path copy = own / "Dorvane.dorv";
    // The user's own file in a folder the user may write: only the file's mode keeps it read-only.
    test::RunUnprivileged(own.path(), [this, &copy] {
        fs::copy_file(file, copy);
        ASSERT_EQ(chmod(copy.c_str(), 0444), 0);
        const PrintLog readOnly(copy);
        const auto appended = readOnly.Append({Entry("2026-03-02 08:00:00", "B", "2", "")});
        ASSERT_FALSE(appended.ok());
        EXPECT_NE(appended.error().message.find("readonly"), std::string::npos) << appended.error().message;
        EXPECT_EQ(Recipients(readOnly.Search({})), std::vector<std::string>{"A"});
    });
}

// A process killed while its append is half written (the transaction's pages already spilled
// into the file) leaves the log as it was: the next connection rolls the journal back.
TEST_F(PrintLogFileTest, AProcessKilledMidAppendLeavesNoHalfRows)
{
    ASSERT_TRUE(log.Append({Entry("2026-03-01 08:00:00", "A", "1", kHangzhou)}).ok());
    const auto before = fs::file_size(file);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<PrintLogEntry> many(200000, Entry("2026-03-02 08:00:00", "B", "2", std::string(400, 'a')));
        log.Append(many);
        _exit(0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (fs::file_size(file) < before + 4 * 1024 * 1024 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the append ended before it was killed";
    ASSERT_GE(fs::file_size(file), before + 4 * 1024 * 1024) << "the append never reached the file";

    EXPECT_EQ(Recipients(log.Search({})), std::vector<std::string>{"A"});
    ASSERT_TRUE(log.Append({Entry("2026-03-03 08:00:00", "C", "3", "")}).ok());
    EXPECT_EQ(Recipients(log.Search({})), (std::vector<std::string>{"C", "A"}));
}
#endif

} // namespace
