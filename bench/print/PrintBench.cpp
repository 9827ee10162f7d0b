// One waybill print job into a PDF file: printer set-up, rendering of all twenty fields and
// writing the file.
#include "app/PrintFontConversion.h"
#include "print/WaybillPrintSetup.h"
#include "print/WaybillPrinter.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QPrinter>
#include <QString>

#include <benchmark/benchmark.h>

using namespace dorvane;

namespace {

WaybillPrintSetup BenchSetup()
{
    WaybillPrintSetup setup;
    setup.formWidth = setup.paperWidth = 2300;
    setup.formHeight = setup.paperLength = 1270;
    for (int i = 0; i < kFieldCount; ++i) {
        const int left = (i % 4) * 575 + 20;
        const int top = (i / 4) * 254 + 40;
        setup.printRects[static_cast<std::size_t>(i)] = {left, top, left + 535, top + 200};
    }
    setup.bodyFont.faceName = "WenQuanYi Zen Hei";
    setup.bodyFont.height = -14;
    setup.destinationFont = setup.bodyFont;
    setup.destinationFont.height = -28;
    return setup;
}

std::array<QString, kFieldCount> BenchTexts()
{
    std::array<QString, kFieldCount> texts;
    for (int i = 0; i < kFieldCount; ++i)
        texts[static_cast<std::size_t>(i)] = QStringLiteral("字段 %1 text").arg(i);
    texts[0] = QStringLiteral("深圳");
    texts[6] = QStringLiteral("广东省深圳市南山区科技园南区 高新南一道 8 号 创维大厦 A 座 12 楼");
    texts[7] = QStringLiteral("浙江省杭州市西湖区文三路 398 号 东信大厦 5 楼 501 室");
    return texts;
}

void PrintOneWaybillToPdf(benchmark::State& state)
{
    test::TempFolder folder;
    const QString pdf = QString::fromStdString((folder / "waybill.pdf").string());
    const WaybillPrintSetup setup = BenchSetup();
    const auto texts = BenchTexts();
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        PrepareWaybillPdf(printer, pdf, setup);
        if (!PrintWaybillOn(printer, setup, texts))
            state.SkipWithError("the PDF could not be written");
    }
}
BENCHMARK(PrintOneWaybillToPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
