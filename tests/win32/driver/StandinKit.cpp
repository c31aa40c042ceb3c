#include "win32/driver/StandinKit.h"

namespace velt::standin {
namespace {

// How long the service manager gets to bring the service to a state: generous for a loaded
// machine; the polls return as soon as the state is reached.
constexpr DWORD kServiceWaitMs = 15000;

// Owns one service-manager handle.
class ScHandle {
  public:
    explicit ScHandle(SC_HANDLE handle) : handle_(handle) {}
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    ~ScHandle() {
        if (handle_ != nullptr) {
            CloseServiceHandle(handle_);
        }
    }
    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    SC_HANDLE handle_;
};

ScHandle OpenManager() {
    return ScHandle(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

ScHandle OpenOurService(const ScHandle& manager) {
    return ScHandle(manager ? OpenServiceA(manager.get(), kServiceName, SERVICE_ALL_ACCESS)
                            : nullptr);
}

DWORD CurrentState(const ScHandle& service) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service.get(), &status)) {
        return 0;
    }
    return status.dwCurrentState;
}

bool WaitForState(const ScHandle& service, DWORD wanted) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kServiceWaitMs;) {
        if (CurrentState(service) == wanted) {
            return true;
        }
        Sleep(25);
    }
    return CurrentState(service) == wanted;
}

} // namespace

std::string ExeDir() {
    char name[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
    std::string path(name, length);
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string DriverBesideExe() {
    return ExeDir() + "OMXDRV.SYS";
}

ServiceState QueryServiceState() {
    ScHandle manager = OpenManager();
    ScHandle service = OpenOurService(manager);
    if (!service) {
        return ServiceState::Absent;
    }
    switch (CurrentState(service)) {
    case SERVICE_STOPPED:
        return ServiceState::Stopped;
    case SERVICE_RUNNING:
        return ServiceState::Running;
    default:
        return ServiceState::Other;
    }
}

std::string RegisteredDriverPath() {
    ScHandle manager = OpenManager();
    ScHandle service = OpenOurService(manager);
    if (!service) {
        return {};
    }
    DWORD needed = 0;
    QueryServiceConfigA(service.get(), nullptr, 0, &needed);
    std::vector<char> buffer(needed + 1);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!QueryServiceConfigA(service.get(), config, needed, &needed) ||
        config->lpBinaryPathName == nullptr) {
        return {};
    }
    return config->lpBinaryPathName;
}

bool InstallDriver(const std::string& driverPath) {
    ScHandle manager = OpenManager();
    if (!manager) {
        return false;
    }
    ScHandle service(CreateServiceA(manager.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                    SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                    SERVICE_ERROR_NORMAL, driverPath.c_str(), nullptr, nullptr,
                                    nullptr, nullptr, nullptr));
    return static_cast<bool>(service);
}

bool StartDriver() {
    ScHandle manager = OpenManager();
    ScHandle service = OpenOurService(manager);
    if (!service) {
        return false;
    }
    if (StartServiceA(service.get(), 0, nullptr)) {
        return WaitForState(service, SERVICE_RUNNING);
    }
    return GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
}

bool StopDriver() {
    ScHandle manager = OpenManager();
    ScHandle service = OpenOurService(manager);
    if (!service) {
        return false;
    }
    if (CurrentState(service) == SERVICE_STOPPED) {
        return true;
    }
    SERVICE_STATUS status{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    return WaitForState(service, SERVICE_STOPPED);
}

bool RemoveDriver() {
    {
        ScHandle manager = OpenManager();
        ScHandle service = OpenOurService(manager);
        if (!service) {
            return true;
        }
        if (CurrentState(service) != SERVICE_STOPPED) {
            SERVICE_STATUS status{};
            ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
            if (!WaitForState(service, SERVICE_STOPPED)) {
                return false;
            }
        }
        if (!DeleteService(service.get())) {
            return false;
        }
    }
    // Deletion completes once the last handle to the service is closed.
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kServiceWaitMs;) {
        if (QueryServiceState() == ServiceState::Absent) {
            return true;
        }
        Sleep(25);
    }
    return QueryServiceState() == ServiceState::Absent;
}

bool EnsureRunning(const std::string& driverPath) {
    ServiceState state = QueryServiceState();
    if (state != ServiceState::Absent && RegisteredDriverPath() != driverPath) {
        if (!RemoveDriver()) {
            return false;
        }
        state = ServiceState::Absent;
    }
    if (state == ServiceState::Absent && !InstallDriver(driverPath)) {
        return false;
    }
    return StartDriver() && DeviceOpens();
}

HANDLE OpenDevice() {
    return CreateFileA(OMX_USER_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenDiagnostics() {
    return CreateFileA(OMX_DIAG_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool DeviceOpens() {
    HANDLE device = OpenDevice();
    if (device == INVALID_HANDLE_VALUE) {
        // Held by another handle (the program's): the device is there all the same.
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    CloseHandle(device);
    return true;
}

bool Control(HANDLE device, std::uint32_t code, const void* in, DWORD inLength, void* out,
             DWORD outLength, DWORD* returned) {
    DWORD count = 0;
    BOOL ok = DeviceIoControl(device, code, const_cast<void*>(in), inLength, out, outLength, &count,
                              nullptr);
    if (returned != nullptr) {
        *returned = count;
    }
    return ok != FALSE;
}

bool ReadJournal(OmxStandinJournal& journal) {
    HANDLE device = OpenDiagnostics();
    if (device == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD returned = 0;
    bool ok =
        Control(device, OMX_DIAG_READ_JOURNAL, nullptr, 0, &journal, sizeof(journal), &returned) &&
        returned == sizeof(journal) && journal.Magic == OMX_JOURNAL_MAGIC &&
        journal.Size == sizeof(journal) && journal.EntryCount <= OMX_JOURNAL_CAPACITY;
    CloseHandle(device);
    return ok;
}

bool ResetJournal(const OmxStandinFaults& faults) {
    HANDLE device = OpenDiagnostics();
    if (device == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = Control(device, OMX_DIAG_RESET, &faults, sizeof(faults), nullptr, 0);
    CloseHandle(device);
    return ok;
}

std::vector<OmxJournalEntry> Entries(const OmxStandinJournal& journal) {
    std::uint32_t count = journal.EntryCount;
    if (count > OMX_JOURNAL_CAPACITY) {
        count = OMX_JOURNAL_CAPACITY;
    }
    return {journal.Entries, journal.Entries + count};
}

std::vector<std::uint32_t> Codes(const OmxStandinJournal& journal) {
    std::vector<std::uint32_t> codes;
    for (const OmxJournalEntry& entry : Entries(journal)) {
        codes.push_back(entry.Code);
    }
    return codes;
}

} // namespace velt::standin
