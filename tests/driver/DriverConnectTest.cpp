#include "DriverTestFixture.h"
#include "driver/PathTrust.h"
#include "platform/PathNames.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace velt {
namespace {

using Service = fakes::FakeDriverOs::Service;
using Shown = fakes::RecordingMessenger::Shown;
using Calls = std::vector<std::string>;

const Shown kNtFailure{"Can not run WinNT-service !  Program can not work in this situation !",
                       "Loading driver ...", kMbIconError};
const Shown kVxdFailure{"Can not connect with VXD !  Program can not work in this situation !",
                        "Initialize VXD ...", kMbIconError};
const Shown kMaskWarning{"At least one CD-drive not anaccessible (probably no disk in drive).",
                         "Analyze drives ...", kMbIconExclamation};

const std::string kOpenNt = "OpenDevice(\\\\.\\OMXDRV,0xC0000000,0x0,3,0x80)";
const std::string kCreate = "CreateKernelService(OMXDRV,OMXDRV,0xF01FF,1,3,1,"
                            "C:\\Program Files\\Veltarion\\OMXDRV.SYS)";
const std::string kOpenService = "OpenNamedService(OMXDRV,0xF01FF)";

// Only the service-manager and device-open part of the recorded calls.
Calls ServiceCalls(const Calls& calls) {
    Calls out;
    for (const auto& c : calls) {
        if (c.rfind("DeviceControl", 0) != 0 && c.rfind("LogicalDrive", 0) != 0 &&
            c.rfind("DriveType", 0) != 0 && c.rfind("QueryOsVersion", 0) != 0) {
            out.push_back(c);
        }
    }
    return out;
}

class DriverConnectTest : public DriverLinkTest {
  protected:
    void SetUp() override {
        os.drives = {{'A', kDriveRemovable}, {'C', kDriveFixed}, {'D', kDriveCdrom}};
        Init();
    }
    bool Connect() {
        return DriverConnect(messenger, [this](std::string_view file, std::string_view reason) {
            refusedFiles.emplace_back(file, reason);
        });
    }
    // The driver files refused, and why, as the connection told them.
    std::vector<std::pair<std::string, std::string>> refusedFiles;
    bool Failed() const { return messenger.terminateRequests == 1 && messenger.shown.size() == 1; }
};

TEST_F(DriverConnectTest, ModulePathsComeFromTheExecutableName) {
    EXPECT_EQ(ExeDir(), "C:\\Program Files\\Veltarion\\");
    EXPECT_EQ(DriverFilePath(), "C:\\Program Files\\Veltarion\\OMXDRV.SYS");
    Init("\\\\srv\\apps\\Veltarion.exe");
    EXPECT_EQ(DriverFilePath(), "\\\\srv\\apps\\OMXDRV.SYS");
    // No executable's name, or none that names one place: no driver path, never a relative one.
    for (const char* exe : {"", "Veltarion.exe", "\\Omvex\\Veltarion.exe", "C:Veltarion.exe"}) {
        Init(exe);
        EXPECT_EQ(DriverFilePath(), "") << exe;
    }
}

TEST_F(DriverConnectTest, FreshMachineInstallsStartsAndOpens) {
    EXPECT_TRUE(Connect());
    EXPECT_EQ(ServiceCalls(os.calls),
              (Calls{"OpenServiceManager(0xF003F)", kOpenNt, kCreate, "CloseService()",
                     kOpenService, "RunService()", "CloseService()", kOpenNt, "CloseService()"}));
    EXPECT_EQ(os.service, Service::Running);
    EXPECT_NE(DriverHandle(), kInvalidHandle);
    EXPECT_TRUE(IsNtFamily());
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(messenger.terminateRequests, 0);
    // Only the device stays open.
    EXPECT_EQ(os.openHandles, std::set<OsHandle>{DriverHandle()});

    // Then the mask (A: floppy, C: fixed, D: CD-ROM) and the zero block.
    ASSERT_EQ(os.RequestCodes(), (std::vector<std::uint32_t>{IOCTL_DRIVE_MASK, IOCTL_SET_PARAMS}));
    EXPECT_EQ(os.requests[0].input, (std::vector<std::uint8_t>{12, 0, 0, 0}));
    EXPECT_EQ(os.requests[0].outputSize, 4U);
    EXPECT_EQ(os.requests[1].input, std::vector<std::uint8_t>(580, 0));
    EXPECT_EQ(os.requests[1].outputSize, 0U);
}

TEST_F(DriverConnectTest, RunningDriverIsOpenedWithoutServiceCalls) {
    os.service = Service::Running;
    EXPECT_TRUE(Connect());
    EXPECT_EQ(ServiceCalls(os.calls),
              (Calls{"OpenServiceManager(0xF003F)", kOpenNt, "CloseService()"}));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverConnectTest, InstalledButStoppedServiceIsStarted) {
    os.service = Service::Stopped;
    EXPECT_TRUE(Connect()); // creation fails with 1073 and the connection carries on
    EXPECT_EQ(ServiceCalls(os.calls),
              (Calls{"OpenServiceManager(0xF003F)", kOpenNt, kCreate, kOpenService, "RunService()",
                     "CloseService()", kOpenNt, "CloseService()"}));
    EXPECT_NE(DriverHandle(), kInvalidHandle);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverConnectTest, ServiceWithoutDeviceIsReportedAndEndsTheProgram) {
    // Running already ("already running" from the start) or created and started just now: with
    // no device to open, nothing could ever be protected, so the user is told and the program
    // ends instead of running on with every request failing.
    for (const Service state : {Service::Running, Service::Missing}) {
        SCOPED_TRACE(static_cast<int>(state));
        os = fakes::FakeDriverOs::Nt();
        messenger = fakes::RecordingMessenger{};
        os.service = state;
        os.deviceOpensWhenRunning = false;
        Init();
        EXPECT_FALSE(Connect());
        EXPECT_EQ(DriverHandle(), kInvalidHandle);
        EXPECT_EQ(messenger.shown, std::vector<Shown>{kNtFailure});
        EXPECT_EQ(messenger.terminateRequests, 1);
        // With no device the later requests fail quietly: no mask warning either.
        for (const auto& r : os.requests) {
            EXPECT_FALSE(r.succeeded);
        }
        EXPECT_FALSE(DriverStart("C:\\X", "*", "abc", 2));
    }
}

TEST_F(DriverConnectTest, UnreachableNtDriverEndsTheProgram) {
    struct Row {
        const char* name;
        void (*setup)(fakes::FakeDriverOs&);
    };
    const Row rows[] = {
        {"service cannot be created or started",
         [](fakes::FakeDriverOs& o) { o.refuseCreate = true; }},
        {"driver does not load",
         [](fakes::FakeDriverOs& o) {
             o.refuseStart = true;
             o.service = Service::Stopped;
         }},
        {"service cannot be opened",
         [](fakes::FakeDriverOs& o) {
             o.refuseOpenService = true;
             o.service = Service::Stopped;
         }},
        {"no service manager", [](fakes::FakeDriverOs& o) { o.refuseManager = true; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        os = fakes::FakeDriverOs::Nt();
        messenger = fakes::RecordingMessenger{};
        row.setup(os);
        Init();
        EXPECT_FALSE(Connect());
        EXPECT_EQ(messenger.shown, std::vector<Shown>{kNtFailure});
        EXPECT_EQ(messenger.terminateRequests, 1);
        EXPECT_EQ(DriverHandle(), kInvalidHandle);
        // The remaining steps still run, and fail without a device.
        EXPECT_EQ(os.RequestCodes(),
                  (std::vector<std::uint32_t>{IOCTL_DRIVE_MASK, IOCTL_SET_PARAMS}));
        EXPECT_TRUE(os.openHandles.empty());
    }
}

TEST_F(DriverConnectTest, NoServiceManagerButDriverLoadedIsFine) {
    os.refuseManager = true;
    os.service = Service::Running;
    EXPECT_TRUE(Connect());
    EXPECT_EQ(ServiceCalls(os.calls), (Calls{"OpenServiceManager(0xF003F)", kOpenNt}));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverConnectTest, DriverFilePathTooLongInstallsNothing) {
    const std::string dir = "C:\\" + std::string(242, 'd') + "\\"; // 246 + 10 = 256 characters
    Init((dir + "Veltarion.exe").c_str());
    EXPECT_EQ(ExeDir(), dir);
    EXPECT_EQ(DriverFilePath(), "");
    EXPECT_FALSE(Connect());
    EXPECT_EQ(messenger.shown, std::vector<Shown>{kNtFailure});
    for (const auto& c : os.calls) {
        EXPECT_EQ(c.rfind("CreateKernelService", 0), std::string::npos);
    }

    // One character less fits exactly.
    const std::string shorter = "C:\\" + std::string(241, 'd') + "\\";
    Init((shorter + "Veltarion.exe").c_str());
    EXPECT_EQ(DriverFilePath().size(), 255U);
}

TEST_F(DriverConnectTest, TooLongPathStillStartsAnInstalledService) {
    os.service = Service::Stopped;
    Init(("C:\\" + std::string(300, 'd') + "\\Veltarion.exe").c_str());
    EXPECT_TRUE(Connect());
    EXPECT_NE(DriverHandle(), kInvalidHandle);
}

TEST_F(DriverConnectTest, FamilyDecision) {
    struct Row {
        OsVersion version;
        bool nt;
    };
    const Row rows[] = {
        {{kPlatformWin32Nt, 4}, true},  {{kPlatformWin32Nt, 10}, true},
        {{kPlatformWin32Nt, 3}, false}, {{kPlatformWin32Windows, 4}, false},
        {{0, 5}, false} /* Win32s */,
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.version.platformId << "." << row.version.majorVersion);
        os = fakes::FakeDriverOs::Nt();
        os.version = row.version;
        os.service = Service::Running;
        Init();
        Connect();
        EXPECT_EQ(IsNtFamily(), row.nt);
        const bool openedVxd =
            std::find(os.calls.begin(), os.calls.end(),
                      "OpenDevice(\\\\.\\OMXVXD.VXD,0x0,0x0,0,0x44000000)") != os.calls.end();
        EXPECT_EQ(openedVxd, !row.nt);
    }
}

TEST_F(DriverConnectTest, Win9xOpensTheVxdAndSendsNoMask) {
    os = fakes::FakeDriverOs::Win9x();
    Init();
    EXPECT_TRUE(Connect());
    EXPECT_EQ(ServiceCalls(os.calls),
              (Calls{"OpenDevice(\\\\.\\OMXVXD.VXD,0x0,0x0,0,0x44000000)"}));
    EXPECT_EQ(os.RequestCodes(), std::vector<std::uint32_t>{IOCTL_SET_PARAMS});
    EXPECT_EQ(os.requests[0].input, std::vector<std::uint8_t>(580, 0));
    EXPECT_TRUE(os.requests[0].succeeded);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverConnectTest, Nt351TakesThe9xPath) {
    os = fakes::FakeDriverOs::Nt351();
    Init();
    EXPECT_FALSE(Connect()); // NT 3.51 has no VXD
    EXPECT_FALSE(IsNtFamily());
    EXPECT_EQ(messenger.shown, std::vector<Shown>{kVxdFailure});
    EXPECT_EQ(messenger.terminateRequests, 1);
}

TEST_F(DriverConnectTest, MissingVxdEndsTheProgram) {
    os = fakes::FakeDriverOs::Win9x();
    os.vxdPresent = false;
    Init();
    EXPECT_FALSE(Connect());
    EXPECT_EQ(messenger.shown, std::vector<Shown>{kVxdFailure});
    EXPECT_EQ(messenger.terminateRequests, 1);
    EXPECT_EQ(os.RequestCodes(), std::vector<std::uint32_t>{IOCTL_SET_PARAMS});
}

TEST_F(DriverConnectTest, UnknownVersionTakesThe9xPath) {
    os.versionFails = true;
    os.service = Service::Running;
    Init();
    EXPECT_FALSE(Connect());
    EXPECT_FALSE(IsNtFamily());
    EXPECT_EQ(messenger.shown, std::vector<Shown>{kVxdFailure});
}

TEST_F(DriverConnectTest, DifferentMaskWarnsAndGoesOn) {
    os.service = Service::Running;
    os.maskReply = 4; // D: not accessible to the driver
    Init();
    EXPECT_TRUE(Connect());
    EXPECT_EQ(messenger.shown, std::vector<Shown>{kMaskWarning});
    EXPECT_EQ(messenger.terminateRequests, 0);
    EXPECT_EQ(os.RequestCodes(), (std::vector<std::uint32_t>{IOCTL_DRIVE_MASK, IOCTL_SET_PARAMS}));
    EXPECT_TRUE(DriverStart("C:\\X", "*", "abc", 2));
}

TEST_F(DriverConnectTest, RefusedMaskRequestIsNoMismatch) {
    os.service = Service::Running;
    os.refusedCodes = {IOCTL_DRIVE_MASK, IOCTL_SET_PARAMS};
    Init();
    EXPECT_TRUE(Connect()); // the zero block's result is not tested either
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverConnectTest, ConnectionSendsZeroBlockEvenAfterAnActivation) {
    os.service = Service::Running;
    Init();
    ASSERT_TRUE(Connect());
    DriverStart("C:\\X", "*", "abc", 2);
    os.requests.clear();
    Connect();
    ASSERT_FALSE(os.requests.empty());
    EXPECT_EQ(os.requests.back().input, std::vector<std::uint8_t>(580, 0));
}

// Before the service is installed or started from the file beside the program: a driver for the
// other kind of Windows, or a file or folder that others than the system's own writers may
// change, is neither installed nor started, and the user is told why.
TEST_F(DriverConnectTest, DriverFileOfTheWrongKindOrOpenToOtherUsersIsRefused) {
    using Files = fakes::FakeDriverFiles;
    const std::string folder = "C:\\Program Files\\Veltarion";
    const std::string file = folder + "\\OMXDRV.SYS";
    const std::map<char, std::string> texts = {
        {'R', "The driver file " + file +
                  " can be changed by users who are not administrators, so it is not loaded into "
                  "Windows. Move the program to a folder that only administrators can change, "
                  "such as Program Files."},
        {'6', "This is 64-bit Windows, but OMXDRV.SYS beside Veltarion.exe is a driver for 32-bit "
              "Windows. Install the 64-bit package."},
        {'3', "This is 32-bit Windows, but OMXDRV.SYS beside Veltarion.exe is a driver for 64-bit "
              "Windows. Install the 32-bit package."}};
    const auto i386 = Files::PeImage(0x014C);
    const auto amd64 = Files::PeImage(0x8664);
    auto notPe = i386;
    notPe[0x80] = 'N';
    auto farHeader = amd64;
    farHeader[63] = 0xFF; // the PE header's offset lies far past the end
    const std::string users = "S-1-5-32-545";
    const std::string everyone = "S-1-1-0";
    const std::string wineUser = "S-1-5-21-0-0-0-1000";
    const auto grant = [](const std::string& path, std::vector<AccessEntry> more) {
        return [=](Files& o) {
            o.security[path] = Files::AdminsOnly();
            o.security[path]->entries.insert(o.security[path]->entries.end(), more.begin(),
                                             more.end());
        };
    };
    struct Row {
        const char* name;
        bool windows64;
        std::optional<std::vector<std::uint8_t>> image;
        std::function<void(Files&)> rights;
        char refusal; // 0: installed and started
    };
    const auto none = [](Files&) {};
    const auto fresh = [&] {
        os = fakes::FakeDriverOs::Nt();
        files = Files{};
        messenger = fakes::RecordingMessenger{};
    };
    const std::vector<Row> rows = {
        {"32-bit Windows, i386", false, i386, none, 0},
        {"32-bit Windows, AMD64", false, amd64, none, '3'},
        {"64-bit Windows, i386", true, i386, none, '6'},
        {"64-bit Windows, AMD64", true, amd64, none, 0},
        {"no PE image", true, notPe, none, 0},
        {"PE offset past the end", false, farHeader, none, 0},
        {"missing file", true, std::nullopt, none, 0},
        {"folder writable by everyone (o+w)", false, i386, grant(folder, {{everyone, 0x1301FF}}),
         'R'},
        {"Users may write the file", false, i386, grant(file, {{users, 0x2}}), 'R'},
        {"Users may delete in the folder", false, i386, grant(folder, {{users, 0x40}}), 'R'},
        {"Users may change the rights", false, i386, grant(file, {{users, 0x40000}}), 'R'},
        {"Users may take the ownership", false, i386, grant(file, {{users, 0x80000}}), 'R'},
        {"empty file Users may write", false, std::vector<std::uint8_t>{},
         grant(file, {{users, 0x2}}), 'R'},
        {"generic write for Users", false, i386, grant(file, {{users, 0x40000000}}), 'R'},
        {"missing file, open folder", false, std::nullopt, grant(folder, {{everyone, 0x2}}), 'R'},
        {"denying and inherit-only entries", false, i386,
         grant(folder, {{everyone, 0x1F01FF, AceType{VELT_ACE_DENIED}},
                        {"S-1-3-0", 0x10000000, AceType{}, VELT_ACE_INHERIT_ONLY}}),
         0},
        {"folder owned by a user", false, i386,
         [&](Files& o) {
             o.security[folder] = SecuritySummary{"S-1-5-21-1-2-3-1001", true, {}};
         },
         'R'},
        {"no access list", false, i386,
         [&](Files& o) {
             o.security[file] = SecuritySummary{"S-1-5-32-544", false, {}};
         },
         'R'},
        {"unreadable folder rights", false, i386, [&](Files& o) { o.security[folder].reset(); },
         'R'},
        {"Users may delete the folder from its parent", false, i386,
         grant("C:\\Program Files", {{users, 0x40}}), 'R'},
        {"a junction above the folder", false, i386,
         [&](Files& o) {
             o.security["C:\\Program Files"] = Files::AdminsOnly();
             o.security["C:\\Program Files"]->reparsePoint = true;
         },
         'R'},
        {"Users may add folders to the root", false, i386, grant("C:\\", {{users, 0x4}}), 0},
        {"Users may add files to the folder", false, i386, grant(folder, {{users, 0x2}}), 'R'},
        {"owned by the system folder's owner (Wine)", false, i386,
         [&](Files& o) {
             o.defaultSecurity = {wineUser, true, {{wineUser, 0x1F01FF}, {everyone, 0x1200A9}}};
         },
         0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fresh();
        files.windows64 = row.windows64;
        if (row.image) {
            files.contents[file] = *row.image;
        }
        row.rights(files);
        Init();
        refusedFiles.clear();
        EXPECT_EQ(Connect(), row.refusal == 0);
        if (row.refusal == 0) {
            EXPECT_TRUE(messenger.shown.empty());
            EXPECT_TRUE(refusedFiles.empty());
            continue;
        }
        EXPECT_EQ(refusedFiles, (std::vector<std::pair<std::string, std::string>>{
                                    {file, texts.at(row.refusal)}}));
        EXPECT_EQ(messenger.shown, (std::vector<Shown>{{texts.at(row.refusal), "Loading driver ...",
                                                        kMbIconError}}));
        EXPECT_EQ(messenger.terminateRequests, 1);
        EXPECT_EQ(os.service, Service::Missing) << "nothing installed";
        EXPECT_EQ(ServiceCalls(os.calls),
                  (Calls{"OpenServiceManager(0xF003F)", kOpenNt, "CloseService()"}));
    }

    // A service that exists is started only for a file that passes the same checks.
    const std::pair<std::string, const char*> images[] = {
        {"\\??\\" + file, nullptr},
        {"System32\\DRIVERS\\OMXDRV.SYS", nullptr},
        {"C:\\Temp\\OMXDRV.SYS", "C:\\Temp\\OMXDRV.SYS can be changed by users"},
        {"\\Device\\HarddiskVolume1\\OMXDRV.SYS", "which cannot be checked"},
        {"C:\\Program Files\\..\\Temp\\OMXDRV.SYS", "which cannot be checked"},
    };
    for (const auto& [image, refusal] : images) {
        fresh();
        os.service = Service::Stopped;
        os.serviceBinaryPath = image;
        grant("C:\\Temp", {{everyone, 0x1301FF}})(files);
        Init();
        EXPECT_EQ(Connect(), refusal == nullptr) << image;
        EXPECT_EQ(os.service, refusal ? Service::Stopped : Service::Running) << image;
        const std::string shown = messenger.shown.empty() ? "" : messenger.shown[0].text;
        EXPECT_EQ(shown.find(refusal ? refusal : "~") != std::string::npos, refusal != nullptr);
    }

    // A file the service would record in a form the start cannot check is not registered at all.
    for (const char* exe : {"\\\\srv\\share\\V\\Veltarion.exe", "C:\\Tools.\\Veltarion.exe"}) {
        fresh();
        files.contents[ExtractFilePath(exe) + "OMXDRV.SYS"] = i386;
        Init(exe);
        EXPECT_FALSE(Connect()) << exe;
        EXPECT_EQ(os.service, Service::Missing) << exe;
    }

    // A driver that runs is used whatever its file.
    fresh();
    os.service = Service::Running;
    files.windows64 = true;
    grant(folder, {{everyone, 0x1301FF}})(files);
    Init();
    EXPECT_TRUE(Connect());

    // A program at a drive's root: the root's rights count, not the drive's current folder's.
    fresh();
    files.contents["C:\\OMXDRV.SYS"] = i386;
    grant("C:\\", {{everyone, 0x1301FF}})(files);
    Init("C:\\Veltarion.exe");
    EXPECT_FALSE(Connect());
}

} // namespace
} // namespace velt
