#include "win32/driver/LoggingDriverOs.h"

#include <cstdio>

namespace velt::standin {

bool LoggingDriverOs::Called(const std::string& prefix) const {
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

bool LoggingDriverOs::QueryOsVersion(OsVersion& out) {
    bool ok = inner_.QueryOsVersion(out);
    Log("QueryOsVersion", ok);
    return ok;
}

OsHandle LoggingDriverOs::OpenServiceManager(std::uint32_t access) {
    OsHandle handle = inner_.OpenServiceManager(access);
    Log("OpenServiceManager", handle != kNullHandle);
    return handle;
}

OsHandle LoggingDriverOs::CreateKernelService(OsHandle manager, std::string_view serviceName,
                                              std::string_view displayName, std::uint32_t access,
                                              std::uint32_t serviceType, std::uint32_t startType,
                                              std::uint32_t errorControl,
                                              std::string_view binaryPath) {
    OsHandle handle = inner_.CreateKernelService(manager, serviceName, displayName, access,
                                                 serviceType, startType, errorControl, binaryPath);
    Log("CreateKernelService", handle != kNullHandle);
    return handle;
}

OsHandle LoggingDriverOs::OpenNamedService(OsHandle manager, std::string_view serviceName,
                                           std::uint32_t access) {
    OsHandle handle = inner_.OpenNamedService(manager, serviceName, access);
    Log("OpenNamedService", handle != kNullHandle);
    return handle;
}

bool LoggingDriverOs::RunService(OsHandle service) {
    bool ok = inner_.RunService(service);
    Log("RunService", ok);
    return ok;
}

bool LoggingDriverOs::CloseService(OsHandle handle) {
    bool ok = inner_.CloseService(handle);
    Log("CloseService", ok);
    return ok;
}

OsHandle LoggingDriverOs::OpenDevice(std::string_view path, std::uint32_t access,
                                     std::uint32_t shareMode, std::uint32_t creationDisposition,
                                     std::uint32_t flagsAndAttributes) {
    OsHandle handle =
        inner_.OpenDevice(path, access, shareMode, creationDisposition, flagsAndAttributes);
    Log("OpenDevice " + std::string(path), handle != kInvalidHandle);
    return handle;
}

bool LoggingDriverOs::DeviceControl(OsHandle device, std::uint32_t code, const void* input,
                                    std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                                    std::uint32_t& bytesReturned) {
    bool ok =
        inner_.DeviceControl(device, code, input, inputSize, output, outputSize, bytesReturned);
    char name[32];
    std::snprintf(name, sizeof(name), "DeviceControl %08X", static_cast<unsigned>(code));
    Log(name, ok);
    return ok;
}

} // namespace velt::standin
