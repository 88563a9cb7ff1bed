// The copy dialog's throughput, responsiveness and memory, measured in one run under the system it
// runs on (bench/copy-throughput.bench drives it):
//
//   copy_throughput make-pack <folder> <MiB>   writes <folder>\hxdemo.pak of about <MiB> MiB
//   copy_throughput run <source> <install> <windows>
//
// `run` shows the main window and, while it idles, notes the process's peak memory and measures
// the tick rate a 1 ms window timer really delivers (free running, and killed and started again
// each tick as the copy dialog does). Then it installs the pack through the copy dialog while a
// second thread sends the dialog messages and times the answers, and reports bytes per second
// against the ceiling of 262,144 bytes a tick, the answer times, and the peak memory.
#include "app.h"
#include "copy_progress.h"
#include "copy_progress_dlg.h"
#include "main_dlg.h"
#include "pack_writer.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr double kThroughputGoal = 0.88;
constexpr double kMemoryGoalBytes = 1024 * 1024;

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

// ---- make-pack ----

class FileSink final : public hx::ByteSink {
public:
    explicit FileSink(const std::string& path) : m_file(std::fopen(path.c_str(), "wb")) {
        if (!m_file)
            throw std::runtime_error("cannot create " + path);
    }
    ~FileSink() override {
        if (m_file)
            std::fclose(m_file);
    }
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    void write(const void* data, std::size_t count) override {
        if (std::fwrite(data, 1, count, m_file) != count)
            throw std::runtime_error("write failed");
    }
    void seek(std::uint64_t offset) override {
        if (_fseeki64(m_file, static_cast<long long>(offset), SEEK_SET) != 0)
            throw std::runtime_error("seek failed");
    }

private:
    std::FILE* m_file;
};

// A game-like pack: one big program, levels of 1 MiB in the install directory and in "Multi",
// and two small files; about `megabytes` MiB in all.
std::vector<hx::PackItem> BenchPackItems(std::uint64_t megabytes) {
    std::vector<hx::PackItem> items{{"readme.txt", 10000}, {"hum6.bmp", 50000}};
    const std::uint64_t levels = megabytes * 6 / 10;
    items.push_back({"hexbreaker.exe", (megabytes - levels) * kMiB});
    for (std::uint64_t i = 1; i <= levels; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, i % 5 == 0 ? "map%03u.mfd" : "level%03u.dat",
                      static_cast<unsigned>(i));
        items.push_back({name, kMiB});
    }
    return items;
}

int MakePack(const std::string& folder, std::uint64_t megabytes) {
    const std::vector<hx::PackItem> items = BenchPackItems(megabytes);
    FileSink sink(folder + "\\hxdemo.pak");
    hx::PackWriter writer(sink, items);
    std::vector<std::uint8_t> block(kMiB);
    std::uint32_t state = 12345;
    for (auto& byte : block) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    for (const std::size_t entry : writer.dataOrder()) {
        for (std::uint64_t left = items[entry].size; left > 0;) {
            const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
            writer.append(block.data(), count);
            left -= count;
            std::rotate(block.begin(), block.begin() + 4097, block.end()); // no two blocks alike
        }
    }
    writer.finish();
    std::printf("pack: %s\\hxdemo.pak, %zu entries, %llu bytes\n", folder.c_str(), items.size(),
                static_cast<unsigned long long>(writer.packSize()));
    return 0;
}

// ---- run ----

struct Memory {
    SIZE_T peakWorkingSet = 0;
    SIZE_T peakPagefile = 0;
};

Memory PeakMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {counters.PeakWorkingSetSize, counters.PeakPagefileUsage};
}

std::vector<std::pair<UINT_PTR, std::function<void()>>>& PendingActions() {
    static std::vector<std::pair<UINT_PTR, std::function<void()>>> pending;
    return pending;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR fired, DWORD) {
    KillTimer(nullptr, fired);
    auto& pending = PendingActions();
    const auto found =
        std::find_if(pending.begin(), pending.end(), [&](const auto& p) { return p.first == fired; });
    if (found == pending.end())
        return;
    const auto action = std::move(found->second);
    pending.erase(found);
    action();
}

// Runs `action` once, `delay` ms from now, from whichever message loop runs then.
void After(UINT delay, std::function<void()> action) {
    PendingActions().emplace_back(SetTimer(nullptr, 0, delay, RunPendingAction), std::move(action));
}

// Counts the ticks of a 1 ms timer on `window` for `seconds`: free running, or killed and started
// again in each tick as the copy dialog does. Calls `done` with the ticks per second.
struct TimerProbe {
    HWND window = nullptr;
    bool restart = false;
    double start = 0;
    double seconds = 0;
    long ticks = 0;
    std::function<void(double)> done;
};
TimerProbe g_probe;
constexpr UINT_PTR kProbeTimer = 77;

void CALLBACK ProbeTick(HWND window, UINT, UINT_PTR, DWORD) {
    if (g_probe.restart)
        KillTimer(window, kProbeTimer);
    ++g_probe.ticks;
    const double elapsed = Now() - g_probe.start;
    if (elapsed >= g_probe.seconds) {
        KillTimer(window, kProbeTimer);
        const auto done = std::move(g_probe.done);
        done(g_probe.ticks / elapsed);
        return;
    }
    if (g_probe.restart)
        SetTimer(window, kProbeTimer, 1, ProbeTick);
}

void MeasureTimer(HWND window, bool restart, double seconds, std::function<void(double)> done) {
    g_probe = {window, restart, Now(), seconds, 0, std::move(done)};
    SetTimer(window, kProbeTimer, 1, ProbeTick);
}

// The copy dialog as it is, telling the bench its window and its working ticks.
class TimedCopyDlg : public CCopyProgressDlg {
public:
    std::atomic<HWND> window{nullptr};
    long workingTicks = 0;
    long ticks = 0;
    std::vector<double> tickSeconds; // how long each working tick took

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CCopyProgressDlg::OnInitDialog();
        window = m_hWnd;
        return result;
    }
    bool OnTimer(UINT_PTR id) override {
        if (id != 1)
            return CCopyProgressDlg::OnTimer(id);
        ++ticks;
        const bool working = m_bActive == TRUE;
        const double start = Now();
        const bool handled = CCopyProgressDlg::OnTimer(id);
        if (working) {
            ++workingTicks;
            tickSeconds.push_back(Now() - start);
        }
        return handled;
    }
};

// Sends the dialog a message every few milliseconds from a second thread and times the answer.
class Prober {
public:
    Prober() : m_thread([this] { Run(); }) {}
    ~Prober() {
        m_quit = true;
        m_thread.join();
    }
    Prober(const Prober&) = delete;
    Prober& operator=(const Prober&) = delete;

    void Watch(TimedCopyDlg* dialog) { m_dialog = dialog; }
    void Stop() { m_dialog = nullptr; }
    std::vector<double> Samples() {
        while (m_busy)
            Sleep(1);
        return m_samples;
    }

private:
    void Run() {
        unsigned seed = 7;
        while (!m_quit) {
            TimedCopyDlg* dialog = m_dialog;
            HWND window = dialog ? dialog->window.load() : nullptr;
            if (!window) {
                Sleep(5);
                continue;
            }
            m_busy = true;
            const double sent = Now();
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &answer) && m_dialog)
                m_samples.push_back(Now() - sent);
            m_busy = false;
            seed = seed * 1103515245u + 12345u;
            Sleep(1 + (seed >> 16) % 4); // uneven spacing: no lock-step with the timer
        }
    }

    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_busy{false};
    std::atomic<TimedCopyDlg*> m_dialog{nullptr};
    std::vector<double> m_samples;
    std::thread m_thread;
};

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index =
        std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())));
    return values[index];
}

struct Results {
    Memory idle;
    Memory after;
    double freeTicksPerSecond = 0;
    double restartTicksPerSecond = 0;
    INT_PTR copyResult = 0;
    double copySeconds = 0;
    long ticks = 0;
    long workingTicks = 0;
    std::vector<double> tickSeconds;
    std::vector<double> answers;
};

class BenchApp : public CWinApp {};

DWORD64 FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<DWORD64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int Run(const std::string& source, const std::string& install, const std::string& windows) {
    BenchApp app;
    app.Start(GetModuleHandleA(nullptr));
    CSetupMainDlg mainWindow;
    app.m_pMainWnd = &mainWindow;
    Prober prober; // its thread exists before the idle figure is taken
    Results results;

    auto copy = [&] {
        mainWindow.m_strSourceDir = source;
        mainWindow.m_strInstallDir = install;
        mainWindow.m_strSystemRoot = windows;
        TimedCopyDlg dialog;
        prober.Watch(&dialog);
        const double start = Now();
        results.copyResult = dialog.DoModal();
        results.copySeconds = Now() - start;
        prober.Stop();
        results.answers = prober.Samples();
        results.ticks = dialog.ticks;
        results.workingTicks = dialog.workingTicks;
        results.tickSeconds = dialog.tickSeconds;
        results.after = PeakMemory();
        mainWindow.EndDialog(IDOK);
    };
    After(1000, [&] {
        results.idle = PeakMemory();
        MeasureTimer(mainWindow.m_hWnd, false, 3.0, [&](double free) {
            results.freeTicksPerSecond = free;
            MeasureTimer(mainWindow.m_hWnd, true, 3.0, [&](double restarted) {
                results.restartTicksPerSecond = restarted;
                After(200, copy);
            });
        });
    });
    mainWindow.DoModal();
    app.m_pMainWnd = nullptr;

    if (results.copyResult != IDOK) {
        std::printf("copy-throughput: the copy dialog ended with %d, not IDOK\n",
                    static_cast<int>(results.copyResult));
        return 1;
    }
    const double bytes = static_cast<double>(FileSize(source + "\\hxdemo.pak"));
    const double rate = bytes / results.copySeconds;
    const double ceiling = kCopyPieceSize * results.freeTicksPerSecond;
    const double ratio = rate / ceiling;
    const double period = 1.0 / results.freeTicksPerSecond;
    const double p99 = Percentile(results.answers, 0.99);
    const double extra =
        static_cast<double>(results.after.peakWorkingSet) - static_cast<double>(results.idle.peakWorkingSet);
    const double extraPrivate =
        static_cast<double>(results.after.peakPagefile) - static_cast<double>(results.idle.peakPagefile);
    auto verdict = [](bool met) { return met ? "met" : "MISSED"; };

    std::printf("copy      %.0f bytes (pack file) in %.2f s, %ld ticks (%ld working): %.2f MB/s\n", bytes,
                results.copySeconds, results.ticks, results.workingTicks, rate / 1e6);
    std::printf("ticks     work per tick: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                Percentile(results.tickSeconds, 0.5) * 1e3, Percentile(results.tickSeconds, 0.99) * 1e3,
                Percentile(results.tickSeconds, 1.0) * 1e3);
    std::printf("ceiling   1 ms timer, free running: %.1f ticks/s x 262,144 bytes = %.2f MB/s"
                " (killed and restarted each tick: %.1f ticks/s)\n",
                results.freeTicksPerSecond, ceiling / 1e6, results.restartTicksPerSecond);
    std::printf("ratio     %.3f of the ceiling (goal %.2f: %s)\n", ratio, kThroughputGoal,
                verdict(ratio >= kThroughputGoal));
    std::printf("answers   %zu messages sent while copying: p50 %.3f ms, p99 %.3f ms, max %.3f ms;"
                " timer period %.2f ms (goal p99 within one period: %s)\n",
                results.answers.size(), Percentile(results.answers, 0.5) * 1e3, p99 * 1e3,
                Percentile(results.answers, 1.0) * 1e3, period * 1e3, verdict(p99 <= period));
    std::printf("memory    peak working set idle %.0f KiB, after copying %.0f KiB: %+.0f KiB"
                " (goal under 1024 KiB more: %s); peak private bytes %+.0f KiB\n",
                results.idle.peakWorkingSet / 1024.0, results.after.peakWorkingSet / 1024.0, extra / 1024.0,
                verdict(extra < kMemoryGoalBytes), extraPrivate / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 3 && args[0] == "make-pack")
            return MakePack(args[1], std::strtoull(args[2].c_str(), nullptr, 10));
        if (args.size() == 4 && args[0] == "run")
            return Run(args[1], args[2], args[3]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "copy_throughput: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: copy_throughput make-pack <folder> <MiB>\n"
                         "       copy_throughput run <source> <install> <windows>\n");
    return 2;
}
