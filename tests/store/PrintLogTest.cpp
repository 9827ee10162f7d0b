#include "store/AddressBook.h"
#include "store/PrintLog.h"
#include "store/PrintLogQueue.h"
#include "store/StoreStatement.h"
#include "support/TempFolder.h"
#include "support/TestStore.h"
#include "support/Unprivileged.h"
#include "support/Gb18030Support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <iterator>
#include <chrono>
#include <fstream>
#include <thread>

#include <sqlite3.h>

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
    // Parts of names, numbers and addresses, each in its own fields; the sender's (on every
    // waybill) only when asked for.
    EXPECT_EQ(Recipients(log.Search({.name = kLiSi})), (V{kLiSi}));
    EXPECT_EQ(Recipients(log.Search({.name = kZhangSan})), (V{}));
    EXPECT_EQ(Recipients(log.Search({.name = kZhangSan, .includeSender = true})).size(), 4u);
    EXPECT_EQ(Recipients(log.Search({.name = kLiSi, .includeSender = true})), (V{kLiSi}));
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
    DORVANE_SKIP_WITHOUT_GB18030();
    ASSERT_TRUE(log.Append({Entry("2026-03-01 08:00:00", "A", "1", "x")}).ok());
    sqlite3* db = nullptr;
    const auto name = file.u8string(); // SQLite takes UTF-8 names everywhere
    ASSERT_EQ(sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* plan = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 (std::string("EXPLAIN QUERY PLAN ") +
                                  FileStatementText(StoreStatement::PrintLogLastPrintTo))
                                     .c_str(),
                                 -1, &plan, nullptr),
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

// A waybill sent to a printer is printed; a PDF file or a check print is not. An order is the
// one logged by its order number when the export has one (a repeat customer's new order is not),
// otherwise by the recipient with the goods and quantity.
TEST_P(PrintLogTest, OnlyWaybillsSentToAPrinterMarkTheirOrderPrinted)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    PrintLogEntry sent = Entry("2026-03-01 08:00:00", kZhangSan, "13800000001", kHangzhou);
    sent.printer = "dorvane-test";
    sent.texts[14] = "\xCA\xE9"; // 书
    sent.texts[15] = "1";
    sent.orderNumber = "T1001";
    PrintLogEntry toFile = sent;
    toFile.texts[3] = kLiSi;
    toFile.orderNumber = "T1002";
    toFile.toPrinter = false;
    PrintLogEntry check = sent;
    check.texts[15] = "2";
    check.orderNumber = "T1003";
    check.checkPrint = true;
    ASSERT_TRUE(log.Append({sent, toFile, check}));

    const auto keys = log.PrintedOrderKeys();
    ASSERT_TRUE(keys) << keys.error().message;
    EXPECT_TRUE(keys.value().contains(OrderKey(sent.texts, "T1001")));
    EXPECT_TRUE(keys.value().contains(OrderKey(sent.texts, ""))); // an export without the column
    EXPECT_FALSE(keys.value().contains(OrderKey(sent.texts, "T1009"))); // the same buyer's next order
    for (const PrintLogEntry* notSent : {&toFile, &check}) {
        EXPECT_FALSE(keys.value().contains(OrderKey(notSent->texts, notSent->orderNumber)));
        EXPECT_FALSE(keys.value().contains(OrderKey(notSent->texts, "")));
    }
    // The entries say where they went.
    const auto found = log.Search({});
    ASSERT_TRUE(found);
    ASSERT_EQ(found.value().size(), 3u);
    EXPECT_TRUE(found.value()[0].checkPrint);
    EXPECT_FALSE(found.value()[1].toPrinter);
    EXPECT_EQ(found.value()[1].orderNumber, "T1002");
    EXPECT_TRUE(found.value()[2].toPrinter && !found.value()[2].checkPrint);
}

// Entries kept while the store could not be reached arrive once it answers, each exactly once,
// even when the queue is sent a second time (a program stopped between storing and forgetting
// them); texts with tabs, line ends and GB18030 bytes come through the queue whole.
TEST_P(PrintLogTest, QueuedEntriesArriveOnceWhenTheStoreAnswers)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    test::TempFolder set;
    StoreLocation down = GetParam() == test::Engine::File
                             ? StoreLocation(set / "missing" / "Dorvane.dorv")
                             : StoreLocation::Server("host=" + (set / "no-server").string() + " dbname=x");
    down.logQueue = set / "printlog-queue.txt";
    for (int i = 0; i < 5; ++i) {
        PrintLogEntry entry = Entry("2026-03-01 08:00:0" + std::to_string(i), kRare + "\t\\n" + std::to_string(i),
                                    "1", "a\r\nb\\");
        entry.printer = "dorvane-test";
        const auto queued = PrintLog(down).Append({entry});
        ASSERT_TRUE(queued) << queued.error().message;
    }
    std::ifstream in(down.logQueue, std::ios::binary);
    const std::string held((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(std::count(held.begin(), held.end(), '\n'), 5);

    StoreLocation up = store.location();
    up.logQueue = down.logQueue;
    const auto found = PrintLog(up).Search({});
    ASSERT_TRUE(found) << found.error().message;
    ASSERT_EQ(found.value().size(), 5u);
    EXPECT_EQ(found.value()[0].texts[3], kRare + "\t\\n4");
    EXPECT_EQ(found.value()[0].texts[7], "a\r\nb\\");
    EXPECT_FALSE(fs::exists(up.logQueue));

    std::ofstream(up.logQueue, std::ios::binary) << held;
    ASSERT_TRUE(PrintLog(up).Append({Entry("2026-03-02 08:00:00", "B", "2", "")}));
    EXPECT_EQ(Recipients(PrintLog(up).Search({})).size(), 6u);
    EXPECT_FALSE(fs::exists(up.logQueue));
}

// A log written before the order number, destination, check and entry id were kept: read as it
// is (a PDF file told by its name), and given the columns by the next append, every row kept.
TEST_F(PrintLogFileTest, AnOlderLogIsReadAndUpgradedWithItsRows)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
    const char* old = "CREATE TABLE PrintLog (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, "
                      "template TEXT NOT NULL, printer TEXT NOT NULL, source TEXT NOT NULL, waybill TEXT NOT NULL, "
                      "field0 TEXT, field1 TEXT, field2 TEXT, field3 TEXT, field4 TEXT, field5 TEXT, field6 TEXT, "
                      "field7 TEXT, field8 TEXT, field9 TEXT, field10 TEXT, field11 TEXT, field12 TEXT, "
                      "field13 TEXT, field14 TEXT, field15 TEXT, field16 TEXT, field17 TEXT, field18 TEXT, "
                      "field19 TEXT);"
                      "INSERT INTO PrintLog (time, template, printer, source, waybill, field3) VALUES "
                      "('2026-01-01 08:00:00', 't', 'dorvane-test', 'cli', 'W1', 'A'), "
                      "('2026-01-02 08:00:00', 't', '/home/shop/check.PDF', 'cli', '', 'B');";
    ASSERT_EQ(sqlite3_exec(db, old, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    auto keys = log.PrintedOrderKeys();
    ASSERT_TRUE(keys) << keys.error().message;
    std::array<std::string, kFieldCount> a{}, b{};
    a[3] = "A";
    b[3] = "B";
    EXPECT_TRUE(keys.value().contains(OrderKey(a, "")));
    EXPECT_FALSE(keys.value().contains(OrderKey(b, "")));

    PrintLogEntry entry = Entry("2026-03-01 08:00:00", "C", "3", "");
    entry.orderNumber = "T7";
    entry.entryId = "e1";
    ASSERT_TRUE(log.Append({entry}));
    ASSERT_TRUE(log.Append({entry})); // the same entry again: stored once
    const auto found = log.Search({});
    ASSERT_TRUE(found) << found.error().message;
    EXPECT_EQ(Recipients(found), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(found.value()[0].orderNumber, "T7");
    EXPECT_EQ(found.value()[2].waybillNumber, "W1");
    EXPECT_FALSE(found.value()[1].toPrinter);
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
