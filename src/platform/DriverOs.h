// The operating-system calls the driver link makes: Windows version, service manager, device
// open and device I/O control, logical drives. Handles are opaque integers; no Windows types.
// What it reads of the driver file before installing it is in DriverFiles.h.
#pragma once

#include <cstdint>
#include <string_view>

namespace velt {

// A Windows handle carried through the seam: SC_HANDLE (0 when a call failed) or a device
// HANDLE (kInvalidHandle when CreateFileA failed).
using OsHandle = std::uintptr_t;
inline constexpr OsHandle kNullHandle = 0;
inline constexpr OsHandle kInvalidHandle = ~OsHandle{0}; // INVALID_HANDLE_VALUE

// Numbers as Windows defines them.
inline constexpr std::uint32_t kPlatformWin32Windows = 1; // VER_PLATFORM_WIN32_WINDOWS
inline constexpr std::uint32_t kPlatformWin32Nt = 2;      // VER_PLATFORM_WIN32_NT
inline constexpr std::uint32_t kScManagerAllAccess = 0xF003F;
inline constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
// What reading a service's configuration needs, and every user has by default.
inline constexpr std::uint32_t kScManagerConnect = 0x0001;
inline constexpr std::uint32_t kServiceQueryConfig = 0x0001;
inline constexpr std::uint32_t kServiceKernelDriver = 1;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceErrorNormal = 1;
inline constexpr std::uint32_t kGenericRead = 0x80000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kFileFlagDeleteOnClose = 0x04000000;
inline constexpr std::uint32_t kFileFlagOverlapped = 0x40000000;
inline constexpr std::uint32_t kDriveUnknown = 0;
inline constexpr std::uint32_t kDriveNoRootDir = 1;
inline constexpr std::uint32_t kDriveRemovable = 2;
inline constexpr std::uint32_t kDriveFixed = 3;
inline constexpr std::uint32_t kDriveRemote = 4;
inline constexpr std::uint32_t kDriveCdrom = 5;
inline constexpr std::uint32_t kDriveRamdisk = 6;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorServiceAlreadyRunning = 1056;
inline constexpr std::uint32_t kErrorServiceExists = 1073;

struct OsVersion {
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
};

class IDriverOs {
  public:
    virtual ~IDriverOs() = default;

    // GetVersionExA with an OSVERSIONINFOA (size field 148); false leaves `out` untouched.
    virtual bool QueryOsVersion(OsVersion& out) = 0;

    // Service manager (OpenSCManagerA on the local machine and the default database,
    // CreateServiceA, OpenServiceA, StartServiceA with no arguments, CloseServiceHandle).
    // Handle results are kNullHandle on failure; LastError() then tells why.
    virtual OsHandle OpenServiceManager(std::uint32_t access) = 0;
    // A service with no load-order group, tag, dependencies, account or password.
    virtual OsHandle CreateKernelService(OsHandle manager, std::string_view serviceName,
                                         std::string_view displayName, std::uint32_t access,
                                         std::uint32_t serviceType, std::uint32_t startType,
                                         std::uint32_t errorControl,
                                         std::string_view binaryPath) = 0;
    virtual OsHandle OpenNamedService(OsHandle manager, std::string_view serviceName,
                                      std::uint32_t access) = 0;
    virtual bool RunService(OsHandle service) = 0;
    // The image path the service manager recorded for the service (QueryServiceConfigA's
    // binary path name, as registered); false when it cannot be read.
    virtual bool ServiceImagePath(OsHandle service, std::string& out) = 0;
    virtual bool CloseService(OsHandle handle) = 0;
    // GetLastError of the calling thread, as the last failing call above left it.
    virtual std::uint32_t LastError() = 0;

    // CreateFileA with no security attributes and no template; kInvalidHandle on failure.
    virtual OsHandle OpenDevice(std::string_view path, std::uint32_t access,
                                std::uint32_t shareMode, std::uint32_t creationDisposition,
                                std::uint32_t flagsAndAttributes) = 0;
    // DeviceIoControl without an OVERLAPPED structure (synchronous).
    virtual bool DeviceControl(OsHandle device, std::uint32_t code, const void* input,
                               std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                               std::uint32_t& bytesReturned) = 0;

    // GetLogicalDriveStringsA: fills `buffer` (bufferSize bytes) with "X:\" roots, each
    // zero-terminated, and an empty string at the end. Returns the length written, or the size
    // needed when the buffer is too small (then nothing is written), or 0 on failure.
    virtual std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t bufferSize) = 0;
    // GetDriveTypeA of a root such as "C:\".
    virtual std::uint32_t DriveType(std::string_view root) = 0;
};

} // namespace velt
