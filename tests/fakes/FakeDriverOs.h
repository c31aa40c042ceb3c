// In-memory Windows for the driver link: an OS version, a service manager with one kernel
// service, the driver's device, and the logical drives. Every call is recorded with its
// arguments; every device request with its input bytes. Failures come back the way Windows
// gives them (null or invalid handles, FALSE, GetLastError codes).
#pragma once

#include "platform/DriverOs.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velt::fakes {

class FakeDriverOs : public IDriverOs {
  public:
    enum class Service { Missing, Stopped, Running };

    struct Request {
        std::uint32_t code = 0;
        std::vector<std::uint8_t> input;
        std::uint32_t outputSize = 0;
        bool succeeded = false;
    };

    // --- the machine (set before use) ---
    OsVersion version{kPlatformWin32Nt, 5};
    bool versionFails = false;
    Service service = Service::Missing;
    // As registered by CreateKernelService (one made before: the test program's folder).
    std::string serviceBinaryPath = "C:\\Program Files\\Veltarion\\OMXDRV.SYS";
    bool refuseQueryConfig = false;       // QueryServiceConfigA fails
    bool deviceOpensWhenRunning = true;   // false: the service runs but its device cannot be opened
    bool vxdPresent = true;               // the 9x virtual device driver can be opened
    bool refuseManager = false;           // OpenSCManagerA fails (access denied)
    bool refuseCreate = false;            // CreateServiceA fails (access denied)
    bool refuseOpenService = false;       // OpenServiceA fails (access denied)
    bool refuseStart = false;             // StartServiceA fails (the driver does not load)
    std::set<std::uint32_t> refusedCodes; // DeviceIoControl fails for these control codes
    std::optional<std::uint32_t> maskReply; // the driver's answer to the drive mask; else echo
    std::vector<std::pair<char, std::uint32_t>> drives; // letter and GetDriveTypeA answer
    bool driveStringsFail = false;

    // Convenience setups.
    static FakeDriverOs Nt() { return FakeDriverOs{}; }
    static FakeDriverOs Win9x();
    static FakeDriverOs Nt351();

    // --- what happened ---
    std::vector<std::string> calls; // "Name(arg,arg,...)", in order
    std::vector<Request> requests;  // device I/O control requests, in order
    std::uint32_t lastError = 0;
    // Handles handed out and not closed (service manager and service handles, devices).
    std::set<OsHandle> openHandles;

    std::vector<std::uint32_t> RequestCodes() const;

    // --- IDriverOs ---
    bool QueryOsVersion(OsVersion& out) override;
    OsHandle OpenServiceManager(std::uint32_t access) override;
    OsHandle CreateKernelService(OsHandle manager, std::string_view serviceName,
                                 std::string_view displayName, std::uint32_t access,
                                 std::uint32_t serviceType, std::uint32_t startType,
                                 std::uint32_t errorControl, std::string_view binaryPath) override;
    OsHandle OpenNamedService(OsHandle manager, std::string_view serviceName,
                              std::uint32_t access) override;
    bool RunService(OsHandle service) override;
    bool ServiceImagePath(OsHandle service, std::string& out) override;
    bool CloseService(OsHandle handle) override;
    std::uint32_t LastError() override { return lastError; }
    OsHandle OpenDevice(std::string_view path, std::uint32_t access, std::uint32_t shareMode,
                        std::uint32_t creationDisposition,
                        std::uint32_t flagsAndAttributes) override;
    bool DeviceControl(OsHandle device, std::uint32_t code, const void* input,
                       std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                       std::uint32_t& bytesReturned) override;
    std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t bufferSize) override;
    std::uint32_t DriveType(std::string_view root) override;

  private:
    enum class Kind { Manager, Service, Device };
    OsHandle NewHandle(Kind kind);
    bool Holds(OsHandle handle, Kind kind) const;
    bool Fail(std::uint32_t error);

    OsHandle next_ = 0x100;
    std::vector<std::pair<OsHandle, Kind>> kinds_;
};

} // namespace velt::fakes
