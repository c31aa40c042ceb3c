// Time from DriverConnect to the first successful driver request, when the service must be
// installed, when it is installed but stopped and when the driver already runs, each against a
// bare CreateFileA + one DeviceIoControl on the running driver.
//
// Every sample runs in a fresh child process (the driver link connects once per process); the
// child times only the calls, so process start-up is not counted. The states are set up between
// samples through the service manager, and the four kinds of samples alternate round by round so
// that a noisy machine slows them alike.
//
//   driver_connect_bench.exe [ROUNDS]
#include "driver/OMX_API.h"
#include "fakes/RecordingMessenger.h"
#include "win32/ExecutableName.h"
#include "win32/Win32DriverFiles.h"
#include "win32/Win32DriverOs.h"
#include "win32/driver/StandinKit.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace st = velt::standin;

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// The Win32 driver OS, noting when the first request succeeds.
class FirstSuccessClock : public velt::Win32DriverOs {
  public:
    LARGE_INTEGER firstSuccess{};
    bool seen = false;
    bool DeviceControl(velt::OsHandle device, std::uint32_t code, const void* input,
                       std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                       std::uint32_t& bytesReturned) override {
        bool ok = Win32DriverOs::DeviceControl(device, code, input, inputSize, output, outputSize,
                                               bytesReturned);
        if (ok && !seen) {
            QueryPerformanceCounter(&firstSuccess);
            seen = true;
        }
        return ok;
    }
};

// Child: the controller's connection. Seconds to its first successful request, or -1.
double TimeConnect() {
    FirstSuccessClock os;
    velt::Win32DriverFiles files;
    velt::fakes::RecordingMessenger messenger;
    velt::OmxModuleInit(os, files, velt::ExecutableFileName());
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const bool connected = velt::DriverConnect(messenger);
    if (!connected || !os.seen || !messenger.shown.empty()) {
        return -1;
    }
    return Seconds(start, os.firstSuccess);
}

// Child: a bare open and one request on the running driver.
double TimeBare() {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    HANDLE device = CreateFileA(OMX_USER_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::uint32_t mask = 12;
    std::uint32_t answer = 0;
    DWORD returned = 0;
    const bool ok =
        device != INVALID_HANDLE_VALUE &&
        DeviceIoControl(device, OMX_IOCTL_DRIVE_MASK, &mask, 4, &answer, 4, &returned, nullptr);
    QueryPerformanceCounter(&end);
    if (device != INVALID_HANDLE_VALUE) {
        CloseHandle(device);
    }
    return ok ? Seconds(start, end) : -1;
}

// Child: what the connection pays before it opens the device: the service manager's handle.
double TimeManager() {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager != nullptr) {
        CloseServiceHandle(manager);
    }
    QueryPerformanceCounter(&end);
    return manager != nullptr ? Seconds(start, end) : -1;
}

// Parent: one sample in a child process; -1 when it failed.
double Sample(const char* mode) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = std::string("\"") + exe + "\" --child " + mode;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return -1;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL created = CreateProcessA(exe, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    if (created) {
        char buffer[128];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
            output.append(buffer, got);
        }
        WaitForSingleObject(process.hProcess, 60000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return output.empty() ? -1 : std::atof(output.c_str());
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

struct Series {
    const char* name;
    std::vector<double> samples;
    int failures = 0;
};

void Add(Series& series, double sample) {
    if (sample < 0) {
        ++series.failures;
    } else {
        series.samples.push_back(sample);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        double seconds = -1;
        if (std::strcmp(argv[2], "bare") == 0) {
            seconds = TimeBare();
        } else if (std::strcmp(argv[2], "manager") == 0) {
            seconds = TimeManager();
        } else {
            seconds = TimeConnect();
        }
        std::printf("%.9f\n", seconds);
        return seconds < 0 ? 1 : 0;
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string driver = st::DriverBesideExe();

    Series bare{"bare CreateFileA + DeviceIoControl, driver running", {}};
    Series running{"DriverConnect, driver already running", {}};
    Series stopped{"DriverConnect, service installed but stopped", {}};
    Series install{"DriverConnect, service must be installed", {}};
    Series manager{"(for comparison) OpenSCManagerA + CloseServiceHandle", {}};
    for (int round = 0; round < rounds; ++round) {
        if (!st::EnsureRunning(driver)) {
            std::fprintf(stderr, "cannot get the stand-in driver running from %s\n",
                         driver.c_str());
            return 1;
        }
        Add(bare, Sample("bare"));
        Add(running, Sample("connect"));
        Add(manager, Sample("manager"));
        if (st::StopDriver()) {
            Add(stopped, Sample("connect"));
        } else {
            ++stopped.failures;
        }
        if (st::RemoveDriver()) {
            Add(install, Sample("connect"));
        } else {
            ++install.failures;
        }
    }
    st::EnsureRunning(driver);

    const double base = Median(bare.samples);
    std::printf("%d rounds, median of each (microseconds), ratio to the bare open + request\n",
                rounds);
    for (const Series* series : {&bare, &running, &stopped, &install, &manager}) {
        const double median = Median(series->samples);
        std::printf("%-55s %10.1f us  %8.1fx", series->name, median * 1e6,
                    base > 0 ? median / base : 0.0);
        if (!series->samples.empty()) {
            std::printf("   (min %.1f, max %.1f us)",
                        *std::min_element(series->samples.begin(), series->samples.end()) * 1e6,
                        *std::max_element(series->samples.begin(), series->samples.end()) * 1e6);
        }
        if (series->failures > 0) {
            std::printf("  %d failed", series->failures);
        }
        std::printf("\n");
    }
    return 0;
}
