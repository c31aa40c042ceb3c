// The command line: its parsing, its message to the running copy, what the running copy makes of
// each command, and the Event Log entries of the program's events.
#include "app/CommandWire.h"
#include "app/MainWindowFixture.h"

namespace velt::testing {
namespace {

using K = CommandKind;
using ::testing::ElementsAre;

TEST(CommandLineTest, EachLineGivesItsCommand) {
    const struct {
        std::string line;
        Command command;
    } cases[] = {
        {"", {}},
        {"/activate Work", {K::Activate, "Work"}},
        {"-ACTIVATE \"My Confidential Data\"", {K::Activate, "My Confidential Data"}},
        {"/Activate \"say \"\"hi\"\"\"", {K::Activate, "say \"hi\""}},
        {"/deactivate", {K::Deactivate, ""}},
        {"-Status", {K::Status, ""}},
        {"/QUIT", {K::Quit, ""}},
        {"/?", {K::Usage, ""}},
        {"/activate", {K::BadUsage, ""}},
        {"/activate \"\"", {K::BadUsage, ""}},
        {"/activate a b", {K::BadUsage, ""}},
        {"/activate " + std::string(100, 'n'), {K::BadUsage, ""}},
        {"/status now", {K::BadUsage, ""}},
        {"status", {K::BadUsage, ""}},
        {"/", {K::BadUsage, ""}},
        {"/stat", {K::BadUsage, ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCommandLine(c.line), c.command) << c.line;
    }
}

TEST(CommandWireTest, OnlyTheCommandLayoutIsTaken) {
    const auto bytes = EncodeCommand({{K::Activate, "Work"}, 0x1234});
    const auto decoded = DecodeCommand(kCommandMagic, bytes.data(), bytes.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->command, (Command{K::Activate, "Work"}));
    EXPECT_EQ(decoded->replyWindow, 0x1234U);

    // Each refused layout, by the byte changed (none: the tag), or the bytes cut or added.
    const auto refused = [&](std::size_t at, std::uint8_t value, std::size_t size) {
        auto copy = bytes;
        copy.resize(size, 'x');
        if (at < size) {
            copy[at] = value;
        }
        return !DecodeCommand(at == 99 ? 1 : kCommandMagic, copy.data(), copy.size());
    };
    const std::size_t n = bytes.size();
    EXPECT_TRUE(refused(99, 0, n)) << "tag";
    EXPECT_TRUE(refused(0, 0, n)) << "magic";
    EXPECT_TRUE(refused(4, 2, n)) << "version";
    EXPECT_TRUE(refused(6, 9, n)) << "command";
    EXPECT_TRUE(refused(12, 5, n)) << "name length";
    EXPECT_TRUE(refused(12, 0, 14) && refused(6, 3, n)) << "activate without, status with a name";
    EXPECT_TRUE(refused(15, 0, n)) << "zero in the name";
    EXPECT_TRUE(refused(n, 0, n + 1) && refused(n, 0, 13) && refused(n, 0, 4096)) << "size";
}

class MainCommandsTest : public MainWindowTest {
  protected:
    int Run(Command command) {
        return main->RunCommand(command, [this](int code) { replies.push_back(code); });
    }
    std::vector<int> replies;
};

TEST_F(MainCommandsTest, EachCommandEndsWithItsCode) {
    using Step = std::function<void()>;
    const Step typeAndActivate = [this] {
        TypePasswords("abcd", "abcd");
        ui.Click(main->ActivateButton);
    };
    const struct {
        const char* what;
        bool refuseStart;
        Step user;
        int reply;
        bool active;
    } cases[] = {
        {"activated", false, typeAndActivate, kExitDone, true},
        {"driver refused", true, typeAndActivate, kExitFailed, false},
        {"Cancel", false, [this] { ui.PressEscape(*main); }, kExitCancelled, false},
        {"close box", false, [this] { ui.CloseBox(*main); }, kExitCancelled, false},
        {"another profile", false, [&] { ui.Select(main->Profiles, 0), typeAndActivate(); },
         kExitCancelled, true},
        {"quit", false,
         [this] {
             Run({K::Quit, ""});
         },
         kExitCancelled, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        replies.clear();
        os.refusedCodes.clear();
        if (c.refuseStart) {
            os.refusedCodes = {IOCTL_START};
        }
        PutProfiles({Profile("Work", "c:\\w"), Profile("Other", "c:\\o")});
        Start();
        main->Hide();
        EXPECT_EQ(Run({K::Activate, "Nobody"}), kExitNoProfile);
        EXPECT_FALSE(main->Visible());
        EXPECT_EQ(Run({K::Activate, "Other"}), kCommandPending);
        EXPECT_TRUE(main->Visible());
        EXPECT_EQ(main->Profiles.ItemIndex(), 1);
        EXPECT_TRUE(main->PassEdit2.Visible());
        c.user();
        EXPECT_EQ(replies, std::vector<int>{c.reply});
        EXPECT_EQ(Run({K::Status, ""}), c.active ? kExitDone : kExitInactive);
        EXPECT_EQ(Run({K::Deactivate, ""}), kExitDone);
        EXPECT_EQ(Run({K::Status, ""}), kExitInactive);
        main->Destroy();
    }
}

TEST_F(MainCommandsTest, EachEventGoesToTheLogWithItsId) {
    PutProfiles({Profile("Work", "c:\\secret\\*.*", "pass")});
    auto key = registry.OpenKey("Software\\Veltarion", true);
    key->WriteDword("DeactivateOnLock", 1);
    key->WriteDword("DeactivateOnSleep", 1);
    Start();
    const auto raise = [this](SystemEvent event) { return [=, this] { ui.Raise(*main, event); }; };
    const auto command = [this](bool refuse) {
        return [=, this] {
            os.refusedCodes = {refuse ? IOCTL_STOP : 0U}, Run({K::Deactivate, ""});
        };
    };
    const struct {
        const char* what;
        std::function<void()> step;
        EventId id;
        LogType type;
    } cases[] = {
        {"tray", [this] { ui.AnswerNext(kIdYes), main->DeacivateItemClick(); }, kEventOffByUser,
         LogType::Information},
        {"lock", raise(SystemEvent::SessionLocked), kEventOffOnLock, LogType::Information},
        {"sleep", raise(SystemEvent::Suspending), kEventOffOnSleep, LogType::Information},
        {"session end", raise(SystemEvent::SessionEnding), kEventOffOnSessionEnd,
         LogType::Information},
        {"command", command(false), kEventOffByCommand, LogType::Information},
        {"refused stop", command(true), kEventStopRefused, LogType::Error},
        {"quit", [this] { main->QuitItemClick(); }, kEventOffOnQuit, LogType::Information},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        main->ActivateItemClick();
        eventLog.entries.clear();
        TypePasswords("pass", "");
        ASSERT_TRUE(ui.Click(main->ActivateButton));
        c.step();
        os.refusedCodes.clear();
        const LogEntry on{kEventProtectionOn, LogType::Information, {"Work"}};
        EXPECT_THAT(eventLog.entries, ElementsAre(on, LogEntry{c.id, c.type, {}}));
    }
}

TEST_F(MainCommandsTest, RefusedSaveTellsWhereItsCopyIs) {
    PutProfiles({Profile("Work", "c:\\w")});
    files.FailNth(FakeFiles::Op::Open, 1, "Access denied"); // the list is not the stored one
    Start();
    ui.CloseBox(*main);
    EXPECT_THAT(eventLog.entries,
                ElementsAre(LogEntry{
                    kEventSaveRefused, LogType::Error, {"C:\\Omvex\\Profiles\\profiles.1.new"}}));
}

} // namespace
} // namespace velt::testing
