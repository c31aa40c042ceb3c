// The two halves of the server-restart scenario, run by server_restart.sh around a restart of the
// wineserver (which takes the loaded driver with it and leaves the service registered). Not a test
// program of its own: each half is selected with --gtest_filter.
#include <gtest/gtest.h>

#include "win32/driver/ProbeRunner.h"
#include "win32/driver/StandinKit.h"

namespace st = velt::standin;

TEST(ServerRestart, BeforeRestart) {
    ASSERT_TRUE(st::RemoveDriver());
    st::ProbeReport report = st::RunProbe(st::ProbeBesideExe());
    ASSERT_TRUE(report.ran) << report.raw;
    EXPECT_EQ(report.connect, 1);
    EXPECT_EQ(report.handle, 1);
    EXPECT_TRUE(report.Called("CreateKernelService:ok"));
    EXPECT_EQ(st::QueryServiceState(), st::ServiceState::Running);
}

TEST(ServerRestart, AfterRestart) {
    // Driver gone with the old server, service still registered.
    ASSERT_NE(st::QueryServiceState(), st::ServiceState::Absent);
    ASSERT_NE(st::QueryServiceState(), st::ServiceState::Running);
    ASSERT_FALSE(st::DeviceOpens());
    ASSERT_EQ(st::RegisteredDriverPath(), st::DriverBesideExe());

    st::ProbeReport report = st::RunProbe(st::ProbeBesideExe(), {"start", "C:\\A.TXT", "abcd"});
    ASSERT_TRUE(report.ran) << report.raw;
    EXPECT_EQ(report.connect, 1);
    EXPECT_EQ(report.handle, 1);
    EXPECT_TRUE(report.messages.empty());
    EXPECT_EQ(report.terminate, 0);
    EXPECT_TRUE(report.Called("CreateKernelService:fail")) << "the service exists";
    EXPECT_TRUE(report.Called("RunService:ok"));
    EXPECT_EQ(report.starts, (std::vector<int>{1}));

    OmxStandinJournal journal{};
    ASSERT_TRUE(st::ReadJournal(journal));
    EXPECT_EQ(st::Codes(journal),
              (std::vector<std::uint32_t>{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS,
                                          OMX_IOCTL_SET_PARAMS, OMX_IOCTL_START}))
        << "a fresh load saw only this program";
    EXPECT_EQ(journal.Running, 1u);
    ASSERT_TRUE(st::ResetJournal());
}
