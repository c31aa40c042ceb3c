// Start-to-ready time and private memory of Veltarion.exe against a minimal Win32 program that
// opens one window, in the same Wine prefix and server, rounds alternating between the two.
// "Ready" is the main window visible; Veltarion shows it only after it added its tray icon and
// connected to the driver, which is already loaded before the first round. Not a test: run it
// with scripts/wine/wine-run.sh (see bench/README.md).
#include "e2e/harness/E2eHarness.h"
#include "win32/driver/StandinKit.h"

#include "SharedNames.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace velt::e2e;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Sample {
    double seconds = 0;
    double privateBytes = 0;
    double workingSet = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Starts exe (in dir), waits until a visible window of the process has the caption (or the
// other caption, when one is given), measures.
bool Run(const std::string& exe, const std::string& dir, const char* caption, const char* other,
         bool quitByTray, Sample& out) {
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const double start = Now();
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &info)) {
        return false;
    }
    HWND window = nullptr;
    for (;;) {
        window = FindProcessWindow(info.dwProcessId, nullptr, caption, true);
        if (window == nullptr && other != nullptr) {
            window = FindProcessWindow(info.dwProcessId, nullptr, other, true);
        }
        if (window || Now() - start > 30) {
            break;
        }
        Sleep(1);
    }
    out.seconds = Now() - start;
    bool ok = window != nullptr;
    // Let the program settle before its memory is read.
    Sleep(500);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        // Private committed bytes: Windows reports them in both fields, Wine only in this one.
        out.privateBytes = static_cast<double>(counters.PagefileUsage);
        out.workingSet = static_cast<double>(counters.WorkingSetSize);
    }
    if (ok && quitByTray) {
        ok = ChooseTrayItem(info.dwProcessId, window, kMenuQuit);
    } else if (ok) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(info.hProcess, 15000) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        ok = false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return ok;
}

// One profile, so that the program starts without the welcome dialog.
std::vector<std::uint8_t> OneProfileRecord() {
    std::vector<std::uint8_t> record(512, 0);
    const std::string name = "Bench";
    const std::string paths = "c:\\bench\\*.*";
    record[0] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), record.begin() + 1);
    record[100] = static_cast<std::uint8_t>(paths.size());
    std::copy(paths.begin(), paths.end(), record.begin() + 101);
    return record;
}

} // namespace

struct Series {
    const char* label = "";
    std::vector<double> times{}, privateBytes{}, workingSets{};
    void Add(const Sample& s) {
        times.push_back(s.seconds);
        privateBytes.push_back(s.privateBytes);
        workingSets.push_back(s.workingSet);
    }
};

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    if (!velt::standin::EnsureRunning(velt::standin::DriverBesideExe())) {
        std::printf("the stand-in driver could not be loaded\n");
        return 1;
    }
    // An optional second argument names another Veltarion.exe (another build), measured in the
    // same rounds from a folder of its own, so that two builds compare side by side.
    Install install, otherInstall;
    const bool compare = argc > 2;
    if (compare) {
        CopyFileA(argv[2], otherInstall.Path("Veltarion.exe").c_str(), FALSE);
    }
    for (const Install* folder : {&install, &otherInstall}) {
        CreateDirectoryA(folder->Path("Profiles").c_str(), nullptr);
        WriteFileBytes(folder->StorageFile(), OneProfileRecord());
    }
    WriteCurrentProfile(0);
    const std::string app = install.Path("Veltarion.exe");
    const std::string other = otherInstall.Path("Veltarion.exe");
    const std::string minimal = velt::standin::ExeDir() + "velt_bench_minimal.exe";
    const std::string imports = velt::standin::ExeDir() + "velt_bench_minimal_imports.exe";

    Series veltarion{"Veltarion.exe", {}, {}, {}}, bare{"minimal window", {}, {}, {}},
        same{"minimal window + the same system DLLs", {}, {}, {}},
        second{"the other Veltarion.exe", {}, {}, {}};
    // Veltarion's main window names the stand-in driver in its caption; an older build's does
    // not.
    const char* form = velt::shared::kStandInWindowCaption;
    const char* older = velt::shared::kWindowCaption;
    Sample warm;
    Run(app, install.Dir(), form, older, true, warm);
    Run(minimal, install.Dir(), "Minimal", nullptr, false, warm);
    Run(imports, install.Dir(), "Minimal", nullptr, false, warm);
    for (int i = 0; i < rounds; ++i) {
        Sample a, b, c;
        if (!Run(minimal, install.Dir(), "Minimal", nullptr, false, b) ||
            !Run(app, install.Dir(), form, older, true, a) ||
            !Run(imports, install.Dir(), "Minimal", nullptr, false, c)) {
            std::printf("round %d failed\n", i + 1);
            return 1;
        }
        bare.Add(b);
        veltarion.Add(a);
        same.Add(c);
        if (compare) {
            Sample d;
            if (!Run(other, otherInstall.Dir(), form, older, true, d)) {
                std::printf("round %d failed (the other Veltarion.exe)\n", i + 1);
                return 1;
            }
            second.Add(d);
        }
    }
    std::printf("rounds: %d, medians (fastest start in brackets)\n", rounds);
    std::printf("%-40s %12s %14s %12s\n", "program", "to ready", "private", "working set");
    for (Series* s : {&veltarion, &bare, &same, &second}) {
        if (s->times.empty()) {
            continue;
        }
        std::printf("%-40s %6.1f ms (%5.1f) %8.0f KB %9.0f KB\n", s->label, Median(s->times) * 1000,
                    *std::min_element(s->times.begin(), s->times.end()) * 1000,
                    Median(s->privateBytes) / 1024, Median(s->workingSets) / 1024);
    }
    std::vector<double> sorted = veltarion.times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("Veltarion.exe starts, sorted (ms):");
    for (double t : sorted) {
        std::printf(" %.0f", t * 1000);
    }
    std::printf("\n");
    const double ratio = Median(veltarion.times) / Median(bare.times);
    const double ratioSame = Median(veltarion.times) / Median(same.times);
    std::printf("start-to-ready ratio: %.2fx the minimal window, %.2fx the minimal window with the "
                "same DLLs\n",
                ratio, ratioSame);
    std::printf("private memory over the minimal window: %+.0f KB; over the one with the same "
                "DLLs: %+.0f KB (goal <= +256 KB)\n",
                (Median(veltarion.privateBytes) - Median(bare.privateBytes)) / 1024,
                (Median(veltarion.privateBytes) - Median(same.privateBytes)) / 1024);
    if (compare) {
        std::printf("the other Veltarion.exe: %.2fx the minimal window with the same DLLs, "
                    "%+.0f KB over it; this build against it: %.2fx (goal <= 1.05x)\n",
                    Median(second.times) / Median(same.times),
                    (Median(second.privateBytes) - Median(same.privateBytes)) / 1024,
                    Median(veltarion.times) / Median(second.times));
        // On a busy machine the fastest starts move less than the medians.
        std::printf("fastest start against the other's fastest: %.2fx\n",
                    *std::min_element(veltarion.times.begin(), veltarion.times.end()) /
                        *std::min_element(second.times.begin(), second.times.end()));
    }
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExA(app.c_str(), GetFileExInfoStandard, &attributes);
    std::printf("Veltarion.exe: %lu bytes (goal < 327680)\n", attributes.nFileSizeLow);
    DeleteSettingsKey();
    return 0;
}
