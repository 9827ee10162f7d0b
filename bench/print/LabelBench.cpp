// A batch of 1,000 waybills into one PDF through the batch engine: on the shipped 圆通 form
// (texts only), and on the shipped 100 x 150 mm blank label, whose waybill number prints as a
// Code 128 barcode and its order number as a QR code. The labels should cost less than twice
// the forms.
#include "base/PrintFontConversion.h"
#include "batch/BatchPrinter.h"
#include "support/TempFolder.h"
#include "template/TemplateLayout.h"
#include "text/CodePageText.h"
#include "workspace/Workspace.h"
#include "support/QtBenchMain.h"


#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

using namespace dorvane;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kWaybills = 1000;

BatchJob ThousandWaybills(const test::TempFolder& folder, const QString& templateName, bool numbers)
{
    fs::create_directories(folder / "dataM");
    const std::string name = ToFileName(templateName);
    fs::copy_file(fs::path(DORVANE_SOURCE_DIR) / "data" / (name + ".dat"), folder / "dataM" / (name + ".dat"),
                  fs::copy_options::overwrite_existing);
    Workspace app;
    app.WorkFolder = folder.path();
    app.loadPrintSettings();
    app.CurrentTemplate = name;
    app.loadCurrentLayout();
    BatchJob job;
    job.setup = MakePrintSetup(app, 96);
    job.pdfPath = QString::fromStdString((folder / "batch.pdf").string());
    for (std::size_t i = 1; i <= kWaybills; ++i) {
        FieldTexts texts{};
        texts[0] = ToCodePage(QStringLiteral("杭州市"));
        texts[3] = ToCodePage(QStringLiteral("张三%1").arg(i));
        texts[7] = ToCodePage(QStringLiteral("浙江省杭州市西湖区文三路%1号").arg(i));
        texts[12] = "13900001111";
        texts[14] = ToCodePage(QStringLiteral("书籍"));
        texts[15] = "1";
        job.records.emplace_back(i, texts);
        if (numbers) {
            job.waybillNumbers.push_back("SF" + std::to_string(1234567890000 + i));
            job.orderNumbers.push_back(ToCodePage(QStringLiteral("订单%1").arg(202612080000 + i)));
        }
    }
    return job;
}

void PrintBatch(benchmark::State& state, const QString& templateName, bool numbers)
{
    test::TempFolder folder;
    const BatchJob job = ThousandWaybills(folder, templateName, numbers);
    for (auto _ : state) {
        BatchPrinter printer(job);
        if (!printer.check() || !printer.print({}) || !printer.cuts().empty())
            state.SkipWithError("the batch did not print whole");
    }
    state.counters["waybills"] = static_cast<double>(kWaybills);
    state.counters["pdf_kb"] = static_cast<double>(fs::file_size(folder / "batch.pdf")) / 1024.0;
}

void ThousandFormsToPdf(benchmark::State& state)
{
    PrintBatch(state, QStringLiteral("圆通"), false);
}
BENCHMARK(ThousandFormsToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

void ThousandLabelsWithBarcodesToPdf(benchmark::State& state)
{
    PrintBatch(state, QStringLiteral("自粘面单100x150"), true);
}
BENCHMARK(ThousandLabelsWithBarcodesToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks(argc, argv, [] {
        RegisterFontSubstitutes();
        return true;
    });
}
