// Protection turning itself off on lock, sleep and idle time: which event, which choice, whether
// protection is on; the stored choices' bounds and the submenu's marks.
#include "app/AutoDeactivate.h"
#include "app/MainWindowFixture.h"

namespace velt::testing {
namespace {

using ::testing::ElementsAre;

enum class State { Inactive, Refused, Active, StopRefused };
enum class Event { Lock, Unlock, Sleep, Resume, IdleUp, IdleAfterInput };

// The main window with the stored choices and the protection state a row starts from.
class Scene : public MainWindowScene {
  public:
    bool Watching() { return ui.LockWatched(*main); }

    void Store(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> bytes) {
        registry.OpenKey("Software\\Veltarion", true)->WriteRaw(name, type, bytes);
    }
    void StoreDword(std::string_view name, std::uint32_t v) {
        registry.OpenKey("Software\\Veltarion", true)->WriteDword(name, v);
    }
    void Begin(State state) {
        PutProfiles({Profile("Twice", "c:\\a")});
        Start();
        session.now = kStartTick;
        session.lastInput = kStartTick - 5000;
        if (state == State::Inactive) {
            return;
        }
        if (state == State::Refused) {
            os.refusedCodes = {IOCTL_START};
        }
        TypePasswords("abcd", "abcd");
        ASSERT_TRUE(ui.Click(main->ActivateButton));
        ui.ClearBoxes();
        if (state == State::StopRefused) {
            os.refusedCodes = {IOCTL_STOP};
        }
    }
    static constexpr std::uint32_t kStartTick = 0xFFFFF000U; // the tick count wraps meanwhile
};

class AutoDeactivateTest : public ::testing::Test, public Scene {};

TEST(AutoDeactivate, ChosenEventsTurnActiveProtectionOffAndSayWhy) {
    struct Case {
        const char* name;
        std::uint32_t lock, sleep, idle;
        State state;
        Event event;
        const char* balloon; // nullptr: protection stays as it was
    };
    const Case cases[] = {
        {"lock", 1, 0, 0, State::Active, Event::Lock,
         "Protection was turned off because the computer was locked."},
        {"lock not chosen", 0, 1, 300, State::Active, Event::Lock, nullptr},
        {"lock while inactive", 1, 1, 0, State::Inactive, Event::Lock, nullptr},
        {"lock after refused start", 1, 1, 0, State::Refused, Event::Lock, nullptr},
        {"unlock", 1, 1, 0, State::Active, Event::Unlock, nullptr},
        {"sleep", 0, 1, 0, State::Active, Event::Sleep,
         "Protection was turned off because the computer went to sleep."},
        {"sleep not chosen", 1, 0, 300, State::Active, Event::Sleep, nullptr},
        {"resume", 1, 1, 0, State::Active, Event::Resume, nullptr},
        {"idle", 0, 0, 300, State::Active, Event::IdleUp,
         "Protection was turned off after 5 minutes without input."},
        {"idle in seconds", 0, 0, 90, State::Active, Event::IdleUp,
         "Protection was turned off after 90 seconds without input."},
        {"idle with input meanwhile", 0, 0, 300, State::Active, Event::IdleAfterInput, nullptr},
        {"idle never", 1, 1, 0, State::Active, Event::IdleUp, nullptr},
        {"idle after refused start", 0, 0, 300, State::Refused, Event::IdleUp, nullptr},
        {"lock, stop refused", 1, 0, 0, State::StopRefused, Event::Lock, kNotTurnedOffNotice},
        {"idle, stop refused", 0, 0, 300, State::StopRefused, Event::IdleUp, kNotTurnedOffNotice},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene t;
        t.StoreDword(kDeactivateOnLockValue, c.lock);
        t.StoreDword(kDeactivateOnSleepValue, c.sleep);
        t.StoreDword(kDeactivateIdleValue, c.idle);
        t.Begin(c.state);
        const bool active = c.state == State::Active || c.state == State::StopRefused;
        ASSERT_EQ(t.main->Protection.On(), active);
        EXPECT_TRUE(t.Watching());
        // The idle timer runs only while protection is on and an idle time is chosen, and looks
        // once per period when no input comes.
        EXPECT_EQ(t.ui.TimerInterval(*t.main, kIdleTimerId), active ? c.idle * 1000 : 0);
        const auto before = t.LaterRequests();
        const std::uint32_t idleUp = Scene::kStartTick + c.idle * 1000;
        switch (c.event) {
        case Event::Lock:
        case Event::Unlock:
            t.ui.Raise(*t.main, c.event == Event::Lock ? SystemEvent::SessionLocked
                                                       : SystemEvent::SessionUnlocked);
            break;
        case Event::Sleep:
        case Event::Resume:
            t.ui.Raise(*t.main,
                       c.event == Event::Sleep ? SystemEvent::Suspending : SystemEvent::Resumed);
            break;
        case Event::IdleUp:
        case Event::IdleAfterInput:
            t.session.now = idleUp;
            t.session.lastInput =
                c.event == Event::IdleUp ? Scene::kStartTick - 5000 : idleUp - 1000;
            t.ui.Tick(*t.main, kIdleTimerId);
            break;
        }
        EXPECT_TRUE(t.ui.Boxes().empty());
        if (c.balloon == nullptr) {
            EXPECT_EQ(t.main->Protection.On(), active);
            EXPECT_EQ(t.LaterRequests(), before);
            EXPECT_TRUE(t.ui.Balloons().empty());
            if (c.event == Event::IdleAfterInput) {
                EXPECT_EQ(t.ui.TimerInterval(*t.main, kIdleTimerId), c.idle * 1000 - 1000);
            }
            continue;
        }
        // A refused stop leaves protection on and the tray saying so; idle tries a period later.
        const bool stopped = c.state != State::StopRefused;
        EXPECT_EQ(t.main->Protection.On(), !stopped);
        EXPECT_THAT(t.LaterRequests(), ElementsAre(IOCTL_SET_PARAMS, IOCTL_START, IOCTL_STOP));
        EXPECT_EQ(t.TrayTip(),
                  stopped ? "OMVEX: Ready for job" : "OMVEX: Ciphering file I/O operation");
        EXPECT_EQ(t.TrayIconName(), stopped ? "NOT_WORK" : "WORK");
        EXPECT_EQ(t.ui.TimerInterval(*t.main, kIdleTimerId), stopped ? 0U : c.idle * 1000);
        // The Event Log names the walk-away, or the refusal.
        const EventId off = c.event == Event::Lock    ? kEventOffOnLock
                            : c.event == Event::Sleep ? kEventOffOnSleep
                                                      : kEventOffOnIdle;
        ASSERT_FALSE(t.eventLog.entries.empty());
        EXPECT_EQ(t.eventLog.entries.back().id, stopped ? off : kEventStopRefused);
        ASSERT_EQ(t.ui.Balloons().size(), 1U);
        EXPECT_EQ(t.ui.Balloons()[0].text, c.balloon);
        EXPECT_EQ(t.ui.Balloons()[0].title, "Omvex");
        EXPECT_EQ(t.ui.Balloons()[0].uID, 1U);
        EXPECT_NE(t.ui.Balloons()[0].hWnd, 0U);
    }
}

TEST(AutoDeactivate, StoredValuesOutOfBoundsMeanOffAndTheMarksFollowTheRegistry) {
    using Bytes = std::vector<std::uint8_t>;
    struct Case {
        const char* name;
        std::uint32_t type;
        Bytes idle; // the idle value as stored; the check values get the same bytes
        std::vector<std::string> checked;
    };
    const std::vector<std::string> allOn{"When the computer is locked",
                                         "When the computer goes to sleep"};
    const Case cases[] = {
        {"missing", kRegNone, {}, {"Never"}},
        {"one", kRegDword, {1, 0, 0, 0}, {allOn[0], allOn[1]}},
        {"two", kRegDword, {2, 0, 0, 0}, {}},
        {"5 minutes", kRegDword, {0x2C, 1, 0, 0}, {"After 5 minutes without input"}},
        {"60 minutes", kRegDword, {0x10, 0x0E, 0, 0}, {"After 60 minutes without input"}},
        {"24 hours", kRegDword, {0x80, 0x51, 1, 0}, {}},
        {"over 24 hours", kRegDword, {0x81, 0x51, 1, 0}, {"Never"}},
        {"string", kRegSz, {'3', '0', '0', 0}, {"Never"}},
        {"short", kRegDword, {1, 0}, {"Never"}},
        {"long", kRegBinary, {1, 0, 0, 0, 0, 0, 0, 0}, {"Never"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene t;
        if (c.type != kRegNone) {
            for (auto name :
                 {kDeactivateOnLockValue, kDeactivateOnSleepValue, kDeactivateIdleValue}) {
                t.Store(name, c.type, c.idle);
            }
        }
        t.Begin(State::Active);
        t.ui.TrayMouse(*t.main, kTrayRightButtonDown);
        EXPECT_EQ(t.ui.Menus().back().checked, c.checked);
        EXPECT_TRUE(t.ui.Boxes().empty());
    }
}

// Per value: a valid policy wins and fixes the choice, then the user's own value, then the
// machine default, then off; an invalid value at any place counts as not set.
TEST(AutoDeactivate, PolicyThenUserThenMachineDefaultDecideEachChoice) {
    constexpr std::int64_t kUnset = -1;
    constexpr std::int64_t kText = -2; // a REG_SZ "1"
    struct Case {
        std::string_view name;
        std::int64_t policy, user, machine;
        std::uint32_t effective;
        bool fixed;
    };
    const Case cases[] = {
        {kDeactivateOnLockValue, kUnset, kUnset, kUnset, 0, false},
        {kDeactivateOnLockValue, kUnset, kUnset, 1, 1, false},
        {kDeactivateOnLockValue, kUnset, 0, 1, 0, false},
        {kDeactivateOnLockValue, kUnset, 2, 1, 1, false},
        {kDeactivateOnLockValue, 1, 0, 0, 1, true},
        {kDeactivateOnLockValue, 0, 1, 1, 0, true},
        {kDeactivateOnLockValue, 2, 1, 0, 1, false},
        {kDeactivateOnLockValue, kText, kUnset, 1, 1, false},
        {kDeactivateOnSleepValue, 1, kUnset, kUnset, 1, true},
        {kDeactivateIdleValue, 900, 300, 3600, 900, true},
        {kDeactivateIdleValue, 0, 300, 3600, 0, true},
        {kDeactivateIdleValue, kMaxIdleSeconds + 1, 300, 3600, 300, false},
        {kDeactivateIdleValue, kUnset, 0, 3600, 0, false},
        {kDeactivateIdleValue, kUnset, kMaxIdleSeconds + 1, 3600, 3600, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.policy) + "/" +
                     std::to_string(c.user) + "/" + std::to_string(c.machine));
        FakeRegistry user, policy, machine;
        const auto put = [&](FakeRegistry& registry, std::string_view path, std::int64_t v) {
            if (v == kText) {
                registry.OpenKey(path, true)->WriteRaw(c.name, kRegSz, {'1', 0});
            } else if (v != kUnset) {
                registry.OpenKey(path, true)->WriteDword(c.name, static_cast<std::uint32_t>(v));
            }
        };
        put(policy, kPolicyKeyPath, c.policy);
        put(user, kSettingsKeyPath, c.user);
        put(machine, kSettingsKeyPath, c.machine);
        const auto set = ReadAutoDeactivateSettings({user, {policy, machine}}, kSettingsKeyPath);
        const auto got = c.name == kDeactivateOnLockValue ? std::pair(+set.onLock, set.onLockFixed)
                         : c.name == kDeactivateOnSleepValue
                             ? std::pair(+set.onSleep, set.onSleepFixed)
                             : std::pair(int(set.idleSeconds), set.idleFixed);
        EXPECT_EQ(got, std::pair(int(c.effective), c.fixed));
    }
}

TEST_F(AutoDeactivateTest, MenuChoicesAreStoredAndTakeEffectAtOnce) {
    Begin(State::Active);
    const auto open = [this](std::string caption) {
        ui.ChooseNext(std::move(caption));
        ui.TrayMouse(*main, kTrayRightButtonDown);
    };
    open("When the computer goes to sleep");
    open("After 15 minutes without input");
    EXPECT_EQ(ui.TimerInterval(*main, kIdleTimerId), 900000U);
    open("");
    EXPECT_THAT(ui.Menus().back().checked,
                ElementsAre("When the computer goes to sleep", "After 15 minutes without input"));
    open("When the computer goes to sleep");
    open("Never");
    EXPECT_EQ(ui.TimerInterval(*main, kIdleTimerId), 0U);
    open("");
    EXPECT_THAT(ui.Menus().back().checked, ElementsAre("Never"));
    // A failed write is reported; protection stays as it was.
    registry.failWrite = true;
    open("When the computer is locked");
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, "Failed to set data for 'DeactivateOnLock'.");
    EXPECT_TRUE(main->Protection.On());

    // Fixed by policy over the user's choices: shown as set and disabled, never written over.
    registry.failWrite = false;
    ui.ClearBoxes();
    open("When the computer is locked");
    for (const auto& [name, value] : {std::pair(kDeactivateOnLockValue, 1),
                                      {kDeactivateOnSleepValue, 1},
                                      {kDeactivateIdleValue, 300}}) {
        policy.OpenKey(kPolicyKeyPath, true)->WriteDword(name, value);
    }
    // Clicked in a menu opened before the policy came, too.
    auto& a = main->AutoDeactivate;
    a.OnLockItem.OnClick();
    a.Idle60Item.OnClick();
    open("When the computer is locked");
    EXPECT_THAT(ui.Menus().back().checked,
                ElementsAre("When the computer is locked", "When the computer goes to sleep",
                            "After 5 minutes without input"));
    std::vector<const MenuItem*> disabled;
    std::ranges::copy_if(main->IconMenu.Items(), std::back_inserter(disabled),
                         [](auto* i) { return !i->Enabled; });
    EXPECT_THAT(disabled, ElementsAre(&a.OnLockItem, &a.OnSleepItem, &a.Idle5Item, &a.Idle15Item,
                                      &a.Idle60Item, &a.IdleNeverItem));
    EXPECT_TRUE(ui.Boxes().empty());
    policy.DeleteTree(kPolicyKeyPath);
    open("");
    EXPECT_THAT(ui.Menus().back().checked, ElementsAre("When the computer is locked", "Never"));
}

TEST_F(AutoDeactivateTest, LockWatchThatCouldNotStartIsTriedAgainAndTheItemSaysSo) {
    StoreDword(kDeactivateOnLockValue, 1);
    ui.RefuseLockWatch(3); // at start, and at the next two tries
    Begin(State::Active);
    const auto expectWatch = [this](bool watching, unsigned retryMs) {
        EXPECT_EQ(Watching(), watching);
        EXPECT_EQ(main->AutoDeactivate.OnLockItem.Enabled, watching);
        EXPECT_EQ(main->AutoDeactivate.OnLockItem.Caption(),
                  watching ? "When the computer is locked"
                           : "When the computer is locked (not available)");
        EXPECT_EQ(ui.TimerInterval(*main, kWatchRetryTimerId), retryMs);
    };
    expectWatch(false, 60000);
    // No timer while the lock is not chosen; each menu opening tries again.
    StoreDword(kDeactivateOnLockValue, 0);
    ui.TrayMouse(*main, kTrayRightButtonDown);
    expectWatch(false, 0);
    StoreDword(kDeactivateOnLockValue, 1);
    ui.TrayMouse(*main, kTrayRightButtonDown);
    expectWatch(false, 60000);
    ui.Tick(*main, kWatchRetryTimerId);
    expectWatch(true, 0);
    ui.Raise(*main, SystemEvent::SessionLocked);
    EXPECT_FALSE(main->Protection.On());
    // The window's end ends the watch.
    main->FormDestroy();
    EXPECT_FALSE(Watching());
}

TEST_F(AutoDeactivateTest, EventsDuringADialogTurnProtectionOffAndTheDialogCarriesOn) {
    StoreDword(kDeactivateOnLockValue, 1);
    Begin(State::Active);
    // The Deactivate question is open when the computer is locked; the later Yes finds nothing to
    // turn off.
    ui.DuringNextBox([this] { ui.Raise(*main, SystemEvent::SessionLocked); });
    ui.AnswerNext(kIdYes);
    main->DeacivateItemClick();
    EXPECT_FALSE(main->Protection.On());
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_SET_PARAMS, IOCTL_START, IOCTL_STOP));
    // Locked while the shell is told of an activation: off again, and no refused start reported.
    ui.ClearBoxes();
    TypePasswords("abcd", "abcd");
    ui.WhileNextTrayCall([this] { ui.Raise(*main, SystemEvent::SessionLocked); });
    ASSERT_TRUE(ui.Click(main->ActivateButton));
    EXPECT_FALSE(main->Protection.On());
    EXPECT_TRUE(ui.Boxes().empty());
    EXPECT_EQ(TrayTip(), "OMVEX: Ready for job");
    // Active again, with the about box open.
    TypePasswords("abcd", "abcd");
    ASSERT_TRUE(ui.Click(main->ActivateButton));
    ui.Queue([this] {
        ui.Raise(*main, SystemEvent::SessionLocked);
        EXPECT_FALSE(main->Protection.On());
        EXPECT_EQ(ui.ModalForm(), AboutForm);
    });
    main->AboutItemClick();
    EXPECT_EQ(ui.Balloons().size(), 3U);
}

} // namespace
} // namespace velt::testing
