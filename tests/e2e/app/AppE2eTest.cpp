// The real Veltarion.exe under Wine beside the stand-in driver, driven through window messages.
#include "app/AutoDeactivate.h"
#include "app/CommandWire.h"
#include "app/Main.h"
#include "app/OmvexUI.h"
#include "digest/MD5_RC4.h"
#include "dialogs/About.h"
#include "e2e/harness/E2eHarness.h"
#include "profiles/DefaultProf.h"
#include "profiles/ProfileRecord.h"
#include "profiles/profiles.h"
#include "win32/Win32Commands.h"
#include "win32/Win32ProcessFacts.h"
#include "win32/Win32EventLog.h"
#include "win32/driver/StandinKit.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace velt::e2e {
namespace {

namespace standin = velt::standin;
using Main = TSetParamForm;
using Codes = std::vector<std::uint32_t>;

std::vector<std::uint32_t> JournalCodes() {
    OmxStandinJournal journal{};
    if (!standin::ReadJournal(journal)) {
        return {0xDEADu};
    }
    return standin::Codes(journal);
}

// System DLLs the program loads itself, or the shell and the common controls load on demand.
constexpr const char* kPlantedDlls[] = {"shcore.dll", "wtsapi32.dll", "uxtheme.dll", "propsys.dll",
                                        "dwmapi.dll"};

class AppE2e : public ::testing::Test {
  protected:
    // Every scenario runs with a marker DLL beside the program under system DLL names: none may
    // ever be loaded from there.
    void SetUp() override {
        ASSERT_EQ(PrepareFirstStart(), "");
        ASSERT_TRUE(standin::ResetJournal());
        for (const char* dll : kPlantedDlls) {
            ASSERT_TRUE(CopyFileA(VELT_E2E_PLANTED_DLL, install_.Path(dll).c_str(), FALSE));
        }
    }
    void TearDown() override {
        app_.reset();
        DeleteSettingsKey();
        for (const char* dll : kPlantedDlls) {
            EXPECT_FALSE(FileExists(install_.Path(dll) + ".loaded")) << dll << " was loaded";
        }
    }

    // Starts the program from the install folder and waits for its main window.
    HWND Start(const std::vector<std::string>& env = {}) {
        app_ = std::make_unique<App>(install_, std::string(), env);
        EXPECT_TRUE(app_->Started());
        HWND main = app_->MainWindow();
        EXPECT_NE(main, nullptr);
        return main;
    }
    // Closes the welcome dialog of a first start with both boxes cleared.
    void DismissWelcome() {
        HWND welcome = app_->WaitWindow(nullptr, TDefaultForm::kCaption);
        ASSERT_NE(welcome, nullptr);
        PostMessageA(welcome, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(welcome) || !IsWindowVisible(welcome); }));
    }
    void TypePasswords(HWND main, const char* first, const char* second) {
        SetText(Item(main, Main::kPassEdit1), first);
        SetText(Item(main, Main::kPassEdit2), second);
    }
    // Types a password twice and presses Activate; waits for the window to hide.
    void Activate(HWND main, const char* password) {
        ASSERT_TRUE(ActivateFromMainWindow(main, password));
    }
    // Chooses a tray menu item that answers with a message box, and returns the box.
    HWND TrayItemBox(HWND main, int item, const char* caption) {
        EXPECT_TRUE(ChooseTrayItem(app_->Pid(), main, item));
        return app_->WaitMessageBox(caption);
    }
    // Shows the main window if it is hidden, activates and waits for the start.
    void ActivateShown(HWND main) {
        if (!Visible(main)) {
            Tray(main, kTrayDoubleClick);
            ASSERT_TRUE(WaitUntil([&] { return Visible(main); }));
        }
        Activate(main, "Secret12");
        ASSERT_TRUE(WaitUntil([&] { return JournalCodes().back() == OMX_IOCTL_START; }));
    }
    // Chooses Deactivate while protection is off and closes the answer.
    void ExpectInactive(HWND main) {
        HWND box = TrayItemBox(main, kMenuDeactivate, "Deactivation");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), "Omvex is already in inactive mode !");
        Answer(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    }
    // Chooses Deactivate while protection is on, answers Yes and waits for the stop.
    void Deactivate(HWND main) {
        HWND box = TrayItemBox(main, kMenuDeactivate, "Deactivation");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), "Do you really want to deactivate Omvex ?");
        Answer(box, IDYES);
        ASSERT_TRUE(WaitUntil([&] { return JournalCodes() == Codes{OMX_IOCTL_STOP}; }));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    }

    // The storage file's size, -1 while it does not exist (it is being replaced). Polled without
    // opening the file: an open handle at the wrong moment would make the program's save fail.
    long StoredBytes() const {
        const auto size = FileSize(install_.StorageFile());
        return size ? static_cast<long>(*size) : -1;
    }

    Install install_;
    std::unique_ptr<App> app_;
};

TEST_F(AppE2e, FirstStartShowsWelcomeAndDefaultProfileAndQuitStopsTwice) {
    HWND main = Start();
    HWND welcome = app_->WaitWindow(nullptr, TDefaultForm::kCaption);
    ASSERT_NE(welcome, nullptr);
    Screenshot("first-start");
    // The first-run profile is stored at once: a first start ended with the welcome up (End
    // task, a crash) leaves it for the next start, which finds its file and welcomes no more.
    const auto record = EncodeRecord(MakeDefaultProfile());
    const std::vector<std::uint8_t> firstRun(record.begin(), record.end());
    EXPECT_EQ(ReadFileBytes(install_.StorageFile()), firstRun);
    app_->Kill();
    ASSERT_TRUE(standin::ResetJournal());
    main = Start();
    EXPECT_EQ(app_->WaitWindow(nullptr, TDefaultForm::kCaption, 1000), nullptr);
    HWND profiles = Item(main, Main::kProfiles);
    EXPECT_EQ(ComboCount(profiles), 1);
    EXPECT_EQ(ComboItem(profiles, 0), "My Confidential Data");
    EXPECT_EQ(ComboIndex(profiles), 0);
    EXPECT_TRUE(Visible(Item(main, Main::kPassEdit2)));
    EXPECT_FALSE(Enabled(Item(main, Main::kActivateButton)));
    EXPECT_EQ(ReadFileBytes(install_.StorageFile()), firstRun);
    EXPECT_TRUE(SettingsKeyExists());
    // Connected: the drive mask, then the all-zero block.
    EXPECT_EQ(JournalCodes(), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS}));

    ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
    EXPECT_EQ(app_->WaitExit(), 0U);
    EXPECT_EQ(JournalCodes(),
              (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS, OMX_IOCTL_STOP, OMX_IOCTL_STOP}));
    // Quit keeps the default profile the welcome dialog announced.
    EXPECT_EQ(ReadFileBytes(install_.StorageFile()).value_or(std::vector<std::uint8_t>{}).size(),
              512u);
}

TEST_F(AppE2e, WelcomeOkMakesConfidentFolderAndOpensGettingStartedAndF1OpensReadMe) {
    const std::string log = install_.Path("opened.log");
    RegisterHtmRecorder(log);
    RemoveDirectoryA("C:\\CONFIDENT");
    HWND main = Start();
    HWND welcome = app_->WaitWindow(nullptr, TDefaultForm::kCaption);
    ASSERT_NE(welcome, nullptr);
    Click(Item(welcome, TDefaultForm::kOKBtn));
    ASSERT_TRUE(WaitUntil([&] { return RecordedOpens(log).size() == 1; }, 10000));
    EXPECT_TRUE(DirectoryExists("C:\\CONFIDENT"));
    EXPECT_NE(std::string(RecordedOpens(log)[0]).find("Getting Started.htm"), std::string::npos)
        << RecordedOpens(log)[0];
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(welcome); }));
    EXPECT_TRUE(Visible(main));

    PressHelp(Item(main, Main::kPassEdit1));
    ASSERT_TRUE(WaitUntil([&] { return RecordedOpens(log).size() == 2; }, 10000));
    EXPECT_NE(std::string(RecordedOpens(log)[1]).find("ReadMe.htm"), std::string::npos)
        << RecordedOpens(log)[1];
    RemoveDirectoryA("C:\\CONFIDENT");
}

// Whether upper lies above lower among the top-level windows (the z-order walked upwards).
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == upper) {
            return true;
        }
    }
    return false;
}

TEST_F(AppE2e, WelcomeStaysInFrontOfTheMainWindowUntilClosed) {
    HWND main = Start();
    HWND welcome = app_->WaitWindow(nullptr, TDefaultForm::kCaption);
    ASSERT_NE(welcome, nullptr);
    // The main window has selected the default profile and refreshed its controls.
    ASSERT_TRUE(WaitUntil([&] { return ComboIndex(Item(main, Main::kProfiles)) == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return Visible(Item(main, Main::kPassEdit2)); }));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == welcome; }))
        << "foreground " << GetForegroundWindow();
    EXPECT_TRUE(Above(welcome, main));
    Screenshot("welcome-in-front");

    // The user clicks the main window: it takes the activation, and the dialog comes back.
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(SetForegroundWindow(main));
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == welcome; }))
            << "foreground " << GetForegroundWindow() << " main " << main;
        EXPECT_TRUE(Above(welcome, main));
    }

    // Closed, the dialog leaves the main window in front, active and still showing the list.
    PostMessageA(welcome, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(welcome); }));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }))
        << "foreground " << GetForegroundWindow();
    EXPECT_TRUE(Visible(main));
    EXPECT_EQ(ComboIndex(Item(main, Main::kProfiles)), 0);
}

TEST_F(AppE2e, MismatchedPasswordsShowTheMessageAndSendNothing) {
    HWND main = Start();
    DismissWelcome();
    TypePasswords(main, "abcd", "abcD");
    HWND activate = Item(main, Main::kActivateButton);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(activate); }));
    Click(activate);
    HWND box = app_->WaitMessageBox("Passwords don't match");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(OnScreen(box)) << Placement(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main) << "the box belongs to the window it answers";
    Screenshot("passwords-dont-match");
    EXPECT_EQ(MessageBoxText(box), "Passwords don't match! Please retype and try again.");
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(Visible(main));
    EXPECT_EQ(Text(Item(main, Main::kPassEdit1)), "abcd");
    EXPECT_EQ(JournalCodes(), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS}));
}

TEST_F(AppE2e, ActivationHandsBlockToDriverSavesAndDeactivationAsks) {
    HWND main = Start();
    DismissWelcome();
    Screenshot("main-window");
    Activate(main, "Secret12");
    ASSERT_TRUE(WaitUntil([&] { return JournalCodes().size() == 4; }));
    EXPECT_EQ(JournalCodes(), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS,
                                     OMX_IOCTL_SET_PARAMS, OMX_IOCTL_START}));
    OmxStandinJournal journal{};
    ASSERT_TRUE(standin::ReadJournal(journal));
    EXPECT_EQ(journal.Running, 1U);
    const auto* block = journal.LastBlock;
    EXPECT_STREQ(reinterpret_cast<const char*>(block), "*");
    EXPECT_STREQ(reinterpret_cast<const char*>(block + 256), "C:\\CONFIDENT\\*.*");
    EXPECT_EQ(0, std::memcmp(block + 512, PasswordDigest("Secret12").data(), kDigestSize));
    EXPECT_EQ(block[576], 2);

    // Saved: one record of the default profile, as typed, and the index (written first; the
    // first start stored the same record already).
    ASSERT_TRUE(WaitUntil([&] { return CurrentProfileValue() == 0 && StoredBytes() == 512; }));
    const auto stored = *ReadFileBytes(install_.StorageFile());
    EXPECT_EQ(std::string(stored.begin() + 1, stored.begin() + 1 + stored[0]),
              "My Confidential Data");
    EXPECT_EQ(std::string(stored.begin() + 101, stored.begin() + 101 + stored[100]),
              "c:\\confident\\*.*");
    EXPECT_EQ(CurrentProfileValue(), 0);
    EXPECT_EQ(Text(Item(main, Main::kPassEdit1)), "");

    HWND box = TrayItemBox(main, kMenuDeactivate, "Deactivation");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(OnScreen(box)) << Placement(box);
    EXPECT_EQ(MessageBoxText(box), "Do you really want to deactivate Omvex ?");
    Screenshot("deactivate-question");
    Answer(box, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_EQ(JournalCodes().size(), 4U);
    ASSERT_TRUE(standin::ResetJournal());
    Deactivate(main);
    ExpectInactive(main);
}

TEST_F(AppE2e, RefusedStopIsToldAndProtectionStaysOn) {
    HWND main = Start();
    DismissWelcome();
    Activate(main, "Secret12");
    ASSERT_TRUE(WaitUntil([&] { return JournalCodes().back() == OMX_IOCTL_START; }));
    OmxStandinFaults faults{};
    faults.RefuseCode = OMX_IOCTL_STOP;
    ASSERT_TRUE(standin::ResetJournal(faults));
    Deactivate(main);
    HWND box = app_->WaitMessageBox("Deactivation");
    ASSERT_NE(box, nullptr);
    Screenshot("refused-stop");
    EXPECT_NE(std::string(MessageBoxText(box)).find("could not stop ciphering"), std::string::npos);
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    // Still on: Deactivate asks again.
    ASSERT_TRUE(standin::ResetJournal());
    Deactivate(main);
}

TEST_F(AppE2e, RefusedStartKeepsReadyStateAndTellsTheUser) {
    HWND main = Start();
    DismissWelcome();
    OmxStandinFaults faults{};
    faults.RefuseCode = OMX_IOCTL_START;
    ASSERT_TRUE(standin::ResetJournal(faults));
    Activate(main, "abcdef");
    HWND box = app_->WaitMessageBox("Activation");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(OnScreen(box)) << Placement(box);
    Screenshot("refused-start");
    EXPECT_NE(std::string(MessageBoxText(box)).find("not turned on"), std::string::npos)
        << MessageBoxText(box);
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    // Saved all the same (the index marks a save: the first start wrote the file only).
    EXPECT_TRUE(WaitUntil([&] { return CurrentProfileValue() == 0 && StoredBytes() == 512; }));
    ASSERT_TRUE(standin::ResetJournal());
    ExpectInactive(main);
}

// Walking away: each chosen event turns active protection off without asking, delivered as the
// system delivers it; an event not chosen changes nothing.
TEST_F(AppE2e, LockChosenInTheMenuTurnsProtectionOffAndARefusedStopIsTold) {
    HWND main = Start();
    DismissWelcome();
    // The lock is chosen in the submenu (its first item); sleep is not.
    HWND menu = OpenTrayMenu(app_->Pid(), main);
    ASSERT_NE(menu, nullptr);
    OpenSubmenu(menu, kMenuAutoDeactivate);
    Screenshot("auto-deactivate-menu");
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ASSERT_TRUE(WaitUntil([] { return SettingsDword(kDeactivateOnLockValue) == 1U; }));

    ActivateShown(main);
    SendMessageA(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(JournalCodes().back(), OMX_IOCTL_START) << "sleep is not chosen";
    // Refused, the stop leaves protection on (a later lock stops it) and a balloon tells.
    OmxStandinFaults faults{};
    faults.RefuseCode = OMX_IOCTL_STOP;
    ASSERT_TRUE(standin::ResetJournal(faults));
    SendMessageA(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_EQ(JournalCodes(), Codes{OMX_IOCTL_STOP});
    Screenshot("lock-refused-balloon");
    ASSERT_TRUE(standin::ResetJournal());
    SendMessageA(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_EQ(JournalCodes(), Codes{OMX_IOCTL_STOP});
    Screenshot("locked-balloon");
    ExpectInactive(main);
}

TEST_F(AppE2e, SleepChosenInTheRegistryAndALockFixedByPolicyTurnProtectionOff) {
    HWND main = Start();
    DismissWelcome();
    // Sleep chosen by an administrator in the registry, the lock turned off.
    WriteSettingsDword(kDeactivateOnLockValue, 0);
    WriteSettingsDword(kDeactivateOnSleepValue, 1);
    ActivateShown(main);
    SendMessageA(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_EQ(JournalCodes().back(), OMX_IOCTL_START) << "the lock is not chosen";
    SendMessageA(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(JournalCodes().back(), OMX_IOCTL_STOP);
    ExpectInactive(main);

    // The lock fixed on by machine policy: obeyed over the user's "off"; its item shows it checked
    // and greyed, and choosing it writes nothing (a click would write 0).
    WritePolicyDword(kDeactivateOnLockValue, 1);
    ActivateShown(main);
    SendMessageA(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    EXPECT_EQ(JournalCodes().back(), OMX_IOCTL_STOP);
    ExpectInactive(main);
    WriteSettingsDword(kDeactivateOnLockValue, 1);
    HWND menu = OpenTrayMenu(app_->Pid(), main);
    ASSERT_NE(menu, nullptr);
    OpenSubmenu(menu, kMenuAutoDeactivate);
    Screenshot("auto-deactivate-policy");
    // Choosing it, then the sleep item below: once sleep's click is written, the lock's was seen.
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0x00500001);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ASSERT_TRUE(WaitUntil([] { return SettingsDword(kDeactivateOnSleepValue) == 0U; }));
    EXPECT_EQ(SettingsDword(kDeactivateOnLockValue), 1U);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    WritePolicyDword(kDeactivateOnLockValue, 2); // invalid: counts as not set from here on
}

// The timer looks when the period would be up, and again a period after later input.
TEST_F(AppE2e, IdleTimeTurnsProtectionOffCountingFromTheLastInput) {
    HWND main = Start();
    DismissWelcome();
    constexpr DWORD kIdleMs = 3000;
    WriteSettingsDword(kDeactivateIdleValue, kIdleMs / 1000);
    const auto stopAfter = [](DWORD from) {
        ASSERT_TRUE(
            WaitUntil([] { return JournalCodes().back() == OMX_IOCTL_STOP; }, 2 * kIdleMs + 2000));
        EXPECT_GE(GetTickCount() - from, kIdleMs - 500);
    };
    ActivateShown(main);
    stopAfter(GetTickCount());
    ExpectInactive(main);

    // A key press moves the stop from half a period after it to a whole period after it.
    ActivateShown(main);
    Sleep(kIdleMs / 2); // no input for half the period, then a key press
    ASSERT_TRUE(PressKeyOnDisplay("shift"));
    stopAfter(GetTickCount());
}

TEST_F(AppE2e, TrayRightClickOpensMenuAndDoubleClickBringsWindowBack) {
    HWND main = Start();
    DismissWelcome();
    HWND menu = OpenTrayMenu(app_->Pid(), main);
    ASSERT_NE(menu, nullptr);
    Screenshot("tray-menu");
    DismissMenu(menu);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));

    // The close box hides the window (and saves); a double click on the icon shows it again.
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }));
    EXPECT_TRUE(WaitUntil([&] { return CurrentProfileValue() == 0 && StoredBytes() == 512; }));
    EXPECT_TRUE(app_->Running());
    Tray(main, kTrayDoubleClick);
    EXPECT_TRUE(WaitUntil([&] { return Visible(main); }));

    // The about command, from the menu.
    ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuAbout));
    HWND about = app_->WaitWindow(nullptr, TAboutForm::kCaption);
    ASSERT_NE(about, nullptr);
    Screenshot("about");
    EXPECT_EQ(Text(Item(about, TAboutForm::kLabel2)), "Version 1.0.4");
    Click(Item(about, TAboutForm::kOKButton));
    EXPECT_TRUE(WaitUntil([&] { return !Visible(about); }));
}

TEST_F(AppE2e, CloseBoxKeepsTypedPasswordsAndCancelEmptiesThem) {
    HWND main = Start();
    DismissWelcome();
    HWND edit1 = Item(main, Main::kPassEdit1);
    // Another program's text beyond the edit's limit is not taken (the edit's own limit holds
    // for typing only).
    SetText(edit1, std::string(33, 'x').c_str());
    EXPECT_TRUE(WaitUntil([&] { return Text(edit1).empty(); })) << Text(edit1).size();
    SetText(edit1, std::string(32, 'x').c_str());
    EXPECT_EQ(Text(edit1).size(), 32U);
    TypePasswords(main, "abcd", "abcd");
    ASSERT_TRUE(WaitUntil([&] { return Enabled(Item(main, Main::kActivateButton)); }));
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }));
    Tray(main, kTrayDoubleClick);
    ASSERT_TRUE(WaitUntil([&] { return Visible(main); }));
    EXPECT_EQ(Text(edit1).size(), 4U) << "the close box keeps the typed text";

    // The close box saved the list; emptied again, the file shows whether Cancel saves too (the
    // program is idle now: it answered the text query above after loading the list on show).
    ASSERT_TRUE(WaitUntil([&] { return CurrentProfileValue() == 0 && StoredBytes() == 512; }));
    ASSERT_TRUE(WriteFileBytes(install_.StorageFile(), {}));
    Click(Item(main, Main::kCancelButton));
    ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }));
    EXPECT_EQ(Text(edit1), "");
    EXPECT_EQ(Text(Item(main, Main::kPassEdit2)), "");
    EXPECT_FALSE(Enabled(Item(main, Main::kActivateButton)));
    // Both hid the window and saved the list.
    EXPECT_TRUE(WaitUntil([&] { return StoredBytes() == 512; })) << StoredBytes();
    EXPECT_EQ(CurrentProfileValue(), 0);
    EXPECT_TRUE(app_->Running());
}

TEST_F(AppE2e, SecondCopyEndsSilentlyAndACopyWhileAnotherUserRunsOneSaysSo) {
    HWND main = Start();
    App second(install_);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitExit(), 0U);
    EXPECT_TRUE(app_->Running());
    EXPECT_TRUE(Visible(main));
    ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
    EXPECT_EQ(app_->WaitExit(), 0U);

    // The prefix is one log-on session: another session's copy is a process holding the
    // machine's mutex. This copy says so and leaves the driver alone.
    ASSERT_TRUE(standin::ResetJournal());
    HANDLE held = CreateMutexA(nullptr, TRUE, kMachineMutexName);
    ASSERT_NE(held, nullptr);
    App third(install_);
    HWND box = third.WaitMessageBox(kApplicationTitle);
    ASSERT_NE(box, nullptr);
    Screenshot("other-session");
    EXPECT_EQ(MessageBoxText(box), kOtherSessionText);
    EXPECT_EQ(third.FindWindowOf(nullptr, kMainCaption), nullptr);
    Answer(box, IDOK);
    EXPECT_EQ(third.WaitExit(), 0U);
    EXPECT_EQ(JournalCodes(), Codes{}) << "no request reaches the driver";
    ReleaseMutex(held);
    CloseHandle(held);

    // An event that took the lock's name first hides whether another copy runs: the same.
    HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, kMachineMutexName);
    ASSERT_NE(squatter, nullptr);
    App fourth(install_);
    box = fourth.WaitMessageBox(kApplicationTitle);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kOtherSessionText);
    Answer(box, IDOK);
    EXPECT_EQ(fourth.WaitExit(), 0U);
    EXPECT_EQ(JournalCodes(), Codes{}) << "no request reaches the driver";
    CloseHandle(squatter);
}

// The installers' quit request, and the tag an earlier version's command messages carried.
constexpr const char* kQuitEvent = shared::kQuitEvent;
constexpr ULONG_PTR kForgedCommandTag = 0x444D4356;

// What another program of the same user can put in the channel's way before a copy runs: the
// pipe under the channel's name (as its first instance), and a window of the command window's
// former class.
class LookAlikes {
  public:
    LookAlikes() {
        pipe_ = CreateNamedPipeA(velt::OwnCommandPipeName(velt::OwnProcessFacts()).c_str(),
                                 PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_NOWAIT, 4, 4096,
                                 4096, 0, nullptr);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "VeltarionCommand";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    }
    LookAlikes(const LookAlikes&) = delete;
    LookAlikes& operator=(const LookAlikes&) = delete;
    ~LookAlikes() {
        DestroyWindow(window_);
        CloseHandle(pipe_);
    }
    bool Made() const { return pipe_ != INVALID_HANDLE_VALUE && window_ != nullptr; }
    // What reached the pipe, and every message that reached the window.
    DWORD BytesReceived() {
        ConnectNamedPipe(pipe_, nullptr);
        DWORD available = 0;
        PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr);
        MSG msg;
        while (PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) {
            available += msg.message == WM_COPYDATA ? 1 : 0;
        }
        return available;
    }

  private:
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    HWND window_ = nullptr;
};

// Scripts turn protection on and off through the running copy and read the result as the exit
// code; with no copy running, /activate starts one that keeps running.
TEST_F(AppE2e, CommandLineDrivesTheRunningCopyAndTellsTheResult) {
    // A copy the command line started ends with the scenario, whatever its outcome.
    const std::shared_ptr<void> endStartedCopy(nullptr, [](void*) {
        DWORD pid = 0;
        if (GetWindowThreadProcessId(FindWindowA(nullptr, kMainCaption), &pid) != 0) {
            HANDLE copy = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            TerminateProcess(copy, 1);
            WaitForSingleObject(copy, kWaitMs);
            CloseHandle(copy);
        }
    });
    std::vector<std::uint8_t> stored;
    for (const bool checked : {false, true}) {
        TProfileObj p;
        p.ProfileName = checked ? "Other" : "Work";
        p.PathList = checked ? "c:\\other\\*.*" : "c:\\work\\*.*";
        p.CheckFlag = checked ? 1 : 0;
        p.CheckByte = PasswordCheckByte("Other123");
        const auto record = EncodeRecord(p);
        stored.insert(stored.end(), record.begin(), record.end());
    }
    ASSERT_TRUE(CreateDirectoryA(install_.Path("Profiles").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(install_.StorageFile(), stored));
    // The source is registered as the setups register it; the running copy traces its reports.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kEventSourceKey, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    app_ = std::make_unique<App>(install_, std::string(),
                                 std::vector<std::string>{"WINEDEBUG=+eventlog"});
    HWND main = app_->MainWindow();
    ASSERT_NE(main, nullptr);
    HWND profiles = Item(main, Main::kProfiles);
    ASSERT_TRUE(WaitUntil([&] { return ComboIndex(profiles) == 0; }));
    const auto run = [&](const std::string& arguments) {
        App command(install_, {}, {}, arguments);
        return command.WaitExit();
    };
    // A run whose standard output is a file, as "Veltarion.exe /status > file" makes it: its exit
    // code and what it wrote.
    const auto RunToFile = [&](const std::string& arguments) {
        const std::string file = install_.Path("out.txt");
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, nullptr);
        const std::string exe = install_.Path("Veltarion.exe");
        std::string line = "\"" + exe + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        PROCESS_INFORMATION info{};
        DWORD code = 99;
        if (CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                           install_.Dir().c_str(), &startup, &info)) {
            CloseHandle(info.hThread);
            if (WaitForSingleObject(info.hProcess, kWaitMs) == WAIT_OBJECT_0) {
                GetExitCodeProcess(info.hProcess, &code);
            }
            CloseHandle(info.hProcess);
        }
        CloseHandle(out);
        const auto bytes = ReadFileBytes(file).value_or(std::vector<std::uint8_t>{});
        return std::pair<DWORD, std::string>{code, std::string(bytes.begin(), bytes.end())};
    };
    // Typed into the window the command brought up, with the focus in the password edit; a
    // password typed for another profile is gone.
    const auto typeInto = [&](HWND window, DWORD& pid) {
        if (!WaitUntil([&] {
                return Visible(window) && ComboIndex(Item(window, Main::kProfiles)) == 1;
            })) {
            return false;
        }
        EXPECT_EQ(Text(Item(window, Main::kPassEdit1)), "");
        EXPECT_EQ(Text(Item(window, Main::kPassEdit2)), "");
        GUITHREADINFO focus{};
        focus.cbSize = sizeof focus;
        const DWORD thread = GetWindowThreadProcessId(window, &pid);
        EXPECT_TRUE(WaitUntil([&] {
            return GetGUIThreadInfo(thread, &focus) &&
                   focus.hwndFocus == Item(window, Main::kPassEdit1);
        }));
        return ActivateFromMainWindow(window, "Other123");
    };

    ASSERT_TRUE(standin::ResetJournal());
    TypePasswords(main, "Work1234", "Work1234"); // for Work, selected at the start
    ASSERT_EQ(Text(Item(main, Main::kPassEdit1)), "Work1234");
    {
        App command(install_, {}, {}, "/activate Other");
        DWORD pid = 0;
        ASSERT_TRUE(typeInto(main, pid));
        EXPECT_EQ(pid, app_->Pid());
        EXPECT_EQ(command.WaitExit(), 0U);
    }
    EXPECT_EQ(JournalCodes(), (Codes{OMX_IOCTL_SET_PARAMS, OMX_IOCTL_START}));
    OmxStandinJournal journal{};
    ASSERT_TRUE(standin::ReadJournal(journal));
    EXPECT_STREQ(reinterpret_cast<const char*>(journal.LastBlock + 256), "C:\\OTHER\\*.*");
    EXPECT_EQ(run("/deactivate"), 0U);
    EXPECT_EQ(run("/status"), 6U);

    // Nothing of these reaches the driver: an unknown name, Cancel, and foreign messages.
    ASSERT_TRUE(standin::ResetJournal());
    EXPECT_EQ(run("/activate Nobody"), 3U);
    EXPECT_FALSE(Visible(main));
    {
        App command(install_, {}, {}, "/activate \"Other\"");
        ASSERT_TRUE(WaitUntil([&] { return Visible(main) && ComboIndex(profiles) == 1; }));
        Click(Item(main, Main::kCancelButton));
        EXPECT_EQ(command.WaitExit(), 5U);
    }
    EXPECT_EQ(JournalCodes(), Codes{});
    // The answer may come before the hidden window's list is saved again.
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(install_.StorageFile()) == stored; }));

    // While protection is on, nothing but the running copy's channel is heard: a WM_COPYDATA
    // command naming the receiver's own window, sent to each of its windows, changes nothing;
    // the device answers no other process.
    {
        App command(install_, {}, {}, "/activate Other");
        DWORD pid = 0;
        ASSERT_TRUE(typeInto(main, pid));
        EXPECT_EQ(command.WaitExit(), 0U);
    }
    ASSERT_TRUE(standin::ResetJournal());
    const std::uint8_t forged[] = {'V', 'C', 'M', 'D', 1, 0, 2, 0, 0, 0, 0, 0, 0, 0};
    std::vector<HWND> receivers{main};
    for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) {
        DWORD owner = 0;
        if (GetWindowThreadProcessId(w, &owner) != 0 && owner == app_->Pid()) {
            receivers.push_back(w);
        }
    }
    EXPECT_GE(receivers.size(), 2U) << "the channel's message window";
    for (HWND receiver : receivers) {
        COPYDATASTRUCT data{kForgedCommandTag, sizeof forged, const_cast<std::uint8_t*>(forged)};
        SendMessageA(receiver, WM_COPYDATA, reinterpret_cast<WPARAM>(receiver),
                     reinterpret_cast<LPARAM>(&data));
    }
    HANDLE device = standin::OpenDevice();
    EXPECT_TRUE(device == INVALID_HANDLE_VALUE ||
                !standin::Control(device, OMX_IOCTL_STOP, nullptr, 0, nullptr, 0));
    if (device != INVALID_HANDLE_VALUE) {
        CloseHandle(device);
    }
    OmxStandinJournal held{};
    ASSERT_TRUE(standin::ReadJournal(held));
    EXPECT_EQ(held.Running, 1U);
    EXPECT_EQ(held.Stops, 0U) << "the device is the copy's";
    EXPECT_EQ(RunToFile("/status"), (std::pair<DWORD, std::string>{0, "on\r\n"}));
    EXPECT_EQ(run("/deactivate"), 0U);
    EXPECT_EQ(RunToFile("/status"), (std::pair<DWORD, std::string>{6, "off\r\n"}));
    EXPECT_EQ(RunToFile("/silent /nosuchswitch").first, 2U) << "no box holds the run up";

    // A plain second start brings the hidden main window up.
    ASSERT_FALSE(Visible(main));
    {
        App second(install_);
        EXPECT_EQ(second.WaitExit(), 0U);
    }
    EXPECT_TRUE(WaitUntil([&] { return Visible(main); }));
    Click(Item(main, Main::kCancelButton));

    // The activation's entry went to the Event Log with its ID.
    const std::string text = ErrorOutputOf(install_.Path("Veltarion.exe"));
    // The installers' request to quit: the event the running copy made, which administrators
    // may set (the Wine user is one).
    ASSERT_TRUE(standin::ResetJournal());
    HANDLE quit = OpenEventA(EVENT_MODIFY_STATE, FALSE, kQuitEvent);
    ASSERT_NE(quit, nullptr);
    ASSERT_TRUE(SetEvent(quit));
    EXPECT_EQ(app_->WaitExit(), 0U);
    CloseHandle(quit);
    EXPECT_EQ(JournalCodes(), (Codes{OMX_IOCTL_STOP, OMX_IOCTL_STOP})) << "quit as the tray's";
    EXPECT_NE(text.find(",0x0004,0x0000,0x000003e8,"), std::string::npos)
        << "ID 1000, protection on: " << text.substr(0, 2000);
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(lower.find("c:\\\\other"), std::string::npos) << "no path in the log, in any case";

    // With no copy running, only /activate starts one, which then keeps running. A look-alike
    // window and a pipe of the channel's name that another program made are not believed:
    // nothing is sent to either.
    EXPECT_EQ(run("/status"), 6U);
    EXPECT_EQ(run("/deactivate"), 0U);
    EXPECT_EQ(run("/quit"), 0U);
    {
        LookAlikes lookAlikes;
        ASSERT_TRUE(lookAlikes.Made());
        EXPECT_EQ(run("/status"), 1U);
        EXPECT_EQ(run("/deactivate"), 1U);
        // A copy that finds its pipe's name taken takes no command, and still hears the
        // installers.
        App blocked(install_);
        ASSERT_NE(blocked.MainWindow(), nullptr);
        EXPECT_EQ(run("/status"), 1U);
        HANDLE request = OpenEventA(EVENT_MODIFY_STATE, FALSE, kQuitEvent);
        ASSERT_NE(request, nullptr);
        ASSERT_TRUE(SetEvent(request));
        EXPECT_EQ(blocked.WaitExit(), 0U);
        CloseHandle(request);
        EXPECT_EQ(lookAlikes.BytesReceived(), 0U);
    }
    ASSERT_TRUE(standin::ResetJournal());
    // The new copy starts on Work: Other is selected once the command is in.
    const DWORD first = 0;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Veltarion", &key), ERROR_SUCCESS);
    RegSetValueExA(key, "CurrentProfile", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&first), 4);
    RegCloseKey(key);
    // Made before the copy starts, owned by this program, with no access list.
    HANDLE squatted = CreateEventA(nullptr, TRUE, FALSE, kQuitEvent);
    ASSERT_NE(squatted, nullptr);
    App command(install_, {}, {}, "/activate Other");
    HWND started = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (started = FindWindowA(nullptr, kMainCaption)) != nullptr; }));
    DWORD pid = 0;
    ASSERT_TRUE(typeInto(started, pid));
    EXPECT_EQ(command.WaitExit(), 0U);
    EXPECT_EQ(JournalCodes(), (Codes{OMX_IOCTL_DRIVE_MASK, OMX_IOCTL_SET_PARAMS,
                                     OMX_IOCTL_SET_PARAMS, OMX_IOCTL_START}));
    HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, pid);
    EXPECT_EQ(WaitForSingleObject(copy, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "keeps running";
    // A quit request the copy could not trust (another program's event, which anyone may set)
    // was never taken.
    HANDLE untrusted = OpenEventA(EVENT_MODIFY_STATE, FALSE, kQuitEvent);
    ASSERT_NE(untrusted, nullptr);
    ASSERT_TRUE(SetEvent(untrusted));
    EXPECT_EQ(WaitForSingleObject(copy, 1000), static_cast<DWORD>(WAIT_TIMEOUT));
    // A refused stop is no quit done: the copy ends as the tray's Quit ends it, and says so.
    OmxStandinFaults faults{};
    faults.RefuseCode = OMX_IOCTL_STOP;
    ASSERT_TRUE(standin::ResetJournal(faults));
    EXPECT_EQ(run("/quit"), 1U);
    EXPECT_EQ(WaitForSingleObject(copy, kWaitMs), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(standin::ResetJournal());
    CloseHandle(copy);
    CloseHandle(untrusted);
    CloseHandle(squatted);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEventSourceKey);
}

TEST_F(AppE2e, CopyAfterACrashedOneStartsNormally) {
    Start();
    app_->Kill(); // dies holding the single-instance mutex
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(app_->Running());
}

TEST_F(AppE2e, TwentyCopiesAtOnceLeaveExactlyOneRunning) {
    std::vector<std::unique_ptr<App>> copies;
    for (int i = 0; i < 20; ++i) {
        copies.push_back(std::make_unique<App>(install_));
    }
    // All but one end; their start-up may take a while on a loaded machine.
    auto ended = [&] {
        return std::count_if(copies.begin(), copies.end(),
                             [](const auto& copy) { return !copy->Running(); });
    };
    WaitUntil([&] { return ended() >= 19; });
    EXPECT_EQ(ended(), 19);
    int running = 0;
    for (auto& copy : copies) {
        if (copy->Running()) {
            ++running;
            HWND main = copy->MainWindow();
            ASSERT_NE(main, nullptr);
            ASSERT_TRUE(ChooseTrayItem(copy->Pid(), main, kMenuQuit));
            EXPECT_EQ(copy->WaitExit(), 0U);
        }
    }
    EXPECT_EQ(running, 1);
}

// The oldest Windows it is for: as Windows XP it connects, activates, deactivates and quits as on
// later versions. As Windows 98 it takes the path of the 9x driver (a VXD, which Wine has not),
// says so and ends without a window.
TEST_F(AppE2e, RunsOnWindowsXpAndEndsOnWindows98AfterSayingItHasNoVxd) {
    {
        const WindowsVersionFor xp("Veltarion.exe", "winxp");
        HWND main = Start();
        DismissWelcome();
        Activate(main, "Secret12");
        ASSERT_TRUE(WaitUntil([&] { return JournalCodes().size() == 4; }));
        EXPECT_EQ(JournalCodes().back(), OMX_IOCTL_START);
        HWND box = TrayItemBox(main, kMenuDeactivate, "Deactivation");
        ASSERT_NE(box, nullptr);
        Answer(box, IDYES);
        ASSERT_TRUE(WaitUntil([&] { return JournalCodes().size() == 5; }));
        EXPECT_EQ(JournalCodes().back(), OMX_IOCTL_STOP);
        ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
        EXPECT_EQ(app_->WaitExit(), 0U);
    }
    const WindowsVersionFor win98("Veltarion.exe", "win98");
    ASSERT_TRUE(standin::ResetJournal());
    App app(install_);
    HWND box = app.WaitMessageBox("Initialize VXD ...");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box),
              "Can not connect with VXD !  Program can not work in this situation !");
    EXPECT_EQ(app.FindWindowOf(nullptr, kMainCaption), nullptr);
    Answer(box, IDOK);
    EXPECT_EQ(app.WaitExit(), 0U);
    EXPECT_EQ(JournalCodes(), Codes{}) << "the NT driver is never asked on the 9x path";
}

// A storage error thrown deep in the shipped program (optimised as a whole, without run-time
// type records) reaches the window's error handler: the user is told and the program runs on.
TEST_F(AppE2e, TornStorageFileIsReportedAndTheProgramRunsOn) {
    std::vector<std::uint8_t> stored(512 + 1, 0);
    const std::string name = "Bench";
    stored[0] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), stored.begin() + 1);
    CreateDirectoryA(install_.Path("Profiles").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(install_.StorageFile(), stored));
    HWND main = Start();
    HWND box = app_->WaitMessageBox(kApplicationTitle);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "Read beyond end of file.");
    Answer(box, IDOK);
    EXPECT_EQ(ComboCount(Item(main, Main::kProfiles)), 1) << "the whole record is listed";
    ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
    EXPECT_EQ(app_->WaitExit(), 0U);

    // A file of 129 MiB is refused at once, unread, and left as it is.
    constexpr std::size_t kHuge = 129 << 20;
    ASSERT_TRUE(WriteFileBytes(install_.StorageFile(), std::vector<std::uint8_t>(kHuge)));
    main = Start();
    box = app_->WaitMessageBox(kApplicationTitle, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), "The profiles file is larger than 128 MiB, so it was not read.");
    Answer(box, IDOK);
    EXPECT_EQ(ComboCount(Item(main, Main::kProfiles)), 0);
    ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
    box = app_->WaitMessageBox(kApplicationTitle); // Quit's save goes to a file of its own
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find("left unchanged"), std::string::npos);
    Answer(box, IDOK);
    EXPECT_EQ(app_->WaitExit(), 0U);
    EXPECT_EQ(FileSize(install_.StorageFile()), kHuge);

    // Recorded by a setup, the same folder is an installed copy: its profiles go to the user's
    // local application data, copied once from the shared file, and the folder stays as it was.
    const auto shared = std::vector<std::uint8_t>(stored.begin(), stored.begin() + 512);
    char local[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    const std::string own = std::string(local) + "\\Veltarion\\profiles.omx";
    DeleteFileA(own.c_str());
    constexpr const char* kUninstall =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltarion";
    const auto record = [&](const char* path, const char* name) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(install_.Dir().c_str()),
                       static_cast<DWORD>(install_.Dir().size() + 1));
        RegCloseKey(key);
    };
    record(kUninstall, "InstallLocation");
    DeleteFileA(install_.Path("Profiles\\profiles.bak").c_str());
    // The setup program's record, then the package's alone (a fresh user store each time).
    const std::vector<std::uint8_t> sharedFiles[] = {shared, std::vector<std::uint8_t>(1024, 0),
                                                     shared};
    for (const auto& sharedNow : sharedFiles) {
        if (&sharedNow == &sharedFiles[2]) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstall);
            record(shared::kInstallerKey, shared::kInstallFolderValue);
            DeleteFileA(own.c_str());
        }
        ASSERT_TRUE(WriteFileBytes(install_.StorageFile(), sharedNow));
        main = Start();
        EXPECT_EQ(ComboCount(Item(main, Main::kProfiles)), 1) << "copied once, then the user's own";
        PostMessageA(main, WM_CLOSE, 0, 0); // hiding the window saves the list
        ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }));
        ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
        EXPECT_EQ(app_->WaitExit(), 0U);
        EXPECT_EQ(FileSize(own), 512U);
        EXPECT_EQ(ReadFileBytes(install_.StorageFile()), sharedNow);
        EXPECT_FALSE(FileExists(install_.Path("Profiles\\profiles.bak")));
    }

    // A shared file with a second name (a user could have linked it to a file of their own before
    // the upgrade) is never taken in: the user starts with the first-run profile.
    ASSERT_TRUE(WriteFileBytes(install_.StorageFile(), shared));
    DeleteFileA(own.c_str());
    const std::string planted = install_.Path("Profiles\\planted.omx");
    ASSERT_TRUE(CreateHardLinkA(planted.c_str(), install_.StorageFile().c_str(), nullptr));
    main = Start();
    DismissWelcome();
    EXPECT_EQ(ComboItem(Item(main, Main::kProfiles), 0), "My Confidential Data");
    ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
    EXPECT_EQ(app_->WaitExit(), 0U);
    EXPECT_EQ(ReadFileBytes(install_.StorageFile()), shared);
    DeleteFileA(planted.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstall);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, shared::kInstallerKey);
}

TEST_F(AppE2e, MissingDriverFileIsReportedAndTheProgramEnds) {
    // A registered service whose driver file is missing, and no loaded driver.
    ASSERT_TRUE(standin::RemoveDriver());
    Install bare(Install::Options{.withDriver = false, .withDocs = true});
    ASSERT_TRUE(standin::InstallDriver(bare.Path("OMXDRV.SYS")));
    {
        App app(bare);
        HWND box = app.WaitMessageBox("Loading driver ...", 15000);
        ASSERT_NE(box, nullptr);
        Screenshot("missing-driver");
        EXPECT_EQ(MessageBoxText(box),
                  "Can not run WinNT-service !  Program can not work in this situation !");
        Answer(box, IDOK);
        EXPECT_EQ(app.WaitExit(), 0U);
    }
    ASSERT_TRUE(standin::RemoveDriver());
    ASSERT_TRUE(standin::EnsureRunning(standin::DriverBesideExe()));
}

// No service yet, and a driver file that must not be loaded: one in a folder that everyone may
// write, one built for the other kind of Windows. Each is told; neither is registered as a service.
TEST_F(AppE2e, DriverFileUsersMayChangeOrForTheOtherWindowsIsRefused) {
    ASSERT_TRUE(standin::RemoveDriver());
    const auto refused = [&](Install& copy, const char* shot, const char* expected) {
        App app(copy);
        HWND box = app.WaitMessageBox("Loading driver ...", 15000);
        ASSERT_NE(box, nullptr);
        Screenshot(shot);
        EXPECT_NE(MessageBoxText(box).find(expected), std::string::npos) << MessageBoxText(box);
        Answer(box, IDOK);
        EXPECT_EQ(app.WaitExit(), 0U);
        EXPECT_EQ(standin::QueryServiceState(), standin::ServiceState::Absent);
    };
    {
        Install open;
        ASSERT_TRUE(UnixChmod(open.Dir(), "o+w"));
        refused(open, "driver-open-folder",
                "OMXDRV.SYS can be changed by users who are not administrators");

        // A service that exists for the file there is not started, even from a sound folder.
        ASSERT_TRUE(standin::InstallDriver(open.Path("OMXDRV.SYS")));
        Install sound;
        App app(sound);
        HWND box = app.WaitMessageBox("Loading driver ...", 15000);
        ASSERT_NE(box, nullptr);
        EXPECT_NE(MessageBoxText(box).find(open.Path("OMXDRV.SYS") + " can be changed"),
                  std::string::npos)
            << MessageBoxText(box);
        Answer(box, IDOK);
        EXPECT_EQ(app.WaitExit(), 0U);
        EXPECT_EQ(standin::QueryServiceState(), standin::ServiceState::Stopped);
        ASSERT_TRUE(standin::RemoveDriver());
        UnixChmod(open.Dir(), "o-w");
    }
    {
        // The driver for the other kind of Windows: the machine field of this prefix's stand-in
        // turned to AMD64 in a 32-bit prefix, to i386 in a 64-bit one (as the 32-bit zip there).
        Install other;
        auto image = ReadFileBytes(other.Path("OMXDRV.SYS")).value();
        const std::size_t machine = (image[60] | (image[61] << 8)) + 4;
        ASSERT_LT(machine + 2, image.size());
        const bool amd64 = image[machine] == 0x64 && image[machine + 1] == 0x86;
        image[machine] = amd64 ? 0x4C : 0x64;
        image[machine + 1] = amd64 ? 0x01 : 0x86;
        ASSERT_TRUE(WriteFileBytes(other.Path("OMXDRV.SYS"), image));
        refused(other, "driver-other-kind",
                amd64 ? "This is 64-bit Windows, but OMXDRV.SYS beside Veltarion.exe is a driver "
                        "for 32-bit Windows. Install the 64-bit package."
                      : "This is 32-bit Windows, but OMXDRV.SYS beside Veltarion.exe is a driver "
                        "for 64-bit Windows. Install the 32-bit package.");
    }
    ASSERT_TRUE(standin::EnsureRunning(standin::DriverBesideExe()));
}

} // namespace
} // namespace velt::e2e
