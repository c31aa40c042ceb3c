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
        {"  \t ", {}},
        {"/activate Work", {K::Activate, "Work"}},
        {"-ACTIVATE \"My Confidential Data\"", {K::Activate, "My Confidential Data"}},
        {"/Activate \"say \"\"hi\"\"\"", {K::Activate, "say \"hi\""}},
        {"/deactivate", {K::Deactivate, ""}},
        {"-Status", {K::Status, ""}},
        {"/QUIT", {K::Quit, ""}},
        {"/?", {K::Usage, ""}},
        {"-?", {K::Usage, ""}},
        {"/activate", {K::BadUsage, ""}},
        {"/activate \"\"", {K::BadUsage, ""}},
        {"/activate a b", {K::BadUsage, ""}},
        {"/activate " + std::string(100, 'n'), {K::BadUsage, ""}},
        {"/status now", {K::BadUsage, ""}},
        {"status", {K::BadUsage, ""}},
        {"/", {K::BadUsage, ""}},
        {"/stat", {K::BadUsage, ""}},
        {"/quit /quit", {K::BadUsage, ""}},
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

    const auto changed = [&](std::size_t at, std::uint8_t value) {
        auto copy = bytes;
        copy[at] = value;
        return copy;
    };
    auto longer = bytes;
    longer.push_back('x');
    auto status = EncodeCommand({{K::Status, ""}, 1});
    status[12] = 1; // a name where none belongs
    status.push_back('x');
    const std::vector<std::uint8_t> garbage(4096, 0x41);
    const struct {
        const char* what;
        std::uint32_t tag;
        std::vector<std::uint8_t> data;
    } refused[] = {
        {"tag", 1, bytes},
        {"magic", kCommandMagic, changed(0, 0)},
        {"version", kCommandVersion, changed(4, 2)},
        {"command", kCommandMagic, changed(6, 9)},
        {"name length", kCommandMagic, changed(12, 5)},
        {"nameless activate", kCommandMagic, EncodeCommand({{K::Status, ""}, 1})},
        {"zero in the name", kCommandMagic, changed(15, 0)},
        {"longer", kCommandMagic, longer},
        {"named status", kCommandMagic, status},
        {"short", kCommandMagic, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 13)},
        {"garbage", kCommandMagic, garbage}};
    for (const auto& c : refused) {
        auto data = c.data;
        if (std::string_view(c.what) == "nameless activate") {
            data[6] = 1;
        }
        EXPECT_FALSE(DecodeCommand(c.tag, data.data(), data.size())) << c.what;
    }
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
        std::vector<int> replies;
        bool active;
    } cases[] = {
        {"activated", false, typeAndActivate, {kExitDone}, true},
        {"driver refused", true, typeAndActivate, {kExitFailed}, false},
        {"Cancel", false, [this] { ui.PressEscape(*main); }, {kExitCancelled}, false},
        {"close box", false, [this] { ui.CloseBox(*main); }, {kExitCancelled}, false},
        {"another profile",
         false,
         [&, this] {
             ui.Select(main->Profiles, 0);
             typeAndActivate();
         },
         {kExitCancelled},
         true},
        {"quit",
         false,
         [this] {
             EXPECT_EQ(Run({K::Quit, ""}), kExitDone);
         },
         {kExitCancelled},
         false},
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
        EXPECT_EQ(replies, c.replies);
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
    using Step = std::function<void()>;
    const struct {
        const char* what;
        Step step;
        LogEntry entry;
    } cases[] = {
        {"tray",
         [this] { ui.AnswerNext(kIdYes), main->DeacivateItemClick(); },
         {kEventOffByUser, LogType::Information, {}}},
        {"lock",
         [this] { ui.Raise(*main, SystemEvent::SessionLocked); },
         {kEventOffOnLock, LogType::Information, {}}},
        {"sleep",
         [this] { ui.Raise(*main, SystemEvent::Suspending); },
         {kEventOffOnSleep, LogType::Information, {}}},
        {"session end",
         [this] { ui.Raise(*main, SystemEvent::SessionEnding); },
         {kEventOffOnSessionEnd, LogType::Information, {}}},
        {"command",
         [this] {
             Run({K::Deactivate, ""});
         },
         {kEventOffByCommand, LogType::Information, {}}},
        {"refused stop",
         [this] {
             os.refusedCodes = {IOCTL_STOP};
             Run({K::Deactivate, ""});
             os.refusedCodes.clear();
         },
         {kEventStopRefused, LogType::Error, {}}},
        {"quit", [this] { main->QuitItemClick(); }, {kEventOffOnQuit, LogType::Information, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        main->ActivateItemClick();
        eventLog.entries.clear();
        TypePasswords("pass", "");
        ASSERT_TRUE(ui.Click(main->ActivateButton));
        c.step();
        const LogEntry on{kEventProtectionOn, LogType::Information, {"Work", "tester"}};
        EXPECT_THAT(eventLog.entries, ElementsAre(on, c.entry));
    }
}

TEST_F(MainCommandsTest, RefusedSaveTellsWhereItsCopyIs) {
    PutProfiles({Profile("Work", "c:\\w")});
    files.FailNth(FakeFiles::Op::Open, 1, "Access denied"); // the list is not the stored one
    Start();
    ui.CloseBox(*main);
    const LogEntry refused{
        kEventSaveRefused, LogType::Error, {"C:\\Omvex\\Profiles\\profiles.1.new"}};
    EXPECT_THAT(eventLog.entries, ElementsAre(refused));
}

} // namespace
} // namespace velt::testing
