#include "fakes/FakeDriverOs.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

namespace velt::fakes {

namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorGenFailure = 31;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorServiceDoesNotExist = 1060;
constexpr std::uint32_t kErrorServiceRequestTimeout = 1053;
constexpr std::string_view kNtDevice = "\\\\.\\OMXDRV";
constexpr std::string_view kVxdDevice = "\\\\.\\OMXVXD.VXD";
constexpr std::string_view kServiceName = "OMXDRV";

std::string Hex(std::uint32_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << value;
    return out.str();
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

FakeDriverOs FakeDriverOs::Win9x() {
    FakeDriverOs os;
    os.version = {kPlatformWin32Windows, 4};
    return os;
}

FakeDriverOs FakeDriverOs::Nt351() {
    FakeDriverOs os;
    os.version = {kPlatformWin32Nt, 3};
    return os;
}

std::vector<std::uint32_t> FakeDriverOs::RequestCodes() const {
    std::vector<std::uint32_t> codes;
    codes.reserve(requests.size());
    for (const auto& r : requests) {
        codes.push_back(r.code);
    }
    return codes;
}

OsHandle FakeDriverOs::NewHandle(Kind kind) {
    const OsHandle h = next_;
    next_ += 4;
    kinds_.emplace_back(h, kind);
    openHandles.insert(h);
    return h;
}

bool FakeDriverOs::Holds(OsHandle handle, Kind kind) const {
    return openHandles.count(handle) != 0 &&
           std::any_of(kinds_.begin(), kinds_.end(),
                       [&](const auto& k) { return k.first == handle && k.second == kind; });
}

bool FakeDriverOs::Fail(std::uint32_t error) {
    lastError = error;
    return false;
}

bool FakeDriverOs::QueryOsVersion(OsVersion& out) {
    calls.emplace_back("QueryOsVersion()");
    if (versionFails) {
        return Fail(kErrorInvalidParameter);
    }
    out = version;
    return true;
}

OsHandle FakeDriverOs::OpenServiceManager(std::uint32_t access) {
    calls.push_back("OpenServiceManager(" + Hex(access) + ")");
    if (refuseManager) {
        Fail(kErrorAccessDenied);
        return kNullHandle;
    }
    return NewHandle(Kind::Manager);
}

OsHandle FakeDriverOs::CreateKernelService(OsHandle manager, std::string_view serviceName,
                                           std::string_view displayName, std::uint32_t access,
                                           std::uint32_t serviceType, std::uint32_t startType,
                                           std::uint32_t errorControl,
                                           std::string_view binaryPath) {
    calls.push_back("CreateKernelService(" + std::string(serviceName) + "," +
                    std::string(displayName) + "," + Hex(access) + "," +
                    std::to_string(serviceType) + "," + std::to_string(startType) + "," +
                    std::to_string(errorControl) + "," + std::string(binaryPath) + ")");
    if (!Holds(manager, Kind::Manager)) {
        Fail(kErrorInvalidHandle);
        return kNullHandle;
    }
    if (refuseCreate) {
        Fail(kErrorAccessDenied);
        return kNullHandle;
    }
    if (!SameNameIgnoringCase(serviceName, kServiceName)) {
        // This machine only knows how to load one driver; any other name is not our business.
        Fail(kErrorInvalidParameter);
        return kNullHandle;
    }
    if (service != Service::Missing) {
        Fail(kErrorServiceExists);
        return kNullHandle;
    }
    service = Service::Stopped;
    serviceBinaryPath = std::string(binaryPath);
    return NewHandle(Kind::Service);
}

OsHandle FakeDriverOs::OpenNamedService(OsHandle manager, std::string_view serviceName,
                                        std::uint32_t access) {
    calls.push_back("OpenNamedService(" + std::string(serviceName) + "," + Hex(access) + ")");
    if (!Holds(manager, Kind::Manager)) {
        Fail(kErrorInvalidHandle);
        return kNullHandle;
    }
    if (service == Service::Missing || !SameNameIgnoringCase(serviceName, kServiceName)) {
        Fail(kErrorServiceDoesNotExist);
        return kNullHandle;
    }
    if (refuseOpenService) {
        Fail(kErrorAccessDenied);
        return kNullHandle;
    }
    return NewHandle(Kind::Service);
}

bool FakeDriverOs::RunService(OsHandle handle) {
    calls.emplace_back("RunService()");
    if (!Holds(handle, Kind::Service)) {
        return Fail(kErrorInvalidHandle);
    }
    if (service == Service::Running) {
        return Fail(kErrorServiceAlreadyRunning);
    }
    if (refuseStart) {
        return Fail(kErrorServiceRequestTimeout);
    }
    service = Service::Running;
    return true;
}

bool FakeDriverOs::ServiceImagePath(OsHandle handle, std::string& out) {
    if (!Holds(handle, Kind::Service)) {
        return Fail(kErrorInvalidHandle);
    }
    if (refuseQueryConfig) {
        return Fail(kErrorAccessDenied);
    }
    out = serviceBinaryPath;
    return true;
}

bool FakeDriverOs::CloseService(OsHandle handle) {
    calls.emplace_back("CloseService()");
    if (!Holds(handle, Kind::Manager) && !Holds(handle, Kind::Service)) {
        return Fail(kErrorInvalidHandle);
    }
    openHandles.erase(handle);
    return true;
}

OsHandle FakeDriverOs::OpenDevice(std::string_view path, std::uint32_t access,
                                  std::uint32_t shareMode, std::uint32_t creationDisposition,
                                  std::uint32_t flagsAndAttributes) {
    calls.push_back("OpenDevice(" + std::string(path) + "," + Hex(access) + "," + Hex(shareMode) +
                    "," + std::to_string(creationDisposition) + "," + Hex(flagsAndAttributes) +
                    ")");
    const bool isNtDevice = SameNameIgnoringCase(path, kNtDevice);
    const bool isVxd = SameNameIgnoringCase(path, kVxdDevice);
    if (isNtDevice && version.platformId == kPlatformWin32Nt && service == Service::Running &&
        deviceOpensWhenRunning) {
        return NewHandle(Kind::Device);
    }
    if (isVxd && version.platformId != kPlatformWin32Nt && vxdPresent) {
        return NewHandle(Kind::Device);
    }
    Fail(kErrorFileNotFound);
    return kInvalidHandle;
}

bool FakeDriverOs::DeviceControl(OsHandle device, std::uint32_t code, const void* input,
                                 std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                                 std::uint32_t& bytesReturned) {
    Request request;
    request.code = code;
    request.outputSize = outputSize;
    if (input != nullptr && inputSize > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(input);
        request.input.assign(bytes, bytes + inputSize);
    }
    calls.push_back("DeviceControl(" + Hex(code) + "," + std::to_string(inputSize) + "," +
                    std::to_string(outputSize) + ")");
    bool ok = true;
    if (!Holds(device, Kind::Device)) {
        ok = Fail(kErrorInvalidHandle);
    } else if (refusedCodes.count(code) != 0) {
        ok = Fail(kErrorGenFailure);
    }
    bytesReturned = 0;
    if (ok && output != nullptr && outputSize >= 4 && inputSize >= 4 && input != nullptr) {
        // The drive-mask request echoes its 4 bytes unless told to answer otherwise.
        std::uint32_t reply = 0;
        std::memcpy(&reply, input, 4);
        if (maskReply) {
            reply = *maskReply;
        }
        std::memcpy(output, &reply, 4);
        bytesReturned = 4;
    }
    request.succeeded = ok;
    requests.push_back(std::move(request));
    return ok;
}

std::uint32_t FakeDriverOs::LogicalDriveStrings(char* buffer, std::uint32_t bufferSize) {
    calls.push_back("LogicalDriveStrings(" + std::to_string(bufferSize) + ")");
    if (driveStringsFail) {
        Fail(kErrorInvalidParameter);
        return 0;
    }
    std::string roots;
    for (const auto& [letter, type] : drives) {
        roots += letter;
        roots += ":\\";
        roots += '\0';
    }
    const auto length = static_cast<std::uint32_t>(roots.size());
    if (length + 1 > bufferSize) {
        return length + 1; // the size needed, terminator included; nothing written
    }
    std::memcpy(buffer, roots.data(), roots.size());
    buffer[roots.size()] = '\0';
    return length;
}

std::uint32_t FakeDriverOs::DriveType(std::string_view root) {
    calls.push_back("DriveType(" + std::string(root) + ")");
    for (const auto& [letter, type] : drives) {
        if (root.size() == 3 && root[0] == letter && root.substr(1) == ":\\") {
            return type;
        }
    }
    return kDriveNoRootDir;
}

} // namespace velt::fakes
