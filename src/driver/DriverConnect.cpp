#include "driver/OMX_API.h"
#include "driver/DriverFileCheck.h"
#include "driver/OmxModule.h"
#include "driver/ServiceImage.h"

#include <string>

namespace velt {

namespace {

constexpr std::string_view kNtFailCaption = "Loading driver ...";
constexpr std::string_view kNtFailText =
    "Can not run WinNT-service !  Program can not work in this situation !";
constexpr std::string_view kVxdFailCaption = "Initialize VXD ...";
constexpr std::string_view kVxdFailText =
    "Can not connect with VXD !  Program can not work in this situation !";
constexpr std::string_view kMaskCaption = "Analyze drives ...";
constexpr std::string_view kMaskText =
    "At least one CD-drive not anaccessible (probably no disk in drive).";

bool OpenVxd(omx::Module& m) {
    m.handle =
        m.os->OpenDevice(kVxdDevicePath, 0, 0, 0, kFileFlagDeleteOnClose | kFileFlagOverlapped);
    return m.handle != kInvalidHandle;
}

// Sends the local drive mask and warns when the driver answers with another one. A request that
// fails is no answer at all: then nothing is compared and nothing is shown.
void ExchangeDriveMask(IMessenger& messenger) {
    const std::uint32_t sent = LocalDriveMask();
    std::uint32_t returned = 0;
    if (!omx::SendRequest(IOCTL_DRIVE_MASK, &sent, sizeof(sent), &returned, sizeof(returned))) {
        return;
    }
    if (returned != sent) {
        messenger.ShowMessage(kMaskText, kMaskCaption, kMbOk | kMbIconExclamation);
    }
}

// Empty when the file a service with this image path loads may be loaded; else why not. The
// file is judged as the kernel will name it (ServiceImageFile): one whose file cannot be told is
// not trusted. The file goes to `file`.
std::string ImageRefusal(IDriverFiles& files, std::string_view image, std::string& file) {
    file = ServiceImageFile(image, files.SystemFolder());
    if (file.empty()) {
        return "The driver service " + std::string(kDriverServiceName) + " loads \"" +
               std::string(image) + "\", which cannot be checked, so it is not started.";
    }
    return DriverFileRefusal(files, file);
}

// The same for the registered service: one that a setup, another copy or anyone else registered
// earlier may point anywhere, so its file must pass the checks the file beside the program
// passes.
std::string ServiceImageRefusal(IDriverOs& os, IDriverFiles& files, OsHandle service,
                                std::string& file) {
    std::string image;
    if (!os.ServiceImagePath(service, image)) {
        file.clear();
        return ImageRefusal(files, "", file);
    }
    return ImageRefusal(files, image, file);
}

} // namespace

const std::string& LoadedDriverImage() {
    omx::Module& m = omx::State();
    if (!m.loadedImage.empty() || m.os == nullptr || m.files == nullptr || !m.isNtFamily ||
        m.handle == kInvalidHandle) {
        return m.loadedImage;
    }
    // Found running: the image its service records, read with the rights every user has.
    const OsHandle manager = m.os->OpenServiceManager(kScManagerConnect);
    if (manager == kNullHandle) {
        return m.loadedImage;
    }
    const OsHandle service =
        m.os->OpenNamedService(manager, kDriverServiceName, kServiceQueryConfig);
    std::string image;
    if (service != kNullHandle) {
        if (m.os->ServiceImagePath(service, image)) {
            m.loadedImage = ServiceImageFile(image, m.files->SystemFolder());
        }
        m.os->CloseService(service);
    }
    m.os->CloseService(manager);
    return m.loadedImage;
}

bool OpenDriverDevice(std::string_view deviceName, OsHandle& handle) {
    IDriverOs* os = omx::State().os;
    if (os == nullptr) {
        return false;
    }
    const OsHandle opened = os->OpenDevice(deviceName, kGenericRead | kGenericWrite, 0,
                                           kOpenExisting, kFileAttributeNormal);
    if (opened == kInvalidHandle) {
        return false;
    }
    handle = opened;
    return true;
}

bool InstallDriverService(OsHandle manager, std::string_view serviceName,
                          std::string_view driverFilePath) {
    IDriverOs* os = omx::State().os;
    // An empty path means the real one did not fit: never register a service without its file.
    if (os == nullptr || driverFilePath.empty()) {
        return false;
    }
    const OsHandle service = os->CreateKernelService(
        manager, serviceName, serviceName, kServiceAllAccess, kServiceKernelDriver,
        kServiceDemandStart, kServiceErrorNormal, driverFilePath);
    if (service == kNullHandle) {
        return false; // an existing service (1073) lands here too, which is harmless
    }
    os->CloseService(service);
    return true;
}

bool StartDriverService(OsHandle manager, std::string_view serviceName, std::string* refusal) {
    IDriverOs* os = omx::State().os;
    IDriverFiles* files = omx::State().files;
    if (os == nullptr || files == nullptr) {
        return false;
    }
    const OsHandle service = os->OpenNamedService(manager, serviceName, kServiceAllAccess);
    if (service == kNullHandle) {
        return false;
    }
    std::string image;
    std::string refused = ServiceImageRefusal(*os, *files, service, image);
    bool started = false;
    if (!refused.empty()) {
        if (refusal != nullptr) {
            *refusal = std::move(refused);
        }
    } else if (!(started = os->RunService(service))) {
        started = os->LastError() == kErrorServiceAlreadyRunning;
    }
    os->CloseService(service);
    if (started) {
        omx::State().loadedImage = image;
    }
    return started;
}

bool ConnectNtDriver(std::string_view serviceName, std::string_view driverFilePath,
                     OsHandle& handle, std::string* refusal) {
    IDriverOs* os = omx::State().os;
    if (os == nullptr) {
        return false;
    }
    const std::string deviceName = std::string(kDevicePrefix) + std::string(serviceName);
    const OsHandle manager = os->OpenServiceManager(kScManagerAllAccess);

    bool result = OpenDriverDevice(deviceName, handle);
    if (!result) {
        // A driver that runs is used as it is; only the file about to be installed or started
        // is examined, as the service will record it, and a refused one is neither: nothing is
        // registered that the start would refuse.
        std::string file;
        std::string refused = driverFilePath.empty()
                                  ? std::string()
                                  : ImageRefusal(*omx::State().files, driverFilePath, file);
        if (!refused.empty()) {
            if (refusal != nullptr) {
                *refusal = std::move(refused);
            }
        } else {
            // All three run, in this order, whatever the earlier ones gave, unless the service
            // that exists loads a file that is refused. Only an open device counts as reaching
            // the driver: a service that was created or started but whose device cannot be
            // opened (a missing or broken driver file) would leave the program running with
            // every request failing, so that is reported like any other failure.
            InstallDriverService(manager, serviceName, driverFilePath);
            std::string refusedImage;
            StartDriverService(manager, serviceName, &refusedImage);
            if (refusedImage.empty()) {
                result = OpenDriverDevice(deviceName, handle);
            } else if (refusal != nullptr) {
                *refusal = std::move(refusedImage);
            }
        }
    }
    if (manager != kNullHandle) {
        os->CloseService(manager);
    }
    return result;
}

bool DriverConnect(IMessenger& messenger, const DriverFileRefused& refused) {
    omx::Module& m = omx::State();
    if (m.os == nullptr) {
        return false;
    }
    OsVersion version;
    if (!m.os->QueryOsVersion(version)) {
        version = OsVersion{}; // an unknown platform takes the 9x path
    }
    constexpr std::uint32_t kFirstNtFamilyMajor = 4;
    m.isNtFamily =
        version.platformId == kPlatformWin32Nt && version.majorVersion >= kFirstNtFamilyMajor;

    bool result = false;
    if (m.isNtFamily) {
        std::string refusal;
        result = ConnectNtDriver(kDriverServiceName, m.driverFilePath, m.handle, &refusal);
        if (!result && !refusal.empty() && refused) {
            refused(m.driverFilePath, refusal);
        }
        if (!result) {
            messenger.ShowMessage(refusal.empty() ? kNtFailText : std::string_view(refusal),
                                  kNtFailCaption, kMbOk | kMbIconError);
            messenger.RequestTerminate();
        }
    } else {
        result = OpenVxd(m);
        if (!result) {
            messenger.ShowMessage(kVxdFailText, kVxdFailCaption, kMbOk | kMbIconError);
            messenger.RequestTerminate();
        }
    }

    // Termination takes effect later; with no device these requests fail and change nothing.
    if (m.isNtFamily) {
        ExchangeDriveMask(messenger);
    }
    // The driver starts with no paths and no key. The module's own block is not used here so
    // that a connection can never hand over an earlier activation's digest.
    const DriverParamBlock zero{};
    omx::SendRequest(IOCTL_SET_PARAMS, &zero, sizeof(zero), nullptr, 0);
    return result;
}

} // namespace velt
