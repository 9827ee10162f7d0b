// Filling the three pickers from a large address book: 10,000 senders, 10,000 recipients and
// 1,000 goods names, each list read on its own connection as the main dialog does: from the
// file, and from the shop's server (the private test server DORVANE_TEST_PG names, which
// scripts/dorvane.sh bench starts).
#include "store/AddressBook.h"
#include "store/StoreCopy.h"
#include "support/TempFolder.h"
#include "support/TestStore.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

using namespace dorvane;

namespace {

// Rows are written in one transaction straight through SQLite: adding them one by one through
// the store would commit 21,000 times and measure the disk instead of the lists.
void Fill(sqlite3* db, const char* sql, int count, const std::string& stem)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    for (int i = 0; i < count; ++i) {
        const std::string text = stem + std::to_string(i);
        sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

// The file with its 21,000 rows.
void FillFile(const std::filesystem::path& file)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    // UTF-8, as the database holds it.
    const std::string address = "张三丰,13800000000,010-12345678,北京市朝阳区建国路88号院3号楼1单元,1000";
    Fill(db, "insert into SendAddress (address) values(?1)", 10000, address);
    Fill(db, "insert into ReceiptAddress (address) values(?1)", 10000, address);
    Fill(db, "insert into ProductName (name) values(?1)", 1000, "纯棉毛巾");
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
}

void ListThree(benchmark::State& state, const StoreLocation& location)
{
    const AddressBook book(location);
    std::size_t rows = 0;
    for (auto _ : state) {
        auto senders = book.List(AddressTable::SendAddress);
        auto recipients = book.List(AddressTable::ReceiptAddress);
        auto goods = book.List(AddressTable::ProductName);
        if (!senders || !recipients || !goods) {
            state.SkipWithError("the address book could not be read");
            break;
        }
        rows = senders.value().size() + recipients.value().size() + goods.value().size();
        benchmark::DoNotOptimize(rows);
    }
    if (rows != 21000)
        state.SkipWithError("the address book does not hold the 21,000 rows");
    state.counters["rows"] = static_cast<double>(rows);
}

} // namespace

static void FillThreePickers(benchmark::State& state)
{
    const test::TestStore file(test::Engine::File);
    FillFile(file.file());
    ListThree(state, file.location());
}
BENCHMARK(FillThreePickers)->Unit(benchmark::kMillisecond);

static void FillThreePickersFromTheServer(benchmark::State& state)
{
    const test::TestStore server(test::Engine::Server);
    if (!server.Problem().empty()) {
        state.SkipWithError(server.Problem().c_str());
        return;
    }
    // The same rows, put on the server as a station moving to it would.
    const test::TestStore file(test::Engine::File);
    FillFile(file.file());
    if (const auto copied = CopyStore(file.location(), server.location()); !copied) {
        state.SkipWithError(copied.error().message.c_str());
        return;
    }
    ListThree(state, server.location());
}
BENCHMARK(FillThreePickersFromTheServer)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
