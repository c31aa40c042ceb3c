// The driver link's operating-system calls, made for real through the Win32 API.
#pragma once

#include "platform/DriverOs.h"

namespace velt {

class Win32DriverOs : public IDriverOs {
  public:
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
    std::uint32_t LastError() override;
    OsHandle OpenDevice(std::string_view path, std::uint32_t access, std::uint32_t shareMode,
                        std::uint32_t creationDisposition,
                        std::uint32_t flagsAndAttributes) override;
    bool DeviceControl(OsHandle device, std::uint32_t code, const void* input,
                       std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                       std::uint32_t& bytesReturned) override;
    std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t bufferSize) override;
    std::uint32_t DriveType(std::string_view root) override;
};

} // namespace velt
