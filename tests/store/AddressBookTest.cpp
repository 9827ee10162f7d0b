#include "store/AddressBook.h"
#include "text/Utf8CodePage.h"
#include "support/Gb18030Support.h"
#include "support/TempFolder.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>

using namespace dorvane;
using dorvane::test::Engine;
using dorvane::test::EngineName;
using dorvane::test::ReadBytes;
using dorvane::test::TempFolder;
using dorvane::test::TestedEngines;
using dorvane::test::TestStore;
using dorvane::test::WriteBytes;

namespace {

namespace fs = std::filesystem;

constexpr AddressTable kTables[] = {AddressTable::SendAddress, AddressTable::ReceiptAddress, AddressTable::ProductName};

// 张三,13800000000,,北京市朝阳区,100000 in GB18030
const std::string kZhangSan = "\xD5\xC5\xC8\xFD,13800000000,,\xB1\xB1\xBE\xA9\xCA\xD0\xB3\xAF\xD1\xF4\xC7\xF8,100000";
// U+20000, outside GBK: four bytes in GB18030, four in UTF-8
const std::string kRareCodePage = "\x95\x32\x82\x36";
const std::string kRareUtf8 = "\xF0\xA0\x80\x80";

struct FileState {
    std::string bytes;
    fs::file_time_type mtime;
    std::set<std::string> folder; // names beside it: no journal or new file left behind
    bool operator==(const FileState&) const = default;
};

FileState StateOf(const fs::path& file)
{
    FileState state{ReadBytes(file), fs::exists(file) ? fs::last_write_time(file) : fs::file_time_type{}, {}};
    for (const auto& entry : fs::directory_iterator(file.parent_path()))
        state.folder.insert(entry.path().filename().string());
    return state;
}

// Another connection straight to the file, as another program would hold it.
class RawConnection {
public:
    explicit RawConnection(const fs::path& file)
    {
        const auto name = file.u8string(); // SQLite takes UTF-8 names everywhere
        sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~RawConnection() { sqlite3_close_v2(db_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    std::string ColumnBytes(const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        std::string value = "<no row>";
        if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            value.assign(static_cast<const char*>(sqlite3_column_blob(st, 0)), sqlite3_column_bytes(st, 0));
        sqlite3_finalize(st);
        return value;
    }

private:
    sqlite3* db_ = nullptr;
};

std::vector<std::string> Texts(const Result<std::vector<StoredText>>& rows)
{
    std::vector<std::string> texts;
    for (const auto& row : rows.value())
        texts.push_back(row.text);
    return texts;
}

// Every table's texts, to see that nothing changed.
std::vector<std::vector<std::string>> AllTexts(const AddressBook& book)
{
    std::vector<std::vector<std::string>> all;
    for (auto t : kTables)
        all.push_back(Texts(book.List(t)));
    return all;
}

// The address book's behaviour, the same on the file and on the server.
class AddressBookTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override { DORVANE_NEED_STORE(store); }

    TestStore store{GetParam()};
    AddressBook book{store.location()};
};

INSTANTIATE_TEST_SUITE_P(Engines, AddressBookTest, ::testing::ValuesIn(TestedEngines()), EngineName);

// What only the file engine has: a file whose bytes, locks and neighbours can be looked at.
class AddressBookFileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::copy_file(DORVANE_EMPTY_ADDRESS_BOOK, file); }

    TempFolder dir;
    fs::path file = dir / "Dorvane.dorv";
    AddressBook book{file};
};

} // namespace

TEST_P(AddressBookTest, TheShippedBookHasThreeEmptyTables)
{
    for (auto table : kTables) {
        const auto rows = book.List(table);
        ASSERT_TRUE(rows) << rows.error().message;
        EXPECT_TRUE(rows.value().empty());
    }
    EXPECT_EQ(AddressBookPath("/w"), fs::path("/w/dataM/Dorvane.dorv"));
}

TEST_P(AddressBookTest, AddChangeAndDeleteInEachTableOnly)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    for (auto table : kTables) {
        const auto before = AllTexts(book);
        const auto a = book.Add(table, "first");
        const auto b = book.Add(table, "second");
        const auto c = book.Add(table, "third");
        ASSERT_TRUE(a && b && c);
        EXPECT_LT(a.value(), b.value());
        EXPECT_LT(b.value(), c.value());

        auto rows = book.List(table);
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows.value().size(), 3u);
        EXPECT_EQ(rows.value()[0].id, a.value());
        EXPECT_EQ(rows.value()[2].id, c.value());
        EXPECT_EQ(Texts(rows), (std::vector<std::string>{"first", "second", "third"}));

        ASSERT_TRUE(book.Change(table, b.value(), "changed"));
        ASSERT_TRUE(book.Delete(table, a.value()));
        EXPECT_EQ(Texts(book.List(table)), (std::vector<std::string>{"changed", "third"}));

        // Deleting a missing id changes nothing and is no error; changing one (deleted at
        // another station) changes nothing either, is reported and brings no row back.
        const auto unchanged = AllTexts(book);
        EXPECT_TRUE(book.Delete(table, a.value()));
        for (const std::int64_t gone : {a.value(), std::int64_t{999999}}) {
            const auto changed = book.Change(table, gone, "ghost");
            ASSERT_FALSE(changed);
            EXPECT_EQ(changed.error().kind, StoreError::StatementFailed);
        }
        EXPECT_EQ(AllTexts(book), unchanged);

        // The other tables did not see any of it.
        for (std::size_t i = 0; i < std::size(kTables); ++i) {
            if (kTables[i] != table) {
                EXPECT_EQ(Texts(book.List(kTables[i])), before[i]);
            }
        }

        // Deleting the newest row does not free its id for the next one.
        ASSERT_TRUE(book.Delete(table, c.value()));
        const auto d = book.Add(table, "fourth");
        ASSERT_TRUE(d);
        EXPECT_GT(d.value(), c.value());
    }
}

TEST_P(AddressBookTest, AwkwardTextRoundTripsExactlyAndIsStoredAsUtf8)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const std::string awkward = "O'Brien's '';--,\"x\"\r\nsecond line\n" + kRareCodePage + "," + kZhangSan;
    for (auto table : kTables) {
        const auto id = book.Add(table, awkward);
        ASSERT_TRUE(id) << id.error().message;
        const auto empty = book.Add(table, "");
        ASSERT_TRUE(empty);
        EXPECT_EQ(Texts(book.List(table)), (std::vector<std::string>{awkward, ""}));

        ASSERT_TRUE(book.Change(table, empty.value(), kZhangSan + "'"));
        EXPECT_EQ(Texts(book.List(table)), (std::vector<std::string>{awkward, kZhangSan + "'"}));
    }
    EXPECT_EQ(store.ColumnBytes("select address from SendAddress where id = 1"),
              "O'Brien's '';--,\"x\"\r\nsecond line\n" + kRareUtf8 + ",\xE5\xBC\xA0\xE4\xB8\x89,13800000000,,"
              "\xE5\x8C\x97\xE4\xBA\xAC\xE5\xB8\x82\xE6\x9C\x9D\xE9\x98\xB3\xE5\x8C\xBA,100000");
}

TEST_P(AddressBookTest, TextThatIsNotGb18030IsRefusedAndChangesNothing)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const auto id = book.Add(AddressTable::ProductName, "towel");
    ASSERT_TRUE(id);
    const auto before = AllTexts(book);
    for (const std::string& bad : {std::string("\x81"), std::string("ab\x81\x30"), std::string("\xFF\xFF")}) {
        const auto added = book.Add(AddressTable::ProductName, bad);
        ASSERT_FALSE(added);
        EXPECT_EQ(added.error().kind, StoreError::StatementFailed);
        const auto changed = book.Change(AddressTable::ProductName, id.value(), bad);
        ASSERT_FALSE(changed);
        EXPECT_EQ(changed.error().kind, StoreError::StatementFailed);
    }
    EXPECT_EQ(AllTexts(book), before);
    EXPECT_EQ(Texts(book.List(AddressTable::ProductName)), (std::vector<std::string>{"towel"}));
}

TEST_P(AddressBookTest, ARefusedStatementIsAnErrorAndChangesNothing)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    ASSERT_TRUE(book.Add(AddressTable::SendAddress, "kept")); // the server's tables are made now
    ASSERT_TRUE(store.Exec("drop table ProductName"));
    const auto before = AllTexts(book)[0];

    const auto listed = book.List(AddressTable::ProductName);
    ASSERT_FALSE(listed);
    EXPECT_EQ(listed.error().kind, StoreError::StatementFailed);
    // The database's own reason: SQLite's "no such table", the server's "does not exist".
    const std::string& reason = listed.error().message;
    EXPECT_TRUE(reason.find("no such table: ProductName") != std::string::npos ||
                reason.find("relation \"productname\" does not exist") != std::string::npos)
        << reason;
    const auto added = book.Add(AddressTable::ProductName, "x");
    ASSERT_FALSE(added);
    EXPECT_EQ(added.error().kind, StoreError::StatementFailed);
    EXPECT_EQ(UserMessage(added.error()), added.error().message); // ASCII reads the same in GB18030
    EXPECT_FALSE(book.Delete(AddressTable::ProductName, 1));

    EXPECT_EQ(Texts(book.List(AddressTable::SendAddress)), before);
    EXPECT_EQ(before, (std::vector<std::string>{"kept"}));
}

TEST_F(AddressBookFileTest, AMissingFileOrOneThatIsNotADatabaseIsNeitherOpenedNorTouched)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    const auto expectCannotOpen = [&](const AddressBook& target) {
        const auto listed = target.List(AddressTable::SendAddress);
        ASSERT_FALSE(listed);
        EXPECT_EQ(listed.error().kind, StoreError::CannotOpen);
        EXPECT_EQ(UserMessage(listed.error()), "\xB2\xBB\xC4\xDC\xB4\xF2\xBF\xAA\xCA\xFD\xBE\xDD\xBF\xE2");
        const auto added = target.Add(AddressTable::ReceiptAddress, "x");
        ASSERT_FALSE(added);
        EXPECT_EQ(added.error().kind, StoreError::CannotOpen);
        const auto changed = target.Change(AddressTable::ProductName, 1, "x");
        ASSERT_FALSE(changed);
        EXPECT_EQ(changed.error().kind, StoreError::CannotOpen);
        const auto deleted = target.Delete(AddressTable::ProductName, 1);
        ASSERT_FALSE(deleted);
        EXPECT_EQ(deleted.error().kind, StoreError::CannotOpen);
    };

    fs::remove(file);
    expectCannotOpen(book);
    EXPECT_FALSE(fs::exists(file)); // never created

    // An empty file, which SQLite alone would take for an empty database.
    WriteBytes(file, "");
    const auto emptyFile = StateOf(file);
    expectCannotOpen(book);
    EXPECT_EQ(StateOf(file), emptyFile);

    // A text file of a size SQLite would otherwise take for a database page.
    std::string notADatabase;
    for (int i = 0; i < 300; ++i)
        notADatabase += "0,form,2300,1270\r\n";
    WriteBytes(file, notADatabase);
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    const auto before = StateOf(file);
    expectCannotOpen(book);
    EXPECT_EQ(StateOf(file), before);
}

TEST_F(AddressBookFileTest, AFileLockedByAnotherProgramIsNotOpenedNorTouched)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    ASSERT_TRUE(book.Add(AddressTable::SendAddress, "kept"));
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    const auto before = StateOf(file);
    const auto expectCannotOpen = [](const auto& result, const char* lock, const char* operation) {
        ASSERT_FALSE(result) << lock << ": " << operation;
        EXPECT_EQ(result.error().kind, StoreError::CannotOpen) << lock << ": " << result.error().message;
        EXPECT_EQ(UserMessage(result.error()), "\xB2\xBB\xC4\xDC\xB4\xF2\xBF\xAA\xCA\xFD\xBE\xDD\xBF\xE2");
    };
    // Held for writing (the first) or for everything: every change fails as an open does,
    // after the busy wait; a list goes on unless the file is held for everything.
    for (const char* lock : {"BEGIN IMMEDIATE", "BEGIN EXCLUSIVE"}) {
        RawConnection other(file);
        ASSERT_TRUE(other.Exec(lock));
        if (std::string_view(lock) == "BEGIN EXCLUSIVE")
            expectCannotOpen(book.List(AddressTable::SendAddress), lock, "list");
        else
            EXPECT_EQ(Texts(book.List(AddressTable::SendAddress)), (std::vector<std::string>{"kept"}));
        expectCannotOpen(book.Add(AddressTable::SendAddress, "x"), lock, "add");
        expectCannotOpen(book.Change(AddressTable::SendAddress, 1, "x"), lock, "change");
        expectCannotOpen(book.Delete(AddressTable::SendAddress, 1), lock, "delete");
        EXPECT_EQ(StateOf(file).bytes, before.bytes);
        EXPECT_EQ(StateOf(file).mtime, before.mtime);
        ASSERT_TRUE(other.Exec("ROLLBACK"));
    }
    // A reader that keeps its read open: listing goes on, a change cannot be committed.
    {
        RawConnection reader(file);
        ASSERT_TRUE(reader.Exec("BEGIN; select count(*) from SendAddress"));
        EXPECT_EQ(Texts(book.List(AddressTable::SendAddress)), (std::vector<std::string>{"kept"}));
        expectCannotOpen(book.Add(AddressTable::SendAddress, "x"), "reading", "add");
        ASSERT_TRUE(reader.Exec("ROLLBACK"));
    }
    EXPECT_EQ(StateOf(file), before);
    EXPECT_EQ(Texts(book.List(AddressTable::SendAddress)), (std::vector<std::string>{"kept"}));
}

TEST(Utf8CodePage, ConvertsGb18030BothWaysAndRefusesBrokenBytes)
{
    DORVANE_SKIP_WITHOUT_GB18030();
    EXPECT_EQ(Utf8FromCodePage("a\xD5\xC5\xC8\xFD" + kRareCodePage), "a\xE5\xBC\xA0\xE4\xB8\x89" + kRareUtf8);
    EXPECT_EQ(CodePageFromUtf8("a\xE5\xBC\xA0\xE4\xB8\x89" + kRareUtf8), "a\xD5\xC5\xC8\xFD" + kRareCodePage);
    EXPECT_EQ(Utf8FromCodePage(""), "");
    EXPECT_EQ(Utf8FromCodePage(std::string(100000, 'x'))->size(), 100000u); // grows its buffer
    EXPECT_FALSE(Utf8FromCodePage("\xD5"));         // cut-off character
    EXPECT_FALSE(Utf8FromCodePage("\x95\x32\x82")); // cut-off four-byte character
    EXPECT_FALSE(Utf8FromCodePage("\xFF\x41"));
    // A valid value after a refused one converts cleanly: no state is carried over.
    EXPECT_EQ(Utf8FromCodePage("\xD5\xC5"), "\xE5\xBC\xA0");
    // Damaged UTF-8 from the file loses only its bad bytes.
    EXPECT_EQ(CodePageFromUtf8("\xFF" "a\xE5\xBC" "b"), "?a??b");
}
