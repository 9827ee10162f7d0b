// A template from one scanned form: a shipped courier form printed on its paper, scanned at
// 300 dpi on a table, turned, blurred, noisy and stored as JPEG, read from its file and
// recognised; and one of another courier's layout (labels of its own cells, shaded). Warm: the recognizer
// (and its text engine) already started, as in the editor's second run; cold: started for the scan, as
// dorvane-cli does.
#include "recognition/FormRecognizer.h"
#include "recognition/MatOfImage.h"
#include "recognition/ScannedForm.h"
#include "recognition/VariedForms.h"
#include "support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <opencv2/imgcodecs.hpp>

#include <string>

namespace {

using namespace dorvane;

std::filesystem::path ScanFile(const test::TempFolder& folder, const char* courier, int width, int height)
{
    const cv::Mat form =
        cv::imread(std::string(DORVANE_SOURCE_DIR) + "/data/" + courier + ".bmp", cv::IMREAD_COLOR);
    testing::ScanFaults faults;
    faults.dpi = 300;
    faults.degrees = 1.3;
    faults.blur = 1.2;
    faults.noise = 6;
    faults.jpegQuality = 70;
    faults.onTable = true;
    const std::filesystem::path path = folder.path() / (std::string(courier) + ".jpg");
    cv::imwrite(path.string(), testing::Scan(form, width, height, faults));
    return path;
}

void Recognised(benchmark::State& state, const FormRecognition& r)
{
    int found = 0;
    for (const RecognizedField& f : r.fields)
        found += f.found ? 1 : 0;
    if (!r.ok() || found != kFieldCount)
        state.SkipWithError("the scan was not fully recognised");
}

void BM_RecognizeScan300DpiWarm(benchmark::State& state)
{
    const test::TempFolder folder;
    const auto path = ScanFile(folder, "EMS", 2300, 1270);
    FormRecognizer recognizer;
    Recognised(state, recognizer.recognizeFile(path)); // starts the text engine
    for (auto _ : state) {
        const FormRecognition r = recognizer.recognizeFile(path);
        benchmark::DoNotOptimize(r.fields);
        Recognised(state, r);
    }
}
BENCHMARK(BM_RecognizeScan300DpiWarm)->Unit(benchmark::kMillisecond)->MinTime(5);

void BM_RecognizeScan300DpiCold(benchmark::State& state)
{
    const test::TempFolder folder;
    const auto path = ScanFile(folder, "顺丰", 2410, 1400);
    for (auto _ : state) {
        FormRecognizer recognizer;
        const FormRecognition r = recognizer.recognizeFile(path);
        benchmark::DoNotOptimize(r.fields);
        Recognised(state, r);
    }
}
BENCHMARK(BM_RecognizeScan300DpiCold)->Unit(benchmark::kMillisecond)->MinTime(5);

// A 300 dpi scan of a form laid out unlike the shipped ones: labels at the left of their
// cells on shaded ground, one cell side missing.
void BM_RecognizeVariedForm300DpiWarm(benchmark::State& state)
{
    const test::TempFolder folder;
    const testing::VariedForm form = testing::DrawVariedForm(7);
    testing::ScanFaults faults;
    faults.dpi = form.dpi;
    faults.degrees = -1.1;
    faults.blur = 1.0;
    faults.noise = 6;
    faults.jpegQuality = 70;
    faults.onTable = true;
    const std::filesystem::path path = folder.path() / "varied.jpg";
    cv::imwrite(path.string(),
                testing::Scan(testing::MatOf(form.picture), form.paperWidth, form.paperHeight, faults));
    FormRecognizer recognizer;
    recognizer.recognizeFile(path); // starts the text engine
    for (auto _ : state) {
        const FormRecognition r = recognizer.recognizeFile(path);
        benchmark::DoNotOptimize(r.fields);
        if (!r.ok())
            state.SkipWithError("the scan was not recognised");
    }
}
BENCHMARK(BM_RecognizeVariedForm300DpiWarm)->Unit(benchmark::kMillisecond)->MinTime(5);

} // namespace

// The varied form is drawn with Qt's fonts, which need an application.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
