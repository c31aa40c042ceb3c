// The command line: its parsing, its message to the running copy, what the running copy makes of
// each command, and the Event Log entries of the program's events.
#include "app/CommandCaller.h"
#include "app/CommandChannel.h"
#include "app/CommandWire.h"
#include "app/MainCommands.h"
#include "app/MainWindowFixture.h"
#include "app/ProgramEvents.h"
#include "fakes/FakeEventLog.h"

#include <algorithm>
#include <map>
#include <stdexcept>

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
        {"/activate \"C:\\\\Work\\\\\"", {K::Activate, "C:\\\\Work\\"}},
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
        // /silent and /s stand anywhere and add to the one command.
        {"/silent /nosuchswitch", {K::BadUsage, "", true}},
        {"/S /status", {K::Status, "", true}},
        {"/activate Work -s", {K::Activate, "Work", true}},
        {"/silent", {K::Start, "", true}},
        {"/silentx /status", {K::BadUsage, ""}},
        {"/activate /s", {K::BadUsage, "", true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCommandLine(c.line), c.command) << c.line;
    }
}

// Each field of the usage table starts in the same column on every row, and no row is long
// enough to wrap in a console of 80 columns or in a message box (about 45 average characters
// under Wine; its tab stops are eight average characters apart: every first field ends before
// the second stop).
TEST(CommandLineTest, UsageTableKeepsItsColumns) {
    for (const UsageLayout layout : {UsageLayout::Console, UsageLayout::Box}) {
        const bool box = layout == UsageLayout::Box;
        std::vector<std::size_t> columns;
        const std::string text = UsageText(layout);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            const std::string line = text.substr(at, end - at);
            at = end + 1;
            const std::size_t gap = line.find(box ? "\t" : "  ");
            std::size_t width = line.size();
            if (gap != std::string::npos) {
                EXPECT_LT(gap, 16U) << line;
                const std::size_t second = line.find_first_not_of(" \t", gap);
                // In a box, the second field starts at a tab stop, eight average characters each.
                const std::size_t column = box ? 8 * (gap / 8 + second - gap) : second;
                columns.push_back(column);
                width = column + line.size() - second;
            }
            EXPECT_LT(width, box ? 46U : 80U) << line;
        }
        EXPECT_EQ(columns.size(), 13U);
        EXPECT_EQ(std::count(columns.begin(), columns.end(), columns.front()),
                  static_cast<std::ptrdiff_t>(columns.size()));
    }
}

TEST(CommandWireTest, OnlyTheCommandLayoutIsTaken) {
    for (const Command& command :
         {Command{K::Activate, "Work"}, Command{K::Activate, std::string(99, 'w')},
          Command{K::Deactivate, ""}, Command{K::Status, ""}, Command{K::Quit, ""},
          Command{K::Start, ""}}) {
        const auto bytes = EncodeCommand(command);
        EXPECT_EQ(DecodeCommand(bytes.data(), bytes.size()), command) << command.profile;
    }
    for (const Command& none :
         {Command{K::Usage, ""}, Command{K::BadUsage, ""}, Command{K::Activate, ""},
          Command{K::Activate, std::string(100, 'w')}}) {
        EXPECT_TRUE(EncodeCommand(none).empty());
    }

    const auto bytes = EncodeCommand({K::Activate, "Work"});
    // Each refused layout, by the byte changed, or the bytes cut or added.
    const auto refused = [&](std::size_t at, std::uint8_t value, std::size_t size) {
        auto copy = bytes;
        copy.resize(size, 'x');
        if (at < size) {
            copy[at] = value;
        }
        return !DecodeCommand(copy.data(), copy.size());
    };
    const std::size_t n = bytes.size();
    EXPECT_TRUE(refused(0, 0, n)) << "magic";
    EXPECT_TRUE(refused(4, 1, n)) << "version";
    EXPECT_TRUE(refused(6, 9, n) && refused(6, 0, n)) << "command";
    EXPECT_TRUE(refused(8, 5, n)) << "name length";
    EXPECT_TRUE(refused(8, 0, 10) && refused(6, 3, n)) << "activate without, status with a name";
    EXPECT_TRUE(refused(11, 0, n)) << "zero in the name";
    EXPECT_TRUE(refused(n, 0, n + 1) && refused(n, 0, 9) && refused(n, 0, 4096)) << "size";
    EXPECT_FALSE(DecodeCommand(nullptr, n));

    // A name of 100 bytes or more, its length field matching, is still refused.
    for (const std::size_t length : {100U, 101U, 255U}) {
        auto longer = bytes;
        longer[8] = static_cast<std::uint8_t>(length);
        longer.resize(kCommandHeaderSize + length, 'w');
        EXPECT_FALSE(DecodeCommand(longer.data(), longer.size())) << length;
    }
}

TEST(CommandWireTest, OnlyTheReplyLayoutIsTaken) {
    const auto decode = [](const std::vector<std::uint8_t>& bytes) {
        return DecodeReply(bytes.data(), bytes.size());
    };
    for (int code = kExitDone; code <= kExitInactive; ++code) {
        const CommandResult result{code, "line " + std::to_string(code)};
        EXPECT_EQ(decode(EncodeReply(result)), result);
    }
    const std::string longest(kMaxReplyLine, 'l');
    EXPECT_EQ(decode(EncodeReply({kExitFailed, longest + "cut"})),
              (CommandResult{kExitFailed, longest}));
    EXPECT_EQ(decode(EncodeReply({9, "x"})), (CommandResult{kExitFailed, "x"}));

    // Refused: a byte changed, a request, a line one over the limit with its length matching.
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        auto bytes = EncodeReply({kExitDone, longest});
        bytes[at] = value;
        return decode(bytes);
    };
    EXPECT_FALSE(changed(6, 7)) << "code";
    EXPECT_FALSE(changed(0, 'X')) << "magic";
    EXPECT_FALSE(decode(EncodeCommand({K::Status, ""}))) << "a request is no reply";
    auto over = EncodeReply({kExitDone, longest});
    over[8] = static_cast<std::uint8_t>((kMaxReplyLine + 1) & 0xFFU);
    over[9] = static_cast<std::uint8_t>((kMaxReplyLine + 1) >> 8U);
    over.push_back('l');
    EXPECT_FALSE(decode(over)) << "line over the limit";
}

// The running copy's and the caller's judgement of the other end, from the facts the system
// gives; a fact that could not be read refuses.
TEST(CommandChannelTest, EachEndIsJudgedFromItsFacts) {
    const std::string user = "S-1-5-21-1-2-3-1001";
    const ProcessFacts self{user, 1, 0x2000, "C:\\Program Files\\Veltarion\\Veltarion.exe"};
    const struct {
        const char* what;
        ProcessFacts other;
        bool client;
        bool server;
    } cases[] = {
        {"itself", self, true, true},
        {"another copy", {user, 1, 0x2000, "D:\\Portable\\VELTARION.EXE"}, true, true},
        {"a script, higher", {user, 1, 0x3000, "C:\\Windows\\System32\\cscript.exe"}, true, false},
        {"lower integrity", {user, 1, 0x1000, self.image}, false, true},
        {"integrity unread", {user, 1, std::nullopt, self.image}, false, true},
        {"another user", {"S-1-5-21-1-2-3-1002", 1, 0x2000, self.image}, false, false},
        {"user unread", {"", 1, 0x2000, self.image}, false, false},
        {"another session", {user, 2, 0x2000, self.image}, false, false},
        {"session unread", {user, std::nullopt, 0x2000, self.image}, false, false},
        {"look-alike name", {user, 1, 0x2000, "C:\\x\\Veltarion.exe.exe"}, true, false},
        {"image unread", {user, 1, 0x2000, ""}, true, false},
        {"no process at all", {}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClientMayCommand(self, c.other), c.client) << c.what;
        EXPECT_EQ(ServerIsOwnCopy(self, c.other), c.server) << c.what;
    }
    // Windows XP: no integrity levels at either end; the server known by its pipe's owner only.
    const ProcessFacts xp{user, 0, 0, self.image};
    EXPECT_TRUE(ClientMayCommand(xp, {user, 0, 0, ""}));
    ProcessFacts owner{user, std::nullopt, std::nullopt, ""};
    owner.pipeOwnerOnly = true;
    EXPECT_TRUE(ServerIsOwnCopy(xp, owner));
    owner.userSid = "S-1-5-21-1-2-3-1002";
    EXPECT_FALSE(ServerIsOwnCopy(xp, owner));
    owner.userSid.clear();
    EXPECT_FALSE(ServerIsOwnCopy({}, owner));

    EXPECT_NE(CommandPipeName(user, 1), CommandPipeName(user, 2));
    EXPECT_NE(CommandPipeName(user, 1), CommandPipeName("S-1-5-21-1-2-3-100", 11));
}

TEST(CommandChannelTest, QuitRequestIsBelievedOnlyFromAdministrators) {
    const AccessEntry wait{"S-1-1-0", 0x00120000}; // Everyone: wait, read
    const AccessEntry system{"S-1-5-18", 0x001F0003};
    const AccessEntry admins{"S-1-5-32-544", 0x10000000};
    const std::string adminsOwn = "S-1-5-32-544";
    const struct {
        const char* what;
        SecuritySummary event;
        bool trusted;
    } cases[] = {
        {"the installers'", {adminsOwn, true, {system, admins, wait}}, true},
        {"owned by SYSTEM", {"S-1-5-18", true, {system}}, true},
        {"owned by a user", {"S-1-5-21-1-2-3-1002", true, {system, admins, wait}}, false},
        {"owner unread", {"", true, {system}}, false},
        {"no access list", {adminsOwn, false, {}}, false},
        {"users may set it", {adminsOwn, true, {system, {"S-1-5-32-545", 0x0002}}}, false},
        {"everyone may re-permission it", {adminsOwn, true, {{"S-1-1-0", 0x00040000}}}, false},
        {"generic write", {adminsOwn, true, {{"S-1-1-0", 0x40000000}}}, false},
        {"a denial is no grant", {adminsOwn, true, {{"S-1-1-0", 0x10000000, AceType{1}}}}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuitEventTrusted(c.event), c.trusted) << c.what;
    }
}

// A stored name reaches the Event Log as one line that the viewer cannot expand.
TEST(CommandChannelTest, LogInsertsStayOneLiteralLine) {
    const struct {
        std::string name;
        std::string insert;
    } cases[] = {
        {"Work", "Work"},
        {"a\r\nb", "a  b"},
        {"tab\there", "tab here"},
        {std::string("nul\0x", 5), "nul x"},
        {"del\x7F", "del "},
        {"%%1234", "% % 1234"},
        {"%1 and %n", "% 1 and % n"},
        {"100%", "100% "},
        {"\xC0\xFF", "\xC0\xFF"}, // Windows-1251 letters stay
        {std::string(600, 'x'), std::string(kMaxLogInsert, 'x')},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogInsertText(c.name), c.insert) << c.name;
    }
}

// The caller's run over its channel: every exit code of every command, the line it writes, when
// anything is sent at all, and the usage box (never when silent).
class FakeChannel final : public ICommandChannel {
  public:
    Reach open = Reach::None;
    Reach started = Reach::None;
    bool otherUser = false;
    CommandResult answer{kExitDone, {}};
    std::vector<Command> sent;
    std::vector<std::string> lines;
    int boxes = 0;
    int starts = 0;

    Reach Open() override { return open; }
    Reach StartCopy() override {
        ++starts;
        return started;
    }
    bool OtherUserHoldsDriver() override { return otherUser; }
    CommandResult Send(const Command& command) override {
        sent.push_back(command);
        return answer;
    }
    void WriteLine(std::string_view line) override { lines.emplace_back(line); }
    void ShowBox(std::string_view, std::string_view, bool) override { ++boxes; }
};

TEST(CommandCallerTest, EachRunEndsWithItsCodeAndLine) {
    using R = ICommandChannel::Reach;
    constexpr R B = R::Believed, N = R::None, X = R::NotBelieved;
    const Command status{K::Status, ""}, off{K::Deactivate, ""}, quit{K::Quit, ""};
    const Command activate{K::Activate, "Work"};
    const CommandResult ok{kExitDone, ""}, none{};
    const CommandResult refused{kExitFailed, "The driver refused to stop."};
    const std::string other = "Another user's copy of Veltarion holds the driver.";
    const std::string notOurs = "The command pipe is not Veltarion's: nothing was sent.";
    const std::string done = "Done.";
    const std::string noProfile = "There is no profile of that name.";
    const std::string closed = "The main window was closed before the activation.";
    const std::string notStarted = "Veltarion could not be started.";
    const CommandResult missing{kExitNoProfile, ""}, cancelled{kExitCancelled, ""};
    const CommandResult ownWords{kExitDone, "Protection is on."};
    const std::string usage = UsageText(UsageLayout::Console);
    const std::string badUsage = "Bad usage: see Veltarion.exe /? for the switches.";
    const struct {
        const char* what;
        Command command;
        R open;
        R started;
        bool otherUser;
        CommandResult answer;
        int code;
        std::string line;
        bool sent;
        int starts;
    } cases[] = {
        {"status on", status, B, N, false, ok, 0, "on", true, 0},
        {"status off", status, B, N, false, {kExitInactive, ""}, 6, "off", true, 0},
        {"status, the copy's own words", status, B, N, false, ownWords, 0, "on", true, 0},
        {"status, no copy", status, N, N, false, none, 6, "off", false, 0},
        {"status, another user's copy", status, N, N, true, none, 4, other, false, 0},
        {"status, a pipe not believed", status, X, N, true, none, 1, notOurs, false, 0},
        {"deactivate", off, B, N, false, ok, 0, done, true, 0},
        {"deactivate refused", off, B, N, false, refused, 1, refused.line, true, 0},
        {"deactivate, no copy", off, N, N, false, none, 0, done, false, 0},
        {"deactivate, another user's copy", off, N, N, true, none, 4, other, false, 0},
        {"quit", quit, B, N, false, ok, 0, done, true, 0},
        {"quit refused", quit, B, N, false, refused, 1, refused.line, true, 0},
        {"quit, no copy", quit, N, N, false, none, 0, done, false, 0},
        {"activate", activate, B, N, false, ok, 0, done, true, 0},
        {"activate, no such profile", activate, B, N, false, missing, 3, noProfile, true, 0},
        {"activate cancelled", activate, B, N, false, cancelled, 5, closed, true, 0},
        {"activate, a copy started", activate, N, B, false, ok, 0, done, true, 1},
        {"activate, another user's copy", activate, N, B, true, none, 4, other, false, 0},
        {"activate, the copy never serves", activate, N, N, false, none, 1, notStarted, false, 1},
        {"activate past a pipe not believed", activate, X, B, false, ok, 0, done, true, 1},
        {"activate, still not believed", activate, X, X, false, none, 1, notOurs, false, 1},
        {"usage", {K::Usage, ""}, B, N, false, none, 0, usage, false, 0},
        {"bad usage", {K::BadUsage, ""}, B, N, false, none, 2, badUsage, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool silent : {false, true}) {
            FakeChannel channel;
            channel.open = c.open;
            channel.started = c.started;
            channel.otherUser = c.otherUser;
            channel.answer = c.answer;
            FakeEventLog log;
            Command command = c.command;
            command.silent = silent;
            EXPECT_EQ(RunCommandLine(command, channel, log), c.code);
            EXPECT_EQ(channel.lines, std::vector<std::string>{c.line});
            EXPECT_EQ(channel.sent.size(), c.sent ? 1U : 0U);
            EXPECT_EQ(channel.starts, c.starts);
            const bool usageBox = c.line == usage || c.line == badUsage;
            EXPECT_EQ(channel.boxes, usageBox && !silent ? 1 : 0);
            EXPECT_EQ(log.entries.size(), c.code == kExitOtherUser ? 1U : 0U);
        }
    }
}

TEST(CommandCallerTest, APlainStartShowsTheRunningCopy) {
    using R = ICommandChannel::Reach;
    for (const R open : {R::None, R::Believed, R::NotBelieved}) {
        FakeChannel channel;
        channel.open = open;
        EXPECT_EQ(ShowRunningCopy(channel), open == R::Believed);
        EXPECT_EQ(channel.sent.size(), open == R::Believed ? 1U : 0U);
        for (const Command& sent : channel.sent) {
            EXPECT_EQ(sent.kind, K::Start);
        }
        EXPECT_TRUE(channel.lines.empty());
    }
    FakeChannel refusing;
    refusing.open = R::Believed;
    refusing.answer = {kExitFailed, ""};
    EXPECT_FALSE(ShowRunningCopy(refusing));
}

TEST(FindProfileByName, ExactFirstThenTheOnlyOneButForCase) {
    ProfileList list;
    for (const char* name : {"Work", "work", "Other", "Home", "HOME"}) {
        list.AppendByName(MainWindowScene::Profile(name, "c:\\p"));
    }
    const std::string several = "\" but for the letter case; give the name exactly.";
    const struct {
        std::string name;
        int index;
        std::string reason;
    } cases[] = {
        {"Work", 0, ""},
        {"work", 1, ""},
        {"WORK", -1, "Several profiles are named \"WORK" + several},
        {"other", 2, ""},
        {"Home", 3, ""},
        {"hOME", -1, "Several profiles are named \"hOME" + several},
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
        for (const auto& [id, answers] : replies_) {
            EXPECT_EQ(answers.size(), 1U) << "command " << id;
        }
    }

    // Runs a command; its answer when it came at once, nothing while it waits.
    std::optional<CommandResult> Run(Command command) {
        const int id = ++commands_;
        scene_.main->Commands.RunCommand(command, [this, id](CommandResult result) {
            replies_[id].push_back(std::move(result));
        });
        return AnswerOf(id);
    }
    std::optional<CommandResult> AnswerOf(int id) const {
        const auto found = replies_.find(id);
        return found == replies_.end() ? std::nullopt : std::optional(found->second.front());
    }
    int Last() const { return commands_; }

  private:
    MainWindowScene& scene_;
    std::map<int, std::vector<CommandResult>> replies_;
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
    const Step secondActivate = [this] {
        EXPECT_EQ(Run({K::Activate, "work"}), std::nullopt);
        EXPECT_EQ(main->Profiles.ItemIndex(), 0);
    };
    const auto cancelled = [](const char* why) { return CommandResult{kExitCancelled, why}; };
    using P = PendingCommand;
    const struct {
        const char* what;
        bool refuseStart;
        Step user;
        CommandResult reply;
        bool active;
    } cases[] = {
        {"activated", false, typeAndActivate, {kExitDone, ""}, true},
        {"driver refused", true, typeAndActivate, {kExitFailed, P::kStartRefused}, false},
        {"Cancel", false, [this] { ui.PressEscape(*main); }, cancelled(P::kWindowClosed), false},
        {"close box", false, [this] { ui.CloseBox(*main); }, cancelled(P::kWindowClosed), false},
        {"another profile", false, [&] { ui.Select(main->Profiles, 0), typeAndActivate(); },
         cancelled(P::kOtherProfile), true},
        {"second /activate", false, secondActivate, cancelled(P::kTakenOver), false},
        // Last: the program ends.
        {"quit", false,
         [this] {
             Run({K::Quit, ""});
         },
         cancelled(P::kProgramEnded), false},
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
        // A plain second start of the same user brings the window to the front.
        EXPECT_EQ(Run({K::Start, ""}), (CommandResult{kExitDone, ""}));
        EXPECT_TRUE(main->Visible());
        ASSERT_FALSE(ui.ForegroundCalls().empty());
        EXPECT_EQ(ui.ForegroundCalls().back(), main);
        main->Hide();
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
    const std::string stillOn = "refused to stop ciphering: protection is still on.";
    const CommandResult stopRefused{kExitFailed, "The driver " + stillOn};
    const CommandResult quitRefused{kExitFailed, "The program ended, but the driver " + stillOn};
    const CommandResult noSuch{kExitBadUsage, "The running copy takes no such command."};
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
        {"deactivate refused", true, true, {K::Deactivate, ""}, stopRefused, true, false},
        {"quit", true, false, {K::Quit, ""}, {kExitDone, ""}, false, true},
        {"quit refused", true, true, {K::Quit, ""}, quitRefused, true, true},
        {"usage", false, false, {K::Usage, ""}, noSuch, false, false},
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

    // Failed after the answer (the box that tells of a refused stop): answered no more.
    MainWindowScene t;
    t.PutProfiles({Profile("Work", "c:\\w")});
    t.Start();
    t.TypePasswords("abcd", "abcd");
    ASSERT_TRUE(t.ui.Click(t.main->ActivateButton));
    t.os.refusedCodes = {IOCTL_STOP};
    t.ui.DuringNextBox([] { throw std::runtime_error("no box"); });
    CommandRunner second(t);
    t.ui.App().RunEvent([&] { second.Run({K::Deactivate, ""}); });
    EXPECT_EQ(second.AnswerOf(1)->code, kExitFailed);
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
        const LogEntry on{kEventProtectionOn, LogType::Information, {"Work"}};
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
