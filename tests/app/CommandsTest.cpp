// The command line: its parsing, its message to the running copy, what the running copy makes of
// each command, and the Event Log entries of the program's events.
#include "app/CommandWire.h"
#include "app/MainWindowFixture.h"

namespace velt {
void PrintTo(const CommandResult& result, std::ostream* os) {
    *os << "{" << result.code << ", \"" << result.line << "\"}";
}
} // namespace velt

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
        // Both sides of the profile name's limit.
        {"/activate " + std::string(99, 'n'), {K::Activate, std::string(99, 'n')}},
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

TEST(FindProfileByName, ExactFirstThenTheOnlyOneButForCase) {
    ProfileList list;
    for (const char* name : {"Work", "work", "Other", "Home", "HOME"}) {
        list.AppendByName(MainWindowScene::Profile(name, "c:\\p"));
    }
    const struct {
        const char* name;
        int index;
        const char* reason;
    } cases[] = {
        {"Work", 0, ""},
        {"work", 1, ""},
        {"WORK", -1,
         "Several profiles are named \"WORK\" but for the letter case; give the name "
         "exactly."},
        {"other", 2, ""},
        {"Home", 3, ""},
        {"hOME", -1,
         "Several profiles are named \"hOME\" but for the letter case; give the name "
         "exactly."},
        {"Nobody", -1, "No profile is named \"Nobody\"."},
        {"Othe", -1, "No profile is named \"Othe\"."},
    };
    for (const auto& c : cases) {
        const NameMatch match = FindProfileByName(list, c.name);
        EXPECT_EQ(match.index, c.index) << c.name;
        EXPECT_EQ(match.reason, c.reason) << c.name;
    }
}

// Commands run on a main window, with their answers.
class CommandRunner {
  public:
    explicit CommandRunner(MainWindowScene& scene) : scene_(scene) {}
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;
    // Every command is answered at most once.
    ~CommandRunner() {
        for (int id = 1; id <= commands_; ++id) {
            EXPECT_LE(std::count_if(replies_.begin(), replies_.end(),
                                    [id](const auto& reply) { return reply.first == id; }),
                      1)
                << "command " << id;
        }
    }

    // Runs a command; its answer when it came at once, nothing while it waits.
    std::optional<CommandResult> Run(Command command) {
        const int id = ++commands_;
        scene_.main->Commands.RunCommand(command, [this, id](CommandResult result) {
            replies_.emplace_back(id, std::move(result));
        });
        return AnswerOf(id);
    }
    std::optional<CommandResult> AnswerOf(int id) const {
        for (const auto& [of, result] : replies_) {
            if (of == id) {
                return result;
            }
        }
        return std::nullopt;
    }
    int Last() const { return commands_; }

  private:
    MainWindowScene& scene_;
    std::vector<std::pair<int, CommandResult>> replies_;
    int commands_ = 0;
};

class MainCommandsTest : public MainWindowTest {
  protected:
    std::optional<CommandResult> Run(Command command) { return runner.Run(std::move(command)); }
    CommandRunner runner{*this};
};

TEST_F(MainCommandsTest, AnActivationWaitsForTheUserAndEndsWithItsCode) {
    using Step = std::function<void()>;
    const Step typeAndActivate = [this] {
        TypePasswords("abcd", "abcd");
        ui.Click(main->ActivateButton);
    };
    const struct {
        const char* what;
        bool refuseStart;
        Step user;
        CommandResult reply;
        bool active;
    } cases[] = {
        {"activated", false, typeAndActivate, {kExitDone, ""}, true},
        {"driver refused",
         true,
         typeAndActivate,
         {kExitFailed, PendingCommand::kStartRefused},
         false},
        {"Cancel",
         false,
         [this] { ui.PressEscape(*main); },
         {kExitCancelled, PendingCommand::kWindowClosed},
         false},
        {"close box",
         false,
         [this] { ui.CloseBox(*main); },
         {kExitCancelled, PendingCommand::kWindowClosed},
         false},
        {"another profile",
         false,
         [&] { ui.Select(main->Profiles, 0), typeAndActivate(); },
         {kExitCancelled, PendingCommand::kOtherProfile},
         true},
        {"second /activate",
         false,
         [this] {
             EXPECT_EQ(Run({K::Activate, "work"}), std::nullopt);
             EXPECT_EQ(main->Profiles.ItemIndex(), 0);
         },
         {kExitCancelled, PendingCommand::kTakenOver},
         false},
        // Last: the program ends.
        {"quit",
         false,
         [this] {
             Run({K::Quit, ""});
         },
         {kExitCancelled, PendingCommand::kProgramEnded},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        os.refusedCodes.clear();
        if (c.refuseStart) {
            os.refusedCodes = {IOCTL_START};
        }
        PutProfiles({Profile("Work", "c:\\w"), Profile("Other", "c:\\o")});
        Start();
        main->Hide();
        EXPECT_EQ(Run({K::Activate, "Nobody"}),
                  (CommandResult{kExitNoProfile, "No profile is named \"Nobody\"."}));
        EXPECT_FALSE(main->Visible());
        EXPECT_EQ(Run({K::Activate, "other"}), std::nullopt);
        const int waiting = runner.Last();
        EXPECT_TRUE(main->Visible());
        EXPECT_EQ(main->Profiles.ItemIndex(), 1);
        EXPECT_TRUE(main->PassEdit2.Visible());
        c.user();
        EXPECT_EQ(runner.AnswerOf(waiting), c.reply);
        EXPECT_EQ(Run({K::Status, ""}), c.active ? (CommandResult{kExitDone, "on"})
                                                 : (CommandResult{kExitInactive, "off"}));
        main->Destroy();
    }
}

TEST(MainCommands, EachCommandAnswersAtOnceWithItsCodeAndWhy) {
    const struct {
        const char* what;
        bool on;
        bool refuseStop;
        Command command;
        CommandResult answer;
        bool onAfter;
        bool ended;
    } cases[] = {
        {"status off", false, false, {K::Status, ""}, {kExitInactive, "off"}, false, false},
        {"status on", true, false, {K::Status, ""}, {kExitDone, "on"}, true, false},
        {"deactivate off", false, true, {K::Deactivate, ""}, {kExitDone, ""}, false, false},
        {"deactivate", true, false, {K::Deactivate, ""}, {kExitDone, ""}, false, false},
        {"deactivate refused",
         true,
         true,
         {K::Deactivate, ""},
         {kExitFailed, "The driver refused to stop ciphering: protection is still on."},
         true,
         false},
        {"quit", true, false, {K::Quit, ""}, {kExitDone, ""}, false, true},
        {"quit refused",
         true,
         true,
         {K::Quit, ""},
         {kExitFailed,
          "The program ended, but the driver refused to stop ciphering: protection is still on."},
         true,
         true},
        {"usage",
         false,
         false,
         {K::Usage, ""},
         {kExitBadUsage, "The running copy takes no such command."},
         false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowScene t;
        t.PutProfiles({MainWindowScene::Profile("Work", "c:\\w")});
        t.Start();
        CommandRunner runner(t);
        if (c.on) {
            t.TypePasswords("abcd", "abcd");
            ASSERT_TRUE(t.ui.Click(t.main->ActivateButton));
        }
        if (c.refuseStop) {
            t.os.refusedCodes = {IOCTL_STOP};
        }
        EXPECT_EQ(runner.Run(c.command), c.answer);
        EXPECT_EQ(t.main->Protection.On(), c.onAfter);
        EXPECT_EQ(t.TrayTip() == TrayPresenter::kTipReady, !c.onAfter);
        EXPECT_EQ(t.ui.App().Terminated(), c.ended);
        // The person at the desktop hears of a refused stop from the tray's Deactivate and the
        // command alike.
        EXPECT_EQ(t.ui.Boxes().size(), c.refuseStop && c.on && !c.ended ? 1U : 0U);
    }
}

// A command the window fails to carry out (here the list's reload on showing) is answered once
// with a failure, and the person at the desktop sees the error as for any event.
TEST_F(MainCommandsTest, AFailureHalfWayIsAnsweredOnceAndShown) {
    PutProfiles({Profile("Work", "c:\\w")});
    Start();
    main->Hide();
    auto torn = *files.Contents(kStorage);
    torn.resize(600);
    files.PutFile(kStorage, torn);
    ui.App().RunEvent([this] { Run({K::Activate, "Work"}); });
    EXPECT_EQ(runner.AnswerOf(runner.Last()),
              (CommandResult{kExitFailed, "The running copy failed to carry the command out."}));
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, "Read beyond end of file.");
}

// A plain second start of the same user brings the running copy's window to the front.
TEST_F(MainCommandsTest, ASecondStartShowsTheWindowInFront) {
    PutProfiles({Profile("Work", "c:\\w")});
    Start();
    ui.CloseBox(*main);
    ASSERT_FALSE(main->Visible());
    EXPECT_EQ(Run({K::Start, ""}), (CommandResult{kExitDone, ""}));
    EXPECT_TRUE(main->Visible());
    ASSERT_FALSE(ui.ForegroundCalls().empty());
    EXPECT_EQ(ui.ForegroundCalls().back(), main);
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
        bool onAfter = false; // the state, and the tray, follow what the driver did
    } cases[] = {
        {"tray", [this] { ui.AnswerNext(kIdYes), main->DeacivateItemClick(); }, kEventOffByUser,
         LogType::Information},
        {"lock", raise(SystemEvent::SessionLocked), kEventOffOnLock, LogType::Information},
        {"sleep", raise(SystemEvent::Suspending), kEventOffOnSleep, LogType::Information},
        {"session end", raise(SystemEvent::SessionEnding), kEventOffOnSessionEnd,
         LogType::Information},
        {"session end refused",
         [&] { os.refusedCodes = {IOCTL_STOP}, ui.Raise(*main, SystemEvent::SessionEnding); },
         kEventStopRefused, LogType::Error, true},
        {"command", command(false), kEventOffByCommand, LogType::Information},
        {"refused stop", command(true), kEventStopRefused, LogType::Error, true},
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
        const LogEntry on{kEventProtectionOn, LogType::Information, {"Work", "tester"}};
        EXPECT_THAT(eventLog.entries, ElementsAre(on, LogEntry{c.id, c.type, {}}));
        EXPECT_EQ(main->Protection.On(), c.onAfter);
        EXPECT_EQ(TrayIconName(), c.onAfter ? "WORK" : "NOT_WORK");
        if (c.onAfter) {
            Run({K::Deactivate, ""});
        }
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
