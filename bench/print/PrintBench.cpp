// One waybill print job into a PDF file: printer set-up, rendering of all twenty fields and
// writing the file. The fit check of the 1,000-waybill order export on a PDF printer.
#include "workspace/Workspace.h"
#include "text/CodePageText.h"
#include "base/PrintFontConversion.h"
#include "batch/WaybillCsv.h"
#include "print/WaybillFitCheck.h"
#include "print/WaybillPrintSetup.h"
#include "print/WaybillPrinter.h"
#include "support/TempFolder.h"
#include "support/QtBenchMain.h"

#include <QPrinter>
#include <QString>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

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

namespace fs = std::filesystem;

// The shipped 圆通 template with the default fonts, as dorvane-cli sets up its job.
WaybillPrintSetup ShippedTemplateSetup(const test::TempFolder& folder)
{
    fs::create_directories(folder / "dataM");
    const std::string name = ToFileName(QStringLiteral("圆通"));
    fs::copy_file(fs::path(DORVANE_SOURCE_DIR) / "data" / (name + ".dat"), folder / "dataM" / (name + ".dat"));
    Workspace app;
    app.WorkFolder = folder.path();
    app.loadPrintSettings();
    app.CurrentTemplate = name;
    app.loadCurrentLayout();
    return MakePrintSetup(app, 96);
}

// Every record of the export (all twenty fields), read before the clock starts.
std::vector<WaybillTexts> ExportTexts()
{
    std::vector<WaybillTexts> waybills;
    WaybillCsv csv;
    if (!csv.open(fs::path(DORVANE_SOURCE_DIR) / ".." / "shared" / "bench" / "waybills-1000.csv"))
        return waybills;
    FieldTexts texts{};
    while (csv.next(texts) == WaybillCsv::Status::Record) {
        WaybillTexts& waybill = waybills.emplace_back();
        for (std::size_t i = 0; i < texts.size(); ++i)
            waybill[i] = FromCodePage(texts[i]);
    }
    return waybills;
}

void CheckExportOnPdfPrinter(benchmark::State& state)
{
    const std::vector<WaybillTexts> waybills = ExportTexts();
    if (waybills.size() != 1000) {
        state.SkipWithError("waybills-1000.csv not found beside the repository (../shared/bench)");
        return;
    }
    test::TempFolder folder;
    const WaybillPrintSetup setup = ShippedTemplateSetup(folder);
    QPrinter printer(QPrinter::HighResolution);
    PrepareWaybillPdf(printer, QString::fromStdString((folder / "never-written.pdf").string()), setup);
    const WaybillFitCheck fitCheck(setup, printer);
    std::size_t cut = 0;
    for (auto _ : state) {
        cut = 0;
        for (const WaybillTexts& texts : waybills)
            cut += CutFields(fitCheck.checkAll(texts)).size();
        benchmark::DoNotOptimize(cut);
    }
    state.counters["waybills"] = static_cast<double>(waybills.size());
    state.counters["cut_fields"] = static_cast<double>(cut);
}
BENCHMARK(CheckExportOnPdfPrinter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks(argc, argv, [] {
        RegisterFontSubstitutes();
        return true;
    });
}
