// Test-side helpers for the stand-in OMXDRV driver under Wine: the "OMXDRV" kernel service
// (global to the Wine prefix), the device and the driver's diagnostic journal.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "OmxStandinDiag.h"

namespace velt::standin {

inline constexpr const char* kServiceName = "OMXDRV";

// Directory of the running executable, with its trailing backslash.
std::string ExeDir();
// The OMXDRV.SYS the build placed beside the running executable.
std::string DriverBesideExe();

enum class ServiceState { Absent, Stopped, Running, Other };
ServiceState QueryServiceState();
// The driver file the registered service points at ("" when absent).
std::string RegisteredDriverPath();

// CreateServiceA as the controller calls it (kernel driver, demand start).
bool InstallDriver(const std::string& driverPath);
// StartServiceA; true when started or already running.
bool StartDriver();
// Stops the driver (its device goes away) and waits until the service reports stopped.
bool StopDriver();
// Stops and deletes the service and waits until it is gone.
bool RemoveDriver();
// The service installed for driverPath and running; an existing registration for another path
// is replaced.
bool EnsureRunning(const std::string& driverPath);

// CreateFileA on \\.\OMXDRV as the controller opens it; INVALID_HANDLE_VALUE when it fails.
// It answers one handle at a time: a second open fails with ERROR_SHARING_VIOLATION.
HANDLE OpenDevice();
// Whether the device is there: it opens, or another handle holds it.
bool DeviceOpens();
// \\.\OMXDIAG, the test build's diagnostics device (administrators only).
HANDLE OpenDiagnostics();

// One DeviceIoControl; the bytes returned go to *returned when given.
bool Control(HANDLE device, std::uint32_t code, const void* in, DWORD inLength, void* out,
             DWORD outLength, DWORD* returned = nullptr);

// Diagnostic requests, each on a handle of its own.
bool ReadJournal(OmxStandinJournal& journal);
bool ResetJournal(const OmxStandinFaults& faults = {});
std::vector<OmxJournalEntry> Entries(const OmxStandinJournal& journal);
// The journal's request codes in order.
std::vector<std::uint32_t> Codes(const OmxStandinJournal& journal);

} // namespace velt::standin
