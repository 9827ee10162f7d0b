// 打印记录 over a busy shop's log of 100,000 waybills: the dialog opened (its list filled with
// the newest), every waybill listed on asking, and a search by telephone, each timed from the
// click to the filled list.
#include "../store/BusyPrintLog.h"
#include "base/MessageBox.h"
#include "controls/SortListCtrl.h"
#include "printlog/PrintLogDlg.h"
#include "store/AddressBook.h"
#include "store/StoreListeners.h"
#include "workspace/Workspace.h"
#include "support/QtBenchMain.h"

#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

// The bench's own values and store listeners, handed to each dialog.
Workspace& Work()
{
    static Workspace workspace;
    return workspace;
}

StoreListeners& Listeners()
{
    static StoreListeners listeners;
    return listeners;
}

// The busy log, as the dialog finds it: the work folder points at it.
void UseBusyLog()
{
    Work().WorkFolder = bench::Folder().dir.path();
    std::filesystem::create_directories(AddressBookPath(Work().WorkFolder).parent_path());
    std::filesystem::rename(bench::Folder().file, AddressBookPath(Work().WorkFolder));
    bench::Folder().file = AddressBookPath(Work().WorkFolder);
}

int Rows(const CPrintLogDlg& dialog)
{
    return dialog.findChild<CSortListCtrl*>(QStringLiteral("logList"))->RowCount();
}

} // namespace

static void OpenDialog(benchmark::State& state)
{
    int rows = 0;
    for (auto _ : state) {
        CPrintLogDlg dialog(Work(), Listeners(), QStringLiteral("T"));
        rows = Rows(dialog);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(OpenDialog)->Unit(benchmark::kMillisecond);

static void ShowAll(benchmark::State& state)
{
    CPrintLogDlg dialog(Work(), Listeners(), QStringLiteral("T"));
    for (auto _ : state)
        dialog.findChild<QPushButton*>(QStringLiteral("showAllButton"))->click();
    state.counters["rows"] = Rows(dialog);
}
BENCHMARK(ShowAll)->Unit(benchmark::kMillisecond);

static void SearchTelephone(benchmark::State& state)
{
    CPrintLogDlg dialog(Work(), Listeners(), QStringLiteral("T"));
    dialog.findChild<QLineEdit*>(QStringLiteral("telephoneFindEdit"))->setText(QStringLiteral("1390000777"));
    for (auto _ : state)
        dialog.findChild<QPushButton*>(QStringLiteral("findButton"))->click();
    state.counters["rows"] = Rows(dialog);
}
BENCHMARK(SearchTelephone)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks(argc, argv, [] {
        setMessagesAnsweredByTest(true);
        if (!bench::Folder().ok)
            return false;
        UseBusyLog();
        return true;
    });
}
