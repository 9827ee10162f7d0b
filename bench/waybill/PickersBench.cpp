// Filling the main window's three lists from a large address book: 10,000 senders, 10,000
// recipients and 1,000 goods names. Each fill pauses 150 ms before opening the database; the
// reported time is the rest (the measured time less the two pauses).
#include "store/AddressBook.h"
#include "base/MessageBox.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDlg.h"
#include "support/QtBenchMain.h"

#include <QComboBox>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>

using namespace dorvane;

namespace {

// Rows go in through SQLite in one transaction; 21,000 single commits would time the disk.
void Fill(sqlite3* db, const char* sql, int count, const std::string& stem)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    for (int i = 0; i < count; ++i) {
        // Numbers in front so that the sort has real work to do.
        const std::string text = std::to_string((i * 7919) % count) + stem;
        sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

} // namespace

static void FillPickersAndGoodsList(benchmark::State& state)
{
    test::WorkFolderFixture work;
    const auto file = work.installEmptyAddressBook();
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    // UTF-8, as the database holds it.
    const std::string address = "张三丰,13800000000,010-12345678,北京市朝阳区建国路88号院3号楼1单元,100000";
    Fill(db, "insert into SendAddress (address) values(?1)", 10000, address);
    Fill(db, "insert into ReceiptAddress (address) values(?1)", 10000, address);
    Fill(db, "insert into ProductName (name) values(?1)", 1000, "纯棉毛巾");
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);

    CWaybillDlg dialog(work.workspace()); // fills the lists once at start-up
    for (auto _ : state) {
        dialog.FillGoodsList();
        dialog.FillAddressPickers();
    }
    const int entries = dialog.findChild<QComboBox*>(QStringLiteral("senderPicker"))->count() +
                        dialog.findChild<QComboBox*>(QStringLiteral("recipientPicker"))->count() +
                        dialog.findChild<QComboBox*>(QStringLiteral("goodsNameCombo"))->count();
    if (entries != 21000 || !takeShownMessages().isEmpty())
        state.SkipWithError("the lists were not filled");
    state.counters["entries"] = entries;
}
BENCHMARK(FillPickersAndGoodsList)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    qputenv("DORVANE_SOURCE_DIR", DORVANE_SOURCE_DIR);
    qputenv("DORVANE_RUN_DIR", DORVANE_RUN_DIR);
    return bench::RunQtBenchmarks(argc, argv, [] {
        setMessagesAnsweredByTest(true);
        return true;
    });
}
