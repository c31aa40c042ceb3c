// Start-to-ready time and private memory of Veltarion.exe against a minimal Win32 program that
// opens one window, in the same Wine prefix and server, rounds alternating between the two.
// "Ready" is the main window visible; Veltarion shows it only after it added its tray icon and
// connected to the driver, which is already loaded before the first round. Not a test: run it
// with scripts/wine/wine-run.sh (see bench/README.md).
#include "e2e/harness/E2eHarness.h"
#include "win32/driver/StandinKit.h"

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

// Starts exe (in dir), waits until a visible window of the process has the caption, measures.
bool Run(const std::string& exe, const std::string& dir, const char* caption, bool quitByTray,
         Sample& out) {
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

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    if (!velt::standin::EnsureRunning(velt::standin::DriverBesideExe())) {
        std::printf("the stand-in driver could not be loaded\n");
        return 1;
    }
    Install install;
    CreateDirectoryA(install.Path("Profiles").c_str(), nullptr);
    WriteFileBytes(install.StorageFile(), OneProfileRecord());
    WriteCurrentProfile(0);
    const std::string minimal = velt::standin::ExeDir() + "velt_bench_minimal.exe";

    std::vector<double> appTimes, minTimes, appMemory, minMemory, appWs, minWs;
    Sample warm;
    Run(install.Path("Veltarion.exe"), install.Dir(), kMainCaption, true, warm);
    Run(minimal, install.Dir(), "Minimal", false, warm);
    for (int i = 0; i < rounds; ++i) {
        Sample app, min;
        if (!Run(minimal, install.Dir(), "Minimal", false, min) ||
            !Run(install.Path("Veltarion.exe"), install.Dir(), kMainCaption, true, app)) {
            std::printf("round %d failed\n", i + 1);
            return 1;
        }
        appTimes.push_back(app.seconds);
        minTimes.push_back(min.seconds);
        appMemory.push_back(app.privateBytes);
        minMemory.push_back(min.privateBytes);
        appWs.push_back(app.workingSet);
        minWs.push_back(min.workingSet);
    }
    const double appT = Median(appTimes), minT = Median(minTimes);
    const double appM = Median(appMemory), minM = Median(minMemory);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExA(install.Path("Veltarion.exe").c_str(), GetFileExInfoStandard, &attributes);
    std::printf("rounds: %d (medians)\n", rounds);
    std::printf(
        "start to ready: Veltarion %.1f ms, minimal window %.1f ms, ratio %.2fx (goal <= 1.2x)\n",
        appT * 1000, minT * 1000, minT > 0 ? appT / minT : 0.0);
    std::printf("private memory: Veltarion %.0f KB, minimal window %.0f KB, difference %+.0f KB "
                "(goal <= +1024 KB)\n",
                appM / 1024, minM / 1024, (appM - minM) / 1024);
    std::printf("working set: Veltarion %.0f KB, minimal window %.0f KB\n", Median(appWs) / 1024,
                Median(minWs) / 1024);
    std::printf("Veltarion.exe: %lu bytes (goal <= 262144)\n", attributes.nFileSizeLow);
    DeleteSettingsKey();
    return 0;
}
