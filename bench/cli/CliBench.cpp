// The real dorvane-cli printing the 1,000-waybill order export (and the same file twice over)
// into a PDF: wall time and the child's peak memory. Memory must not grow with the batch.
// The second argument puts the address book into the folder, so that every page is logged;
// without it the log cannot be opened and nothing is written: the difference is the log's cost.
// And the same export sent to a CUPS queue of the bench's own that throws the jobs away, as one
// job and with --job-per-waybill: the child's CPU time of each (the spooler's own aside).
#include "support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Beside the repository, or in the folder DORVANE_BENCH_DATA names (a checkout elsewhere).
fs::path BenchCsv()
{
    if (const char* data = std::getenv("DORVANE_BENCH_DATA"))
        return fs::path(data) / "waybills-1000.csv";
    return fs::path(DORVANE_SOURCE_DIR) / ".." / "shared" / "bench" / "waybills-1000.csv";
}

// A work folder with the shipped templates, the address book when logged, and, when copies > 1,
// the export repeated.
void PrepareFolder(const dorvane::test::TempFolder& folder, int copies, bool logged)
{
    fs::create_directories(folder / "dataM");
    fs::create_directories(folder / "Set");
    for (const auto& entry : fs::directory_iterator(fs::path(DORVANE_SOURCE_DIR) / "data")) {
        const auto ext = entry.path().extension();
        if (ext == ".dat" || ext == ".bmp")
            fs::copy_file(entry.path(), folder.path() / "dataM" / entry.path().filename());
    }
    if (logged)
        fs::copy_file(DORVANE_EMPTY_ADDRESS_BOOK, folder.path() / "dataM" / "Dorvane.dorv");
    const std::string csv = dorvane::test::ReadBytes(BenchCsv());
    const std::size_t bodyStart = csv.find('\n') + 1;
    std::string out = csv;
    for (int i = 1; i < copies; ++i)
        out += csv.substr(bodyStart);
    dorvane::test::WriteBytes(folder / "orders.csv", out);
}

struct ChildRun {
    int status = -1;
    double seconds = 0;
    long peakKb = 0;
    double cpuSeconds = 0; // the child's user and system time: the machine's other load aside
};

ChildRun RunCli(const fs::path& workFolder,
                const std::vector<std::string>& destination = {"--pdf", "orders.pdf"})
{
    const std::string program = std::string(DORVANE_RUN_DIR) + "/dorvane-cli";
    std::vector<std::string> args = {program, "print", "--csv", "orders.csv"};
    args.insert(args.end(), destination.begin(), destination.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    ChildRun run;
    const fs::path here = fs::current_path();
    fs::current_path(workFolder);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0); // the progress lines
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        rusage usage{};
        int status = 0;
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            run.peakKb = usage.ru_maxrss;
            const auto seconds = [](const timeval& t) {
                return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
            };
            run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        }
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    fs::current_path(here);
    return run;
}

void PrintExportToPdf(benchmark::State& state)
{
    if (!fs::exists(BenchCsv())) {
        state.SkipWithError("waybills-1000.csv not found beside the repository (../shared/bench)");
        return;
    }
    const int copies = static_cast<int>(state.range(0));
    dorvane::test::TempFolder folder;
    const bool logged = state.range(1) != 0;
    PrepareFolder(folder, copies, logged);
    long peakKb = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const ChildRun run = RunCli(folder.path());
        if (run.status != 0) {
            state.SkipWithError("dorvane-cli failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        peakKb = std::max(peakKb, run.peakKb);
        cpuSeconds = std::max(cpuSeconds, run.cpuSeconds);
    }
    state.counters["waybills"] = 1000.0 * copies;
    state.counters["logged"] = logged ? 1 : 0;
    state.counters["child_cpu_s"] = cpuSeconds;
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["pdf_MB"] = static_cast<double>(fs::file_size(folder / "orders.pdf")) / (1024.0 * 1024.0);
}
BENCHMARK(PrintExportToPdf)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// A raw queue whose device is /dev/null, made for the run (as root) and removed after it.
class DiscardingQueue {
public:
    DiscardingQueue() : name_("dorvane-bench-" + std::to_string(getpid()))
    {
        made_ = std::system(("lpadmin -p " + name_ + " -v file:/dev/null -E >/dev/null 2>&1").c_str()) == 0;
    }
    ~DiscardingQueue()
    {
        if (made_) {
            [[maybe_unused]] const int removed =
                std::system(("lpadmin -x " + name_ + " >/dev/null 2>&1").c_str());
        }
    }
    bool made() const { return made_; }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    bool made_ = false;
};

void PrintExportToQueue(benchmark::State& state)
{
    if (!fs::exists(BenchCsv())) {
        state.SkipWithError("waybills-1000.csv not found beside the repository (../shared/bench)");
        return;
    }
    const DiscardingQueue queue;
    if (!queue.made()) {
        state.SkipWithError("no CUPS queue could be made (lpadmin, as root)");
        return;
    }
    dorvane::test::TempFolder folder;
    PrepareFolder(folder, 1, false);
    const bool jobPerWaybill = state.range(0) != 0;
    std::vector<std::string> destination = {"--printer", queue.name()};
    if (jobPerWaybill)
        destination.push_back("--job-per-waybill");
    double cpuSeconds = 0;
    for (auto _ : state) {
        const ChildRun run = RunCli(folder.path(), destination);
        if (run.status != 0) {
            state.SkipWithError("dorvane-cli failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        cpuSeconds = std::max(cpuSeconds, run.cpuSeconds);
    }
    state.counters["job_per_waybill"] = jobPerWaybill ? 1 : 0;
    state.counters["child_cpu_s"] = cpuSeconds;
}
BENCHMARK(PrintExportToQueue)->Arg(0)->Arg(1)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
