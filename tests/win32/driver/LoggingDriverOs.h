// Passes every driver-OS call on to a real implementation and logs it as "Name:ok" or
// "Name:fail" (device opens and requests with their path or code), so that a test sees which
// service-manager calls a connection made under Wine and how they turned out.
#pragma once

#include "platform/DriverOs.h"

#include <string>
#include <vector>

namespace velt::standin {

class LoggingDriverOs : public IDriverOs {
  public:
    explicit LoggingDriverOs(IDriverOs& inner) : inner_(inner) {}

    std::vector<std::string> calls;
    // True when a logged call starts with `prefix` (for example "RunService:ok").
    bool Called(const std::string& prefix) const;

    bool QueryOsVersion(OsVersion& out) override;
    OsHandle OpenServiceManager(std::uint32_t access) override;
    OsHandle CreateKernelService(OsHandle manager, std::string_view serviceName,
                                 std::string_view displayName, std::uint32_t access,
                                 std::uint32_t serviceType, std::uint32_t startType,
                                 std::uint32_t errorControl, std::string_view binaryPath) override;
    OsHandle OpenNamedService(OsHandle manager, std::string_view serviceName,
                              std::uint32_t access) override;
    bool RunService(OsHandle service) override;
    bool ServiceImagePath(OsHandle service, std::string& out) override {
        const bool ok = inner_.ServiceImagePath(service, out);
        Log("ServiceImagePath", ok);
        return ok;
    }
    bool CloseService(OsHandle handle) override;
    std::uint32_t LastError() override { return inner_.LastError(); }
    OsHandle OpenDevice(std::string_view path, std::uint32_t access, std::uint32_t shareMode,
                        std::uint32_t creationDisposition,
                        std::uint32_t flagsAndAttributes) override;
    bool DeviceControl(OsHandle device, std::uint32_t code, const void* input,
                       std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                       std::uint32_t& bytesReturned) override;
    std::uint32_t LogicalDriveStrings(char* buffer, std::uint32_t bufferSize) override {
        return inner_.LogicalDriveStrings(buffer, bufferSize);
    }
    std::uint32_t DriveType(std::string_view root) override { return inner_.DriveType(root); }

  private:
    void Log(std::string name, bool ok) { calls.push_back(name + (ok ? ":ok" : ":fail")); }
    IDriverOs& inner_;
};

} // namespace velt::standin
