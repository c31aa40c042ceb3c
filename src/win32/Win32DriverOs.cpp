#include "win32/Win32DriverOs.h"

#include <windows.h>

#include <string>
#include <vector>

namespace velt {

namespace {

static_assert(sizeof(OsHandle) == sizeof(HANDLE));

HANDLE ToHandle(OsHandle h) {
    return reinterpret_cast<HANDLE>(h);
}
SC_HANDLE ToScHandle(OsHandle h) {
    return reinterpret_cast<SC_HANDLE>(h);
}
OsHandle FromHandle(const void* h) {
    return reinterpret_cast<OsHandle>(h);
}

// The Win32 calls want zero-terminated strings; a view need not be one.
std::string Terminated(std::string_view text) {
    return std::string(text);
}

} // namespace

bool Win32DriverOs::QueryOsVersion(OsVersion& out) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info); // 148
    static_assert(sizeof(OSVERSIONINFOA) == 148);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExA(&info) == FALSE) {
        return false;
    }
#pragma GCC diagnostic pop
    out.platformId = info.dwPlatformId;
    out.majorVersion = info.dwMajorVersion;
    return true;
}

OsHandle Win32DriverOs::OpenServiceManager(std::uint32_t access) {
    return FromHandle(OpenSCManagerA(nullptr, nullptr, access));
}

OsHandle Win32DriverOs::CreateKernelService(OsHandle manager, std::string_view serviceName,
                                            std::string_view displayName, std::uint32_t access,
                                            std::uint32_t serviceType, std::uint32_t startType,
                                            std::uint32_t errorControl,
                                            std::string_view binaryPath) {
    const std::string name = Terminated(serviceName);
    const std::string display = Terminated(displayName);
    const std::string path = Terminated(binaryPath);
    return FromHandle(CreateServiceA(ToScHandle(manager), name.c_str(), display.c_str(), access,
                                     serviceType, startType, errorControl, path.c_str(), nullptr,
                                     nullptr, nullptr, nullptr, nullptr));
}

OsHandle Win32DriverOs::OpenNamedService(OsHandle manager, std::string_view serviceName,
                                         std::uint32_t access) {
    const std::string name = Terminated(serviceName);
    return FromHandle(OpenServiceA(ToScHandle(manager), name.c_str(), access));
}

bool Win32DriverOs::RunService(OsHandle service) {
    return StartServiceA(ToScHandle(service), 0, nullptr) != FALSE;
}

bool Win32DriverOs::ServiceImagePath(OsHandle service, std::string& out) {
    // A configuration is a few hundred bytes; a larger answer is not read.
    constexpr DWORD kMaxConfig = 64 * 1024;
    DWORD needed = 0;
    QueryServiceConfigA(ToScHandle(service), nullptr, 0, &needed);
    if (needed == 0 || needed > kMaxConfig) {
        return false;
    }
    // QUERY_SERVICE_CONFIGA holds pointers: the buffer is aligned for them.
    std::vector<QUERY_SERVICE_CONFIGA> config(needed / sizeof(QUERY_SERVICE_CONFIGA) + 1);
    if (QueryServiceConfigA(ToScHandle(service), config.data(),
                            static_cast<DWORD>(config.size() * sizeof(QUERY_SERVICE_CONFIGA)),
                            &needed) == FALSE ||
        config[0].lpBinaryPathName == nullptr) {
        return false;
    }
    out = config[0].lpBinaryPathName;
    return true;
}

bool Win32DriverOs::CloseService(OsHandle handle) {
    return CloseServiceHandle(ToScHandle(handle)) != FALSE;
}

std::uint32_t Win32DriverOs::LastError() {
    return GetLastError();
}

OsHandle Win32DriverOs::OpenDevice(std::string_view path, std::uint32_t access,
                                   std::uint32_t shareMode, std::uint32_t creationDisposition,
                                   std::uint32_t flagsAndAttributes) {
    const std::string name = Terminated(path);
    return FromHandle(CreateFileA(name.c_str(), access, shareMode, nullptr, creationDisposition,
                                  flagsAndAttributes, nullptr));
}

bool Win32DriverOs::DeviceControl(OsHandle device, std::uint32_t code, const void* input,
                                  std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                                  std::uint32_t& bytesReturned) {
    DWORD returned = 0;
    // DeviceIoControl takes a non-const input pointer but only reads from it.
    const BOOL ok = DeviceIoControl(ToHandle(device), code, const_cast<void*>(input), inputSize,
                                    output, outputSize, &returned, nullptr);
    bytesReturned = returned;
    return ok != FALSE;
}

std::uint32_t Win32DriverOs::LogicalDriveStrings(char* buffer, std::uint32_t bufferSize) {
    return GetLogicalDriveStringsA(bufferSize, buffer);
}

std::uint32_t Win32DriverOs::DriveType(std::string_view root) {
    const std::string name = Terminated(root);
    return GetDriveTypeA(name.c_str());
}

} // namespace velt
