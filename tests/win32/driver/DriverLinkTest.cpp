// The controller's driver link for real under Wine: the driver link module over the Win32 driver
// OS, against the stand-in OMXDRV driver loaded through the service manager. Outcomes are read
// back from the driver's journal and from the service manager, not from Wine's error codes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "digest/MD5_RC4.h"
#include "driver/OMX_API.h"
#include "fakes/RecordingMessenger.h"
#include "win32/ExecutableName.h"
#include "win32/Win32DriverFiles.h"
#include "win32/Win32DriverOs.h"
#include "win32/driver/LoggingDriverOs.h"
#include "win32/driver/ProbeRunner.h"
#include "win32/driver/StandinKit.h"

namespace st = velt::standin;
using Codes = std::vector<std::uint32_t>;

namespace {

constexpr const char* kNtFailure =
    "16|Loading driver ...|Can not run WinNT-service !  Program can not work in this situation !";
constexpr const char* kVxdFailure =
    "16|Initialize VXD ...|Can not connect with VXD !  Program can not work in this situation !";
constexpr const char* kMaskCaption = "Analyze drives ...";
constexpr const char* kMaskText =
    "At least one CD-drive not anaccessible (probably no disk in drive).";

OmxStandinJournal Journal() {
    OmxStandinJournal journal{};
    EXPECT_TRUE(st::ReadJournal(journal));
    return journal;
}

bool AllZero(const std::uint8_t* bytes, std::size_t size) {
    return std::all_of(bytes, bytes + size, [](std::uint8_t b) { return b == 0; });
}

// One controller process's driver link, made afresh for each test.
class DriverLink : public ::testing::Test {
  protected:
    void SetUp() override { velt::OmxModuleInit(os, files, velt::ExecutableFileName()); }
    void TearDown() override {
        // The program never closes its device; a test closes it so the next can stop the driver.
        if (velt::DriverHandle() != velt::kInvalidHandle) {
            CloseHandle(reinterpret_cast<HANDLE>(velt::DriverHandle()));
        }
        if (st::DeviceOpens()) {
            st::ResetJournal();
        }
    }
    // The driver running from beside this executable, with an empty journal and these faults.
    static void RunningWith(const OmxStandinFaults& faults = {}) {
        ASSERT_TRUE(st::EnsureRunning(st::DriverBesideExe()));
        ASSERT_TRUE(st::ResetJournal(faults));
    }

    velt::Win32DriverOs real;
    st::LoggingDriverOs os{real};
    velt::Win32DriverFiles files;
    velt::fakes::RecordingMessenger messenger;
};
} // namespace

TEST_F(DriverLink, FirstConnectionInstallsAndStartsTheService) {
    ASSERT_TRUE(st::RemoveDriver());
    ASSERT_EQ(velt::DriverFilePath(), st::DriverBesideExe());

    EXPECT_TRUE(velt::DriverConnect(messenger));
    EXPECT_TRUE(velt::IsNtFamily());
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(messenger.terminateRequests, 0);
    EXPECT_TRUE(os.Called("CreateKernelService:ok"));
    EXPECT_TRUE(os.Called("RunService:ok"));
    EXPECT_NE(velt::DriverHandle(), velt::kInvalidHandle);
    EXPECT_EQ(st::QueryServiceState(), st::ServiceState::Running);
    EXPECT_EQ(st::RegisteredDriverPath(), st::DriverBesideExe());

    // A fresh load of the driver saw exactly the connection: the local mask, the zero block.
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(st::Codes(journal), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS}));
    EXPECT_EQ(journal.Refused, 0u);
    EXPECT_EQ(journal.LastMaskIn, velt::LocalDriveMask());
    EXPECT_NE(journal.LastMaskIn & (1u << 2), 0u) << "Wine's C: is a fixed drive";
    EXPECT_EQ(journal.HasBlock, 1u);
    EXPECT_TRUE(AllZero(journal.LastBlock, OMX_PARAM_BLOCK_SIZE));
}

TEST_F(DriverLink, InstalledButStoppedDriverIsStartedWithoutANewService) {
    ASSERT_TRUE(st::EnsureRunning(st::DriverBesideExe()));
    ASSERT_TRUE(st::StopDriver());
    ASSERT_FALSE(st::DeviceOpens());

    EXPECT_TRUE(velt::DriverConnect(messenger));
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_TRUE(os.Called("CreateKernelService:fail")) << "the service already exists";
    EXPECT_TRUE(os.Called("RunService:ok"));
    EXPECT_NE(velt::DriverHandle(), velt::kInvalidHandle);
    EXPECT_EQ(st::Codes(Journal()), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS}));
}

TEST_F(DriverLink, NextProgramOpensTheRunningDriverDirectly) {
    RunningWith();
    st::ProbeReport first = st::RunProbe(st::ProbeBesideExe());
    ASSERT_TRUE(first.ran) << first.raw;
    st::ProbeReport next = st::RunProbe(st::ProbeBesideExe());
    ASSERT_TRUE(next.ran) << next.raw;
    for (const st::ProbeReport& report : {first, next}) {
        EXPECT_EQ(report.connect, 1);
        EXPECT_EQ(report.handle, 1);
        EXPECT_TRUE(report.messages.empty());
        EXPECT_EQ(report.terminate, 0);
        EXPECT_TRUE(report.Called("OpenDevice \\\\.\\OMXDRV:ok"));
        EXPECT_FALSE(report.Called("CreateKernelService"));
        EXPECT_FALSE(report.Called("OpenNamedService"));
        EXPECT_FALSE(report.Called("RunService"));
    }
    EXPECT_EQ(st::Codes(Journal()), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS,
                                           OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS}));
}

TEST_F(DriverLink, ActivationAndStopReachTheDriverInOrder) {
    RunningWith();
    ASSERT_TRUE(velt::DriverConnect(messenger));
    OmxStandinJournal connected = Journal();
    EXPECT_EQ(st::Codes(connected), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS}));
    EXPECT_TRUE(AllZero(connected.LastBlock, OMX_PARAM_BLOCK_SIZE));

    const std::string paths = "C:\\SECRET\\*.*;C:\\NOTES.TXT";
    EXPECT_TRUE(velt::DriverStart(paths, "*", "abc", 2));
    OmxStandinJournal started = Journal();
    EXPECT_EQ(started.Running, 1u);
    ASSERT_EQ(started.HasBlock, 1u);
    const std::uint8_t* block = started.LastBlock;
    EXPECT_STREQ(reinterpret_cast<const char*>(block), "*");
    EXPECT_TRUE(AllZero(block + 2, 254));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block + 256)), paths);
    EXPECT_TRUE(AllZero(block + 256 + paths.size(), 256 - paths.size()));
    const std::string digest = velt::PasswordDigest("abc");
    EXPECT_EQ(std::memcmp(block + 512, digest.data(), 16), 0);
    EXPECT_TRUE(AllZero(block + 528, 48));
    EXPECT_EQ(block[576], 2);
    EXPECT_TRUE(AllZero(block + 577, 3));
    const std::string password = "abc";
    EXPECT_EQ(std::search(block, block + OMX_PARAM_BLOCK_SIZE, password.begin(), password.end()),
              block + OMX_PARAM_BLOCK_SIZE)
        << "the password itself never reaches the driver";

    // Quit stops twice: once for the command, once when the main window goes.
    EXPECT_TRUE(velt::DriverStop());
    EXPECT_TRUE(velt::DriverStop());
    OmxStandinJournal stopped = Journal();
    EXPECT_EQ(stopped.Running, 0u);
    EXPECT_EQ(st::Codes(stopped),
              (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS, OMX_IOCTL_SET_PARAMS,
                     OMX_IOCTL_START, OMX_IOCTL_STOP, OMX_IOCTL_STOP}));
    EXPECT_EQ(stopped.Refused, 0u);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DriverLink, RefusedBlockMakesStartFailAndSendsNoStart) {
    RunningWith({OMX_IOCTL_SET_PARAMS, 0, 0});
    EXPECT_TRUE(velt::DriverConnect(messenger)) << "the connection does not test its block";
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_FALSE(velt::DriverStart("C:\\SECRET\\*.*", "*", "abcd", 2));
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(st::Codes(journal),
              (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS, OMX_IOCTL_SET_PARAMS}));
    EXPECT_EQ(journal.Starts, 0u);
    EXPECT_EQ(journal.Running, 0u);
}

TEST_F(DriverLink, DifferentMaskWarnsAndTheConnectionGoesOn) {
    RunningWith({0, 1, 0xFFFFFFFFu});
    EXPECT_TRUE(velt::DriverConnect(messenger));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].caption, kMaskCaption);
    EXPECT_EQ(messenger.shown[0].text, kMaskText);
    EXPECT_EQ(messenger.shown[0].flags, 48u);
    EXPECT_EQ(messenger.terminateRequests, 0);
    EXPECT_TRUE(velt::DriverStart("C:\\A.TXT", "*", "abcd", 2));
    EXPECT_EQ(st::Codes(Journal()), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS,
                                           OMX_IOCTL_SET_PARAMS, OMX_IOCTL_START}));
    EXPECT_TRUE(velt::DriverStop());
}

TEST_F(DriverLink, RefusedMaskRequestShowsNothingAndTheConnectionGoesOn) {
    RunningWith({OMX_IOCTL_DRIVE_MASK, 0, 0});
    EXPECT_TRUE(velt::DriverConnect(messenger));
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(st::Codes(Journal()), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS}));
}

TEST(DriverLinkFailures, MissingDriverFile) {
    ASSERT_TRUE(st::RemoveDriver());
    const st::ScratchDir dir("nodriver");
    const std::string probe = dir.path + "driver_probe.exe";
    ASSERT_TRUE(CopyFileA(st::ProbeBesideExe().c_str(), probe.c_str(), FALSE));

    // The service gets registered for the missing file, but no device ever opens: the failure
    // message and the termination request, on the first run as on every later one.
    for (const char* run : {"first", "next"}) {
        SCOPED_TRACE(run);
        st::ProbeReport report = st::RunProbe(probe, {"start", "C:\\A.TXT", "abcd"});
        ASSERT_TRUE(report.ran) << report.raw;
        EXPECT_FALSE(report.Called("RunService:ok"));
        EXPECT_EQ(report.connect, 0);
        EXPECT_EQ(report.handle, 0);
        EXPECT_EQ(report.messages, (std::vector<std::string>{kNtFailure}));
        EXPECT_EQ(report.terminate, 1);
        EXPECT_EQ(report.starts, (std::vector<int>{0}));
    }
    EXPECT_FALSE(st::DeviceOpens());

    // Leave the prefix with the service registered for the real driver file, running.
    ASSERT_TRUE(st::RemoveDriver());
    ASSERT_TRUE(st::EnsureRunning(st::DriverBesideExe()));
}

namespace {

// Runs the probe under a name that Wine's per-program settings give the Windows `version`.
st::ProbeReport ProbeAsVersion(const std::string& exeName, const std::string& version) {
    const st::ScratchDir dir("version");
    const std::string probe = dir.path + exeName;
    EXPECT_TRUE(CopyFileA(st::ProbeBesideExe().c_str(), probe.c_str(), FALSE));
    const std::string key = "Software\\Wine\\AppDefaults\\" + exeName;
    HKEY handle = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handle, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   static_cast<DWORD>(version.size() + 1));
    RegCloseKey(handle);
    st::ProbeReport report = st::RunProbe(probe);
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    return report;
}

} // namespace

TEST(DriverLinkFailures, OlderWindowsTakeTheVxdPathAndEndWithItsMessage) {
    ASSERT_TRUE(st::EnsureRunning(st::DriverBesideExe()));
    ASSERT_TRUE(st::ResetJournal());
    // Windows 98, and NT 3.51 (platform NT, major version 3), which takes the same path.
    for (const auto& [exeName, version] :
         {std::pair{"velt_probe_98.exe", "win98"}, std::pair{"velt_probe_351.exe", "nt351"}}) {
        SCOPED_TRACE(version);
        st::ProbeReport report = ProbeAsVersion(exeName, version);
        ASSERT_TRUE(report.ran) << report.raw;
        EXPECT_EQ(report.nt, 0);
        EXPECT_EQ(report.connect, 0);
        EXPECT_EQ(report.handle, 0);
        EXPECT_EQ(report.messages, (std::vector<std::string>{kVxdFailure}));
        EXPECT_EQ(report.terminate, 1);
        EXPECT_TRUE(report.Called("OpenDevice \\\\.\\OMXVXD.VXD:fail"));
        EXPECT_FALSE(report.Called("OpenServiceManager"));
        EXPECT_FALSE(report.Called("OpenDevice \\\\.\\OMXDRV"));
        EXPECT_FALSE(report.Called("DeviceControl 83000000")) << "no drive mask off NT";
        EXPECT_TRUE(report.Called("DeviceControl 83000018:fail")) << "the zero block, no device";
    }
    EXPECT_EQ(Journal().Requests, 0u) << "the NT driver heard nothing";
}
