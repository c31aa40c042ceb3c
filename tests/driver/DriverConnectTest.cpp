#include "DriverTestFixture.h"

#include <string>

namespace velt {
namespace {

using Service = fakes::FakeDriverOs::Service;
using Shown = fakes::RecordingMessenger::Shown;
using Calls = std::vector<std::string>;

const Shown kNtFailure{"Can not run WinNT-service !  Program can not work in this situation !",
                       "Loading driver ...", 16};
const Shown kVxdFailure{"Can not connect with VXD !  Program can not work in this situation !",
                        "Initialize VXD ...", 16};
const Shown kMaskWarning{"At least one CD-drive not anaccessible (probably no disk in drive).",
                         "Analyze drives ...", 48};

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
    bool Connect() { return DriverConnect(messenger); }
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

} // namespace
} // namespace velt
