// Sorting a report list of 100,000 rows by a text column and by a date column: the
// comparisons alone, and a heading click on the real list widget (sort, reorder, relayout).
#include "text/CodePageText.h"
#include "controls/SortCompare.h"
#include "controls/SortListCtrl.h"
#include "support/QtBenchMain.h"


#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

using namespace dorvane;

namespace {
constexpr int kRows = 100000;

// Rows of: number, id, a name of 2 to 4 CJK characters, a date with 年/月/日. Names share
// common first characters so that many comparisons go past the first character.
QList<QStringList> MakeRows(unsigned seed)
{
    std::mt19937 random(seed);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    QList<QStringList> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        QString name(QChar(char16_t(0x5F20 + pick(0, 7)))); // a few common surnames
        for (int n = pick(1, 3); n > 0; --n)
            name += QChar(char16_t(pick(0x4E00, 0x9FA5)));
        const QString date =
            QStringLiteral("%1年%2月%3日").arg(pick(2000, 2030)).arg(pick(1, 12)).arg(pick(1, 31));
        rows.push_back({QString::number(i + 1), QString::number(i), name, date});
    }
    return rows;
}

const QList<QStringList>& Rows()
{
    static const QList<QStringList> rows = MakeRows(2014);
    return rows;
}

void CoreSort(benchmark::State& state, int column)
{
    std::vector<std::string> bytes;
    for (const QStringList& row : Rows())
        bytes.push_back(ToCodePage(row[column]));
    const std::vector<std::string_view> views(bytes.begin(), bytes.end());
    const SortKind kind = ChooseSortKind(column, views[1]);
    for (auto _ : state)
        benchmark::DoNotOptimize(SortedOrder(views, kind, true));
}

void ListSort(benchmark::State& state, int column)
{
    CSortListCtrl list;
    list.AddColumn("No", 40);
    list.AddColumn("id", 0);
    list.AddColumn("Name", 120);
    list.AddColumn("Date", 140);
    list.resize(400, 300);
    list.show();
    for (auto _ : state) {
        state.PauseTiming();
        list.SetRows(Rows()); // unsorted again, every time
        list.SelectRow(kRows / 2);
        QApplication::processEvents();
        state.ResumeTiming();
        list.SortByColumn(column);
        QApplication::processEvents(); // the relayout and repaint that follow
    }
}
} // namespace

static void CoreSortTextColumn(benchmark::State& state)
{
    CoreSort(state, 2);
}
static void CoreSortDateColumn(benchmark::State& state)
{
    CoreSort(state, 3);
}
static void ListSortTextColumn(benchmark::State& state)
{
    ListSort(state, 2);
}
static void ListSortDateColumn(benchmark::State& state)
{
    ListSort(state, 3);
}
BENCHMARK(CoreSortTextColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(CoreSortDateColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(ListSortTextColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(ListSortDateColumn)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks(argc, argv);
}
