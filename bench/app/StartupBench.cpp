// From an empty application to the laid-out, shown main window: what a user waits for at
// every start (the process's own start-up is measured once, before the loop).
#include "base/MessageBox.h"
#include "support/WorkFolderFixture.h"
#include "waybill/WaybillDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace dorvane;

static void MainWindowShown(benchmark::State& state)
{
    test::WorkFolderFixture work;
    setMessagesAnsweredByTest(true);
    for (auto _ : state) {
        CWaybillDlg dialog(work.workspace());
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            state.SkipWithError("window not exposed");
    }
}
BENCHMARK(MainWindowShown)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("DORVANE_SOURCE_DIR", DORVANE_SOURCE_DIR);
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    {
        test::WorkFolderFixture work;
        setMessagesAnsweredByTest(true);
        CWaybillDlg first(work.workspace());
        first.show();
        if (!QTest::qWaitForWindowExposed(&first))
            return 1;
        std::printf("First main window laid out and shown %lld ms after the application started\n",
                    static_cast<long long>(sinceStart.elapsed()));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
