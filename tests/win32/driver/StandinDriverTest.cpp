// The stand-in OMXDRV driver through raw Win32 calls: the service manager loads it, its device
// answers the controller's four requests by the contract, and its journal and injected faults
// behave as the tests of the controller rely on.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "win32/driver/StandinKit.h"

namespace st = velt::standin;

namespace {

// A device handle for one test.
class Device {
  public:
    Device() : handle_(st::OpenDevice()) {}
    explicit Device(HANDLE handle) : handle_(handle) {}
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    HANDLE get() const { return handle_; }
    bool Send(std::uint32_t code, const void* in = nullptr, DWORD inLength = 0, void* out = nullptr,
              DWORD outLength = 0, DWORD* returned = nullptr) const {
        return st::Control(handle_, code, in, inLength, out, outLength, returned);
    }

  private:
    HANDLE handle_;
};

OmxStandinJournal Journal() {
    OmxStandinJournal journal{};
    EXPECT_TRUE(st::ReadJournal(journal));
    return journal;
}

std::array<std::uint8_t, OMX_PARAM_BLOCK_SIZE> PatternBlock(std::uint8_t seed) {
    std::array<std::uint8_t, OMX_PARAM_BLOCK_SIZE> block{};
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return block;
}

class StandinDriver : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(st::EnsureRunning(st::DriverBesideExe())); }
    void SetUp() override {
        ASSERT_TRUE(st::DeviceOpens());
        ASSERT_TRUE(st::ResetJournal());
    }
    void TearDown() override { st::ResetJournal(); }
};

} // namespace

TEST(StandinService, InstallsStartsStopsAndRemovesThroughTheServiceManager) {
    ASSERT_TRUE(st::RemoveDriver());
    EXPECT_EQ(st::QueryServiceState(), st::ServiceState::Absent);
    EXPECT_FALSE(st::DeviceOpens());

    ASSERT_TRUE(st::InstallDriver(st::DriverBesideExe()));
    EXPECT_EQ(st::QueryServiceState(), st::ServiceState::Stopped);
    EXPECT_EQ(st::RegisteredDriverPath(), st::DriverBesideExe());
    EXPECT_FALSE(st::InstallDriver(st::DriverBesideExe())) << "a second creation must fail";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
    EXPECT_FALSE(st::DeviceOpens());

    ASSERT_TRUE(st::StartDriver());
    EXPECT_EQ(st::QueryServiceState(), st::ServiceState::Running);
    EXPECT_TRUE(st::DeviceOpens());

    // Starting a running driver reports "already running", which the controller counts as started.
    {
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = OpenServiceA(manager, st::kServiceName, SERVICE_ALL_ACCESS);
        ASSERT_NE(service, nullptr);
        EXPECT_FALSE(StartServiceA(service, 0, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
    }

    // A fresh load starts with an empty journal and nothing running.
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.Version, OMX_JOURNAL_VERSION);
    EXPECT_EQ(journal.Requests, 0u);
    EXPECT_EQ(journal.Running, 0u);
    EXPECT_EQ(journal.HasBlock, 0u);

    ASSERT_TRUE(st::StopDriver());
    EXPECT_FALSE(st::DeviceOpens()) << "a stopped driver's device is gone";
    ASSERT_TRUE(st::StartDriver());
    EXPECT_TRUE(st::DeviceOpens());
}

TEST(StandinService, StartIsRefusedUntilABlockWasAccepted) {
    ASSERT_TRUE(st::EnsureRunning(st::DriverBesideExe()));
    ASSERT_TRUE(st::StopDriver());
    ASSERT_TRUE(st::StartDriver());
    Device device;
    ASSERT_NE(device.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(device.Send(OMX_IOCTL_START));
    auto block = PatternBlock(0);
    ASSERT_TRUE(device.Send(OMX_IOCTL_SET_PARAMS, block.data(), OMX_PARAM_BLOCK_SIZE));
    EXPECT_TRUE(device.Send(OMX_IOCTL_START));
    EXPECT_TRUE(device.Send(OMX_IOCTL_STOP));
}

TEST_F(StandinDriver, EchoesTheDriveMask) {
    Device device;
    for (std::uint32_t mask : {0u, 12u, 0x3FFFFFFu, 0xFFFFFFFFu}) {
        std::uint32_t answer = ~mask;
        DWORD returned = 0;
        ASSERT_TRUE(device.Send(OMX_IOCTL_DRIVE_MASK, &mask, 4, &answer, 4, &returned));
        EXPECT_EQ(returned, 4u);
        EXPECT_EQ(answer, mask);
    }
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.MaskRequests, 4u);
    EXPECT_EQ(journal.LastMaskIn, 0xFFFFFFFFu);
    EXPECT_EQ(journal.LastMaskOut, 0xFFFFFFFFu);
    ASSERT_EQ(journal.EntryCount, 4u);
    EXPECT_EQ(journal.Entries[1].Code, OMX_IOCTL_DRIVE_MASK);
    EXPECT_EQ(journal.Entries[1].InputLength, 4u);
    EXPECT_EQ(journal.Entries[1].OutputLength, 4u);
    EXPECT_EQ(journal.Entries[1].Status, 0);
}

TEST_F(StandinDriver, RefusesADriveMaskRequestWithShortBuffers) {
    Device device;
    std::uint32_t mask = 12;
    std::uint32_t answer = 0;
    EXPECT_FALSE(device.Send(OMX_IOCTL_DRIVE_MASK, &mask, 2, &answer, 4));
    EXPECT_FALSE(device.Send(OMX_IOCTL_DRIVE_MASK, &mask, 4, &answer, 0));
    EXPECT_FALSE(device.Send(OMX_IOCTL_DRIVE_MASK));
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.Requests, 3u);
    EXPECT_EQ(journal.Refused, 3u);
    EXPECT_EQ(journal.MaskRequests, 0u);
}

TEST_F(StandinDriver, AcceptsExactly580ByteBlocks) {
    Device device;
    std::array<std::uint8_t, 1024> big{};
    for (DWORD length : {0u, 1u, 4u, 579u, 581u, 1024u}) {
        EXPECT_FALSE(device.Send(OMX_IOCTL_SET_PARAMS, big.data(), length)) << length;
    }
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.BlocksAccepted, 0u);
    EXPECT_EQ(journal.HasBlock, 0u);
    EXPECT_EQ(journal.Refused, 6u);

    auto first = PatternBlock(1);
    auto second = PatternBlock(2);
    ASSERT_TRUE(device.Send(OMX_IOCTL_SET_PARAMS, first.data(), OMX_PARAM_BLOCK_SIZE));
    ASSERT_TRUE(device.Send(OMX_IOCTL_SET_PARAMS, second.data(), OMX_PARAM_BLOCK_SIZE));
    EXPECT_FALSE(device.Send(OMX_IOCTL_SET_PARAMS, first.data(), 579));
    journal = Journal();
    EXPECT_EQ(journal.BlocksAccepted, 2u);
    EXPECT_EQ(journal.HasBlock, 1u);
    EXPECT_EQ(std::memcmp(journal.LastBlock, second.data(), OMX_PARAM_BLOCK_SIZE), 0)
        << "the journal keeps the last accepted block, not a refused one";
    ASSERT_EQ(journal.EntryCount, 9u);
    EXPECT_EQ(journal.Entries[3].InputLength, 579u);
    EXPECT_NE(journal.Entries[3].Status, 0);
    EXPECT_EQ(journal.Entries[6].InputLength, OMX_PARAM_BLOCK_SIZE);
    EXPECT_EQ(journal.Entries[6].Status, 0);
}

TEST_F(StandinDriver, KeepsStartAndStopStateAndStopsHarmlessly) {
    Device device;
    ASSERT_TRUE(device.Send(OMX_IOCTL_STOP)) << "stop when nothing runs";
    auto block = PatternBlock(3);
    ASSERT_TRUE(device.Send(OMX_IOCTL_SET_PARAMS, block.data(), OMX_PARAM_BLOCK_SIZE));
    ASSERT_TRUE(device.Send(OMX_IOCTL_START));
    EXPECT_EQ(Journal().Running, 1u);
    ASSERT_TRUE(device.Send(OMX_IOCTL_STOP));
    ASSERT_TRUE(device.Send(OMX_IOCTL_STOP)) << "stop twice in a row";
    // A stop keeps the accepted block: the next start needs no new one.
    ASSERT_TRUE(device.Send(OMX_IOCTL_START));
    ASSERT_TRUE(device.Send(OMX_IOCTL_STOP));

    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.Running, 0u);
    EXPECT_EQ(journal.Starts, 2u);
    EXPECT_EQ(journal.Stops, 4u);
    EXPECT_EQ(journal.Refused, 0u);
    std::vector<std::uint32_t> running;
    for (const OmxJournalEntry& entry : st::Entries(journal)) {
        running.push_back(entry.RunningAfter);
    }
    EXPECT_EQ(running, (std::vector<std::uint32_t>{0, 0, 1, 0, 0, 1, 0}));
    EXPECT_EQ(st::Codes(journal),
              (std::vector<std::uint32_t>{OMX_IOCTL_STOP, OMX_IOCTL_SET_PARAMS, OMX_IOCTL_START,
                                          OMX_IOCTL_STOP, OMX_IOCTL_STOP, OMX_IOCTL_START,
                                          OMX_IOCTL_STOP}));
}

TEST_F(StandinDriver, InjectedRefusalFailsOnlyThatCodeUntilTheNextReset) {
    ASSERT_TRUE(st::ResetJournal({OMX_IOCTL_SET_PARAMS, 0, 0}));
    Device device;
    auto block = PatternBlock(4);
    EXPECT_FALSE(device.Send(OMX_IOCTL_SET_PARAMS, block.data(), OMX_PARAM_BLOCK_SIZE));
    EXPECT_FALSE(device.Send(OMX_IOCTL_SET_PARAMS, block.data(), OMX_PARAM_BLOCK_SIZE));
    EXPECT_TRUE(device.Send(OMX_IOCTL_STOP));
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.Faults.RefuseCode, OMX_IOCTL_SET_PARAMS);
    EXPECT_EQ(journal.HasBlock, 0u);
    EXPECT_EQ(journal.Refused, 2u);

    ASSERT_TRUE(st::ResetJournal({OMX_IOCTL_START, 0, 0}));
    EXPECT_TRUE(device.Send(OMX_IOCTL_SET_PARAMS, block.data(), OMX_PARAM_BLOCK_SIZE));
    EXPECT_FALSE(device.Send(OMX_IOCTL_START));
    EXPECT_EQ(Journal().Running, 0u);

    ASSERT_TRUE(st::ResetJournal());
    EXPECT_TRUE(device.Send(OMX_IOCTL_START));
    EXPECT_TRUE(device.Send(OMX_IOCTL_STOP));
}

TEST_F(StandinDriver, InjectedMaskReplacesTheEcho) {
    ASSERT_TRUE(st::ResetJournal({0, 1, 4}));
    Device device;
    std::uint32_t mask = 12;
    std::uint32_t answer = 0;
    ASSERT_TRUE(device.Send(OMX_IOCTL_DRIVE_MASK, &mask, 4, &answer, 4));
    EXPECT_EQ(answer, 4u);
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.LastMaskIn, 12u);
    EXPECT_EQ(journal.LastMaskOut, 4u);

    ASSERT_TRUE(st::ResetJournal({OMX_IOCTL_DRIVE_MASK, 0, 0}));
    EXPECT_FALSE(device.Send(OMX_IOCTL_DRIVE_MASK, &mask, 4, &answer, 4));
}

TEST_F(StandinDriver, JournalIsBoundedAndRecordsUnknownCodes) {
    Device device;
    EXPECT_FALSE(device.Send(0x83000020u)) << "an unknown code is refused";
    EXPECT_FALSE(device.Send(0x00220000u));
    for (int i = 0; i < 70; ++i) {
        ASSERT_TRUE(device.Send(OMX_IOCTL_STOP));
    }
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.EntryCount, OMX_JOURNAL_CAPACITY);
    EXPECT_EQ(journal.Requests, 72u);
    EXPECT_EQ(journal.Lost, 72u - OMX_JOURNAL_CAPACITY);
    EXPECT_EQ(journal.Refused, 2u);
    EXPECT_EQ(journal.Entries[0].Code, 0x83000020u);
    EXPECT_NE(journal.Entries[0].Status, 0);
    EXPECT_EQ(journal.Entries[OMX_JOURNAL_CAPACITY - 1].Code, OMX_IOCTL_STOP);
}

TEST_F(StandinDriver, DiagnosticRequestsCheckTheirLengthsAndAreNotJournaled) {
    Device device;
    Device diagnostics(st::OpenDiagnostics());
    ASSERT_NE(diagnostics.get(), INVALID_HANDLE_VALUE);
    std::array<std::uint8_t, sizeof(OmxStandinJournal) - 1> small{};
    EXPECT_FALSE(diagnostics.Send(OMX_DIAG_READ_JOURNAL, nullptr, 0, small.data(),
                                  static_cast<DWORD>(small.size())));
    OmxStandinFaults faults{OMX_IOCTL_STOP, 0, 0};
    EXPECT_FALSE(diagnostics.Send(OMX_DIAG_RESET, &faults, sizeof(faults) - 1));
    EXPECT_FALSE(diagnostics.Send(OMX_IOCTL_STOP)) << "the diagnostics device takes no request";
    EXPECT_TRUE(device.Send(OMX_IOCTL_STOP)) << "a refused reset sets no fault";
    // The controller's device answers no diagnostic request: each is an unknown code there.
    std::array<std::uint8_t, sizeof(OmxStandinJournal)> whole{};
    EXPECT_FALSE(device.Send(OMX_DIAG_READ_JOURNAL, nullptr, 0, whole.data(),
                             static_cast<DWORD>(whole.size())));
    EXPECT_FALSE(device.Send(OMX_DIAG_RESET, &faults, sizeof(faults)));
    OmxStandinJournal journal = Journal();
    EXPECT_EQ(journal.Requests, 3u);
    EXPECT_EQ(journal.Refused, 2u);
    EXPECT_EQ(journal.Faults.RefuseCode, 0u);
}

TEST_F(StandinDriver, ResetKeepsTheRunningStateAndEmptiesTheRest) {
    Device device;
    auto block = PatternBlock(5);
    ASSERT_TRUE(device.Send(OMX_IOCTL_SET_PARAMS, block.data(), OMX_PARAM_BLOCK_SIZE));
    ASSERT_TRUE(device.Send(OMX_IOCTL_START));
    OmxStandinJournal before = Journal();
    ASSERT_TRUE(st::ResetJournal());
    OmxStandinJournal after = Journal();
    EXPECT_EQ(after.Running, 1u);
    EXPECT_EQ(after.LoadStampLow, before.LoadStampLow);
    EXPECT_EQ(after.LoadStampHigh, before.LoadStampHigh);
    EXPECT_EQ(after.EntryCount, 0u);
    EXPECT_EQ(after.Requests, 0u);
    EXPECT_EQ(after.HasBlock, 0u);
    EXPECT_TRUE(device.Send(OMX_IOCTL_STOP));
}

TEST_F(StandinDriver, OneHandleAtATimeWhileTheJournalStaysReadable) {
    // The controller holds its handle for its whole life; nobody else gets one meanwhile, and a
    // test reads the journal through the diagnostics device.
    {
        Device first;
        ASSERT_NE(first.get(), INVALID_HANDLE_VALUE);
        // Windows refuses the open; Wine lets it through, and then every request is refused.
        for (int i = 0; i < 2; ++i) {
            Device second;
            EXPECT_TRUE(second.get() == INVALID_HANDLE_VALUE || !second.Send(OMX_IOCTL_STOP));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        EXPECT_TRUE(first.Send(OMX_IOCTL_STOP));
        OmxStandinJournal journal = Journal();
        EXPECT_EQ(journal.Opens, 3u);
        EXPECT_EQ(journal.Starts + journal.Stops, 1u) << "only the holder's request was taken";
    }
    Device again;
    EXPECT_NE(again.get(), INVALID_HANDLE_VALUE) << "free once the holder closed";
}
