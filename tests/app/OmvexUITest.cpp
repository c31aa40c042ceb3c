// Program entry: one copy at a time, the windows in their order, the loop, the end.
#include "app/OmvexUI.h"

#include "app/Main.h"
#include "dialogs/About.h"
#include "dialogs/passwds.h"
#include "driver/DriverParamBlock.h"
#include "fakes/FakeDriverFiles.h"
#include "fakes/FakeDriverOs.h"
#include "fakes/FakeEventLog.h"
#include "fakes/FakeFileBrowser.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeProcessLocks.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSessionWatch.h"
#include "fakes/FakeShell.h"
#include "fakes/TestUi.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace velt {
namespace {

using ::testing::ElementsAre;

class OmvexMainTest : public ::testing::Test {
  protected:
    OmvexMainTest() {
        os.service = fakes::FakeDriverOs::Service::Running;
        shell.exeName = "C:\\Omvex\\Veltarion.exe";
        files.AddDirectory("C:\\Omvex");
    }
    int Run() {
        OmvexPlatform platform{shell,
                               locks,
                               os,
                               driverFiles,
                               registry,
                               {machine, machine},
                               files,
                               browser,
                               session,
                               eventLog,
                               [this]() -> Application& {
                                   ++applications;
                                   return ui.App();
                               },
                               {}};
        return OmvexMain(platform);
    }
    std::vector<std::string> Created() const {
        std::vector<std::string> out;
        for (const auto& line : ui.Log()) {
            if (line.rfind("create ", 0) == 0) {
                out.push_back(line.substr(7));
            }
        }
        return out;
    }

    fakes::FakeDriverOs os;
    FakeEventLog eventLog;
    fakes::FakeDriverFiles driverFiles;
    FakeShell shell;
    FakeProcessLocks locks;
    FakeRegistry registry;
    FakeRegistry machine;
    FakeFiles files;
    FakeFileBrowser browser;
    FakeSessionWatch session;
    TestUi ui;
    int applications = 0;
};

TEST_F(OmvexMainTest, SecondCopyEndsSilentlyWithoutWindowsOrDriver) {
    locks.answer = LockState::Held;
    EXPECT_EQ(Run(), 0);
    EXPECT_THAT(locks.names, ElementsAre("OmvexOneCopyMutex"));
    EXPECT_THAT(locks.timeouts, ElementsAre(50U));
    EXPECT_EQ(applications, 0);
    EXPECT_TRUE(ui.Log().empty());
    EXPECT_TRUE(ui.TrayCalls().empty());
    EXPECT_TRUE(os.requests.empty());
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST(OmvexLocks, OnlyAHeldSessionLockEndsACopyAndOnlyAFreeMachineLockStartsOne) {
    // The lock's state, then whether another copy runs in the session and on the machine.
    const std::tuple<LockState, bool, bool> cases[] = {
        {LockState::Free, false, false},
        {LockState::Held, true, true},
        {LockState::Untold, false, true},
    };
    for (const auto& [state, inSession, onMachine] : cases) {
        EXPECT_EQ(OtherCopyInSession(state), inSession) << static_cast<int>(state);
        EXPECT_EQ(OtherCopyOnMachine(state), onMachine) << static_cast<int>(state);
    }
}

TEST_F(OmvexMainTest, CopyInAnotherSessionSaysSoAndLeavesTheDriverAlone) {
    locks.answers[kMachineMutexName] = LockState::Untold;
    EXPECT_EQ(Run(), 0);
    EXPECT_THAT(locks.names, ElementsAre("OmvexOneCopyMutex", "Global\\OmvexMachineMutex"));
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text,
              "Omvex is already running for another user of this computer. "
              "That user must quit it (tray menu, Quit) before Omvex can start here.");
    EXPECT_EQ(ui.Boxes()[0].caption, "Omvex");
    EXPECT_EQ(ui.Boxes()[0].flags, 48U);
    EXPECT_TRUE(Created().empty());
    EXPECT_TRUE(os.calls.empty());
    EXPECT_THAT(eventLog.entries, ElementsAre(LogEntry{kEventOtherUserLock, LogType::Warning, {}}));
}

TEST_F(OmvexMainTest, WindowsAreCreatedInOrderThenShownThenDestroyed) {
    EXPECT_EQ(Run(), 0);
    // The main window first, then the prompt and the about box; the first showing of the main
    // window opens the welcome dialog (no storage file yet).
    const auto created = Created();
    ASSERT_GE(created.size(), 4U);
    EXPECT_THAT(std::vector<std::string>(created.begin(), created.begin() + 4),
                ElementsAre("Veltarion", "Create profile", "Password checking for selected profile",
                            "About"));
    EXPECT_TRUE(std::find(created.begin(), created.end(), "Welcome !") != created.end());
    // The loop ended (nothing more to do): destruction stopped the driver and removed the icon.
    EXPECT_EQ(os.RequestCodes().back(), IOCTL_STOP);
    EXPECT_EQ(ui.TrayCalls().back().operation, kNimDelete);
    EXPECT_EQ(SetParamForm, nullptr);
    EXPECT_EQ(AboutForm, nullptr);
}

TEST_F(OmvexMainTest, QuitFromTheTrayStopsTwiceAndEndsWithZero) {
    ui.Queue([&] {
        ASSERT_NE(SetParamForm, nullptr);
        ui.ChooseNext("Quit");
        ui.TrayMouse(*SetParamForm, kTrayRightButtonDown);
    });
    EXPECT_EQ(Run(), 0);
    const auto codes = os.RequestCodes();
    ASSERT_GE(codes.size(), 2U);
    EXPECT_EQ(codes[codes.size() - 2], IOCTL_STOP);
    EXPECT_EQ(codes.back(), IOCTL_STOP);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), IOCTL_STOP), 2);
}

TEST_F(OmvexMainTest, UnreachableDriverIsReportedThenTheProgramEnds) {
    os.service = fakes::FakeDriverOs::Service::Missing;
    os.refuseCreate = true;
    os.refuseStart = true;
    EXPECT_EQ(Run(), 0);
    ASSERT_FALSE(ui.Boxes().empty());
    EXPECT_EQ(ui.Boxes()[0].caption, "Loading driver ...");
    EXPECT_EQ(ui.Boxes()[0].flags, 16U);
    // The remaining windows were still created.
    const auto created = Created();
    EXPECT_TRUE(std::find(created.begin(), created.end(), "About") != created.end());
    // Nothing is left behind: the next start is a true first start.
    EXPECT_FALSE(files.DirectoryExists("C:\\Omvex\\Profiles"));
    EXPECT_FALSE(registry.KeyExists("Software\\Veltarion"));
}

TEST_F(OmvexMainTest, DriverPathsComeFromTheExecutable) {
    os.service = fakes::FakeDriverOs::Service::Missing;
    Run();
    EXPECT_EQ(os.serviceBinaryPath, "C:\\Omvex\\OMXDRV.SYS");
}

} // namespace
} // namespace velt
