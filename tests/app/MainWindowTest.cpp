// The main window: creation, the enable rule of Activate, the password tests, activation and its
// refused start, deactivation, close and cancel, quit and destruction, the tray and its menu.
#include "app/MainCommands.h"
#include "app/MainWindowFixture.h"
#include "dialogs/InputReasons.h"

#include <cstring>

namespace velt::testing {
namespace {

using ::testing::ElementsAre;

TEST_F(MainWindowTest, CreationAddsReadyIconConnectsDriverAndMakesSettingsKey) {
    Create();
    ASSERT_EQ(ui.TrayCalls().size(), 1U);
    const auto& add = ui.TrayCalls()[0];
    EXPECT_EQ(add.operation, kNimAdd);
    EXPECT_EQ(add.data.cbSize, 88U);
    EXPECT_EQ(add.data.uID, 1U);
    EXPECT_EQ(add.data.uFlags, 7U);
    EXPECT_EQ(add.data.uCallbackMessage, 1024U);
    EXPECT_EQ(ui.IconName(add.data.hIcon), "NOT_WORK");
    EXPECT_STREQ(add.data.szTip, "OMVEX: Ready for job");
    EXPECT_FALSE(main->Protection.On());
    // The connection: drive mask, then the zero parameter block.
    EXPECT_THAT(os.RequestCodes(), ElementsAre(IOCTL_DRIVE_MASK, IOCTL_SET_PARAMS));
    EXPECT_TRUE(registry.KeyExists("Software\\Veltarion"));
    EXPECT_EQ(main->Caption(), "Veltarion");
    EXPECT_EQ(main->ProfilesFilePath, kStorage);
    EXPECT_EQ(main->FocusedControl(), &main->PassEdit1);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(MainWindowTest, UnreachableDriverIsReportedAndEndsTheProgram) {
    os.service = fakes::FakeDriverOs::Service::Missing;
    os.refuseCreate = true;
    os.refuseStart = true;
    Create();
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].caption, "Loading driver ...");
    EXPECT_TRUE(ui.App().Terminated());
    EXPECT_TRUE(eventLog.entries.empty()) << "no driver file was refused";
}

TEST_F(MainWindowTest, RefusedDriverFileIsReportedAndLogged) {
    os.service = fakes::FakeDriverOs::Service::Missing;
    driverFiles.contents["C:\\Omvex\\OMXDRV.SYS"] = fakes::FakeDriverFiles::PeImage(0x14C);
    driverFiles.security["C:\\Omvex"].reset(); // its rights cannot be read: refused
    Create();
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_TRUE(ui.App().Terminated());
    EXPECT_THAT(eventLog.entries,
                ElementsAre(LogEntry{kEventDriverFileRefused,
                                     LogType::Error,
                                     {"C:\\Omvex\\OMXDRV.SYS", ui.Boxes()[0].text}}));
}

TEST_F(MainWindowTest, F1AnywhereOpensReadMeFromTheCurrentDirectory) {
    Start();
    ui.PressF1(*main);
    ui.PressF1(*AboutForm);
    EXPECT_THAT(shell.openedDocuments, ElementsAre("ReadMe.htm", "ReadMe.htm"));
}

TEST_F(MainWindowTest, ActivateNeedsFourCharactersAndASelectedProfile) {
    PutProfiles({Profile("Checked", "c:\\a", "secret")});
    Start();
    ASSERT_FALSE(main->PassEdit2.Visible());
    ui.Type(main->PassEdit1, "sec");
    EXPECT_FALSE(main->ActivateButton.Enabled());
    EXPECT_EQ(main->ActivateButton.Hint(), kReasonTooShort);
    ui.Type(main->PassEdit1, "r");
    EXPECT_TRUE(main->ActivateButton.Enabled());
    EXPECT_EQ(main->ActivateButton.Hint(), "");
    ui.Backspace(main->PassEdit1);
    EXPECT_FALSE(main->ActivateButton.Enabled());
    // The edit refuses a 33rd character.
    EXPECT_FALSE(ui.Paste(main->PassEdit1, std::string(33, 'x')));
}

TEST_F(MainWindowTest, ActivateWithSecondEntryNeedsEqualLengthsOnly) {
    PutProfiles({Profile("Twice", "c:\\a")});
    Start();
    ASSERT_TRUE(main->PassEdit2.Visible());
    ui.Type(main->PassEdit1, "abcd");
    EXPECT_FALSE(main->ActivateButton.Enabled());
    EXPECT_EQ(main->ActivateButton.Hint(), kReasonReenter);
    ui.Type(main->PassEdit2, "wxy");
    EXPECT_FALSE(main->ActivateButton.Enabled());
    EXPECT_EQ(main->ActivateButton.Hint(), kReasonDiffer);
    ui.Type(main->PassEdit2, "zz");
    EXPECT_EQ(main->ActivateButton.Hint(), kReasonDiffer);
    ui.Backspace(main->PassEdit2);
    EXPECT_TRUE(main->ActivateButton.Enabled()) << "different texts of equal length enable it";
}

TEST_F(MainWindowTest, EmptyListNeverEnablesActivate) {
    PutProfiles({});
    Start();
    EXPECT_EQ(main->Profiles.ItemIndex(), -1);
    EXPECT_EQ(main->Profiles.Hint(), "");
    ui.Type(main->PassEdit1, "abcdef");
    EXPECT_FALSE(main->ActivateButton.Enabled());
    EXPECT_EQ(main->ActivateButton.Hint(), kReasonNoProfile);
    // Pressed anyway (enabled from an earlier state): nothing happens.
    main->ActivateButtonClick();
    EXPECT_TRUE(main->Visible());
    EXPECT_TRUE(LaterRequests().empty());
}

TEST_F(MainWindowTest, MismatchedPasswordsAreRefusedAndNothingElseChanges) {
    PutProfiles({Profile("Twice", "c:\\a")});
    Start();
    TypePasswords("abcd", "abcD");
    ASSERT_TRUE(ui.Click(main->ActivateButton));
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, "Passwords don't match! Please retype and try again.");
    EXPECT_EQ(ui.Boxes()[0].caption, "Passwords don't match");
    EXPECT_EQ(ui.Boxes()[0].flags, 16U);
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(main->PassEdit1.Text(), "abcd");
    EXPECT_EQ(main->PassEdit2.Text(), "abcD");
    EXPECT_TRUE(LaterRequests().empty());
    EXPECT_EQ(ui.TrayCalls().size(), 1U);
    EXPECT_FALSE(StoredIndex().has_value());
    // Both texts are selected and the focus is in the first: typing them again replaces them.
    EXPECT_EQ(main->FocusedControl(), &main->PassEdit1);
    TypePasswords("abcd", "abcd");
    ASSERT_TRUE(ui.Click(main->ActivateButton));
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_SET_PARAMS, IOCTL_START));
}

TEST_F(MainWindowTest, WrongPasswordOfCheckedProfileIsRefused) {
    PutProfiles({Profile("Checked", "c:\\a", "secret")});
    Start();
    TypePasswords("Secret", "");
    ASSERT_TRUE(ui.Click(main->ActivateButton));
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, "Password is not correct ! Selected profile requires another "
                                  "password. Please retype and try again.");
    EXPECT_EQ(ui.Boxes()[0].caption, "Password is not correct");
    EXPECT_EQ(ui.Boxes()[0].flags, 16U);
    EXPECT_TRUE(main->Visible());
    EXPECT_TRUE(LaterRequests().empty());
    EXPECT_EQ(main->PassEdit1.Text(), "Secret");
    EXPECT_EQ(main->FocusedControl(), &main->PassEdit1);
    TypePasswords("secret", "");
    ASSERT_TRUE(ui.Click(main->ActivateButton));
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_SET_PARAMS, IOCTL_START));
}

// A password is for the profile it was typed for: another selection, by the user or by a command,
// empties both edits; the same profile selected again keeps them.
TEST(PasswordEdits, AnotherSelectedProfileEmptiesThem) {
    using Step = std::function<void(MainWindowScene&)>;
    const auto activate = [](std::string name) -> Step {
        return [=](auto& t) {
            t.main->Commands.RunCommand({CommandKind::Activate, name}, [](auto) {});
        };
    };
    const struct {
        const char* what;
        Step select;
        bool kept;
    } cases[] = {
        {"user selects another", [](auto& t) { t.ui.Select(t.main->Profiles, 1); }, false},
        {"command selects another", activate("Twice"), false},
        {"command selects it again", activate("Other"), true},
        {"shown again after the close box",
         [](auto& t) { t.ui.CloseBox(*t.main), t.main->ActivateItemClick(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowScene t;
        t.PutProfiles({MainWindowScene::Profile("Other", "c:\\a"),
                       MainWindowScene::Profile("Twice", "c:\\b")});
        t.Start();
        t.TypePasswords("secret", "secret");
        ASSERT_TRUE(t.main->ActivateButton.Enabled());
        c.select(t);
        EXPECT_EQ(t.main->PassEdit1.Text(), c.kept ? "secret" : "");
        EXPECT_EQ(t.main->PassEdit2.Text(), c.kept ? "secret" : "");
        EXPECT_EQ(t.main->ActivateButton.Enabled(), c.kept);
    }
}

TEST_F(MainWindowTest, ActivationHandsUpperCasedListAndDigestToDriverThenSaves) {
    PutProfiles({Profile("Other", "c:\\x"),
                 Profile("Checked", "c:\\confident\\*.*;d:\\\xe0\xff", "secret")});
    registry.OpenKey("Software\\Veltarion", true)->WriteDword("CurrentProfile", 1);
    Start();
    ASSERT_EQ(main->Profiles.ItemIndex(), 1);
    TypePasswords("secret", "");
    ASSERT_TRUE(ui.Click(main->ActivateButton));

    EXPECT_TRUE(ui.Boxes().empty());
    EXPECT_FALSE(main->Visible());
    EXPECT_TRUE(main->Protection.On());
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_SET_PARAMS, IOCTL_START));
    const auto& block = os.requests[2].input;
    ASSERT_EQ(block.size(), 580U);
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), "*");
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data() + 256),
                 "C:\\CONFIDENT\\*.*;D:\\\xc0\xdf");
    const std::string digest = PasswordDigest("secret");
    EXPECT_EQ(0, std::memcmp(block.data() + 512, digest.data(), kDigestSize));
    EXPECT_EQ(block[576], 2);
    // The stored profile keeps its path list as typed.
    EXPECT_EQ(main->ProfileList.Profile(1).PathList, "c:\\confident\\*.*;d:\\\xe0\xff");

    EXPECT_EQ(main->PassEdit1.Text(), "");
    EXPECT_EQ(main->PassEdit2.Text(), "");
    EXPECT_FALSE(main->ActivateButton.Enabled());
    EXPECT_EQ(ui.TrayCalls().back().operation, kNimModify);
    EXPECT_EQ(TrayTip(), "OMVEX: Ciphering file I/O operation");
    EXPECT_EQ(TrayIconName(), "WORK");
    EXPECT_EQ(StoredIndex(), 1);
    EXPECT_EQ(StoredProfiles(), 2U);
}

TEST_F(MainWindowTest, ActivatingWhileActiveSendsNewParametersWithoutStop) {
    PutProfiles({Profile("Twice", "c:\\a")});
    Start();
    for (int round = 0; round < 2; ++round) {
        main->Show();
        TypePasswords("abcd", "abcd");
        ASSERT_TRUE(ui.Click(main->ActivateButton));
    }
    EXPECT_THAT(LaterRequests(),
                ElementsAre(IOCTL_SET_PARAMS, IOCTL_START, IOCTL_SET_PARAMS, IOCTL_START));
}

TEST_F(MainWindowTest, RefusedStartKeepsReadyTrayAndTellsTheUser) {
    PutProfiles({Profile("Twice", "c:\\a")});
    Start();
    os.refusedCodes = {IOCTL_START};
    TypePasswords("abcd", "abcd");
    ASSERT_TRUE(ui.Click(main->ActivateButton));

    EXPECT_FALSE(main->Protection.On());
    EXPECT_EQ(TrayTip(), "OMVEX: Ready for job");
    EXPECT_EQ(TrayIconName(), "NOT_WORK");
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].caption, "Activation");
    EXPECT_EQ(ui.Boxes()[0].flags, 16U);
    EXPECT_NE(ui.Boxes()[0].text.find("not turned on"), std::string::npos);
    // The rest of the activation stays.
    EXPECT_FALSE(main->Visible());
    EXPECT_EQ(main->PassEdit1.Text(), "");
    EXPECT_FALSE(main->ActivateButton.Enabled());
    EXPECT_EQ(StoredIndex(), 0);
    // And Deactivate knows nothing is active.
    ui.ChooseNext("Deactivate");
    ui.TrayMouse(*main, kTrayRightButtonDown);
    EXPECT_EQ(ui.Boxes().back().text, "Omvex is already in inactive mode !");
}

TEST_F(MainWindowTest, RefusedParametersSendNoStartAndAreReportedToo) {
    PutProfiles({Profile("Twice", "c:\\a")});
    Start();
    os.refusedCodes = {IOCTL_SET_PARAMS};
    TypePasswords("abcd", "abcd");
    ui.Click(main->ActivateButton);
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_SET_PARAMS));
    EXPECT_EQ(TrayIconName(), "NOT_WORK");
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].caption, "Activation");
}

TEST_F(MainWindowTest, SaveFailureAfterActivationIsReportedAndWindowStaysHidden) {
    PutProfiles({Profile("Twice", "c:\\a")});
    Start();
    registry.failWrite = true;
    TypePasswords("abcd", "abcd");
    ui.Click(main->ActivateButton);
    EXPECT_TRUE(main->Protection.On());
    EXPECT_EQ(TrayIconName(), "WORK");
    EXPECT_FALSE(main->Visible());
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].caption, "Omvex");
    EXPECT_EQ(ui.Boxes()[0].flags, 16U);
}

class DeactivationTest : public MainWindowTest {
  protected:
    void Activate() {
        PutProfiles({Profile("Twice", "c:\\a")});
        Start();
        TypePasswords("abcd", "abcd");
        ASSERT_TRUE(ui.Click(main->ActivateButton));
        ASSERT_TRUE(main->Protection.On());
    }
};

TEST_F(DeactivationTest, WhileInactiveOnlyTellsSo) {
    Start();
    main->DeacivateItemClick();
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, "Omvex is already in inactive mode !");
    EXPECT_EQ(ui.Boxes()[0].caption, "Deactivation");
    EXPECT_EQ(ui.Boxes()[0].flags, 0U);
    EXPECT_TRUE(LaterRequests().empty());
}

TEST_F(DeactivationTest, AnsweredNoChangesNothing) {
    Activate();
    const auto trayCalls = ui.TrayCalls().size();
    ui.AnswerNext(kIdNo);
    main->DeacivateItemClick();
    EXPECT_EQ(ui.Boxes().back().text, "Do you really want to deactivate Omvex ?");
    EXPECT_EQ(ui.Boxes().back().flags, 36U);
    EXPECT_TRUE(main->Protection.On());
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_SET_PARAMS, IOCTL_START));
    EXPECT_EQ(ui.TrayCalls().size(), trayCalls);
}

TEST_F(DeactivationTest, AnsweredYesStopsAndShowsReadyOrTellsTheRefusal) {
    Activate();
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused);
        if (refused) {
            TypePasswords("abcd", "abcd");
            ASSERT_TRUE(ui.Click(main->ActivateButton));
            os.refusedCodes = {IOCTL_STOP};
        }
        ui.ClearBoxes();
        ui.AnswerNext(kIdYes);
        main->DeacivateItemClick();
        EXPECT_EQ(LaterRequests().back(), IOCTL_STOP);
        EXPECT_EQ(main->Protection.On(), refused);
        EXPECT_EQ(TrayTip(),
                  refused ? "OMVEX: Ciphering file I/O operation" : "OMVEX: Ready for job");
        EXPECT_EQ(TrayIconName(), refused ? "WORK" : "NOT_WORK");
        ASSERT_EQ(ui.Boxes().size(), refused ? 2U : 1U);
        if (refused) {
            EXPECT_EQ(ui.Boxes()[1].caption, "Deactivation");
            EXPECT_EQ(ui.Boxes()[1].flags, 16U);
            EXPECT_EQ(ui.Boxes()[1].text,
                      "Omvex could not stop ciphering: the driver refused. The files on the "
                      "profile's paths may still be ciphered: \"c:\\a\".");
        }
        // A second Deactivate asks again while protection is on, and knows when it is off.
        ui.AnswerNext(kIdNo);
        main->DeacivateItemClick();
        EXPECT_EQ(ui.Boxes().back().text, refused ? "Do you really want to deactivate Omvex ?"
                                                  : "Omvex is already in inactive mode !");
    }
}

TEST_F(MainWindowTest, CloseBoxHidesSavesAndKeepsPasswords) {
    PutProfiles({Profile("Twice", "c:\\a"), Profile("Two", "c:\\b")});
    Start();
    ui.Select(main->Profiles, 1);
    TypePasswords("abcd", "ab");
    ui.CloseBox(*main);
    EXPECT_FALSE(main->Visible());
    EXPECT_EQ(main->PassEdit1.Text(), "abcd");
    EXPECT_EQ(main->PassEdit2.Text(), "ab");
    EXPECT_EQ(StoredIndex(), 1);
    EXPECT_EQ(StoredProfiles(), 2U);
    EXPECT_FALSE(ui.App().Terminated());
}

TEST_F(MainWindowTest, CancelHidesSavesAndEmptiesPasswords) {
    PutProfiles({Profile("Twice", "c:\\a")});
    Start();
    TypePasswords("abcd", "abcd");
    ASSERT_TRUE(main->ActivateButton.Enabled());
    ui.PressEscape(*main);
    EXPECT_FALSE(main->Visible());
    EXPECT_EQ(main->PassEdit1.Text(), "");
    EXPECT_EQ(main->PassEdit2.Text(), "");
    EXPECT_FALSE(main->ActivateButton.Enabled());
    EXPECT_EQ(StoredIndex(), 0);
}

// The tray's Quit, and the installers' request to quit (their event, which the running copy turns
// into a quit command). The window message an earlier version took for it quits nothing.
class MainWindowQuitTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MainWindowQuitTest, QuitStopsTwiceRemovesIconAndKeepsTheShownList) {
    PutProfiles({Profile("Twice", "c:\\a"), Profile("Two", "c:\\b")});
    Start();
    ui.Select(main->Profiles, 1);
    ui.AnswerNext(kIdYes);
    ui.Click(main->DeleteProfile);
    if (GetParam()) {
        ui.Deliver(*main, ui.RegisterMessageId("VeltarionQuit"), 0, 0);
        EXPECT_FALSE(ui.App().Terminated());
        main->Commands.RunCommand({CommandKind::Quit, ""}, [](const CommandResult&) {});
    } else {
        ui.ChooseNext("Quit");
        ui.TrayMouse(*main, kTrayRightButtonDown);
    }
    EXPECT_TRUE(ui.App().Terminated());
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_STOP));
    main->Destroy();
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_STOP, IOCTL_STOP));
    EXPECT_EQ(ui.TrayCalls().back().operation, kNimDelete);
    EXPECT_EQ(LastTray().uFlags, 0U);
    EXPECT_EQ(StoredProfiles(), 1U);
    EXPECT_EQ(StoredIndex(), 0);
}
INSTANTIATE_TEST_SUITE_P(TrayOrQuitRequest, MainWindowQuitTest, ::testing::Bool());

// Quit and the end of the session save as closing the window does, under the same rules: a
// hidden window's list is not saved again (the backup keeps the older generation), and a store
// that was not read is not written.
enum class Before { SessionEnd, Close, UnreadStore };
class QuitKeepsTest : public MainWindowTest, public ::testing::WithParamInterface<Before> {};

TEST_P(QuitKeepsTest, TheShownListUnderTheStoresRules) {
    const Before before = GetParam();
    PutProfiles({Profile("A", "a"), Profile("B", "b")});
    if (before == Before::UnreadStore)
        files.FailNth(FakeFiles::Op::Open, 1, "Access denied");
    Start();
    ui.AnswerNext(kIdYes);
    ui.Click(main->DeleteProfile);
    if (before == Before::Close)
        ui.CloseBox(*main);
    if (before == Before::SessionEnd) {
        ui.Raise(*main, SystemEvent::SessionEnding);
    } else {
        ui.ChooseNext("Quit");
        ui.TrayMouse(*main, 516);
    }
    const bool unread = before == Before::UnreadStore;
    EXPECT_EQ(files.Contents(kStorage)->size() / 512, unread ? 2U : 1U);
    const auto backup = files.Contents(main->Store().BackupPath());
    EXPECT_EQ(backup ? backup->size() / 512 : 0U, unread ? 0U : 2U);
    EXPECT_EQ(ui.Boxes().back().text.starts_with(kNotLoadedCompletely), unread);
}
INSTANTIATE_TEST_SUITE_P(Rows, QuitKeepsTest,
                         ::testing::Values(Before::SessionEnd, Before::Close, Before::UnreadStore));

TEST_F(MainWindowTest, RightClickOpensTheMenuAtTheCursor) {
    Start();
    ui.SetCursor({700, 500});
    ui.TrayMouse(*main, kTrayRightButtonDown);
    ASSERT_EQ(ui.Menus().size(), 1U);
    const auto& menu = ui.Menus()[0];
    EXPECT_EQ(menu.at.x, 700);
    EXPECT_EQ(menu.at.y, 500);
    EXPECT_THAT(menu.captions,
                ElementsAre("Activate ...", "-", "Deactivate", "Deactivate automatically",
                            "When the computer is locked", "When the computer goes to sleep", "-",
                            "After 5 minutes without input", "After 15 minutes without input",
                            "After 60 minutes without input", "Never", "-", "About Omvex ...", "-",
                            "Quit"));
    // The idle choices are one group of dots; the events are ticks of their own.
    EXPECT_THAT(menu.radio,
                ElementsAre("After 5 minutes without input", "After 15 minutes without input",
                            "After 60 minutes without input", "Never"));
    EXPECT_EQ(menu.defaultIndex, 0);
    EXPECT_EQ(menu.chosen, -1);
    // Other mouse messages over the icon are ignored.
    ui.TrayMouse(*main, 513);
    EXPECT_EQ(ui.Menus().size(), 1U);
}

TEST_F(MainWindowTest, DoubleClickShowsHiddenWindowAndReloadsTheList) {
    PutProfiles({Profile("One", "c:\\a")});
    Start();
    ui.CloseBox(*main);
    // Changed behind the program's back: the next showing reads the file again.
    PutProfiles({Profile("One", "c:\\a"), Profile("Two", "c:\\b")});
    ui.TrayMouse(*main, 515);
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(main->Profiles.Count(), 2);
}

TEST_F(MainWindowTest, TaskbarRestartAddsTheIconAgainAndSessionEndStopsTheDriver) {
    Start();
    ui.Deliver(*main, ui.RegisterMessageId("TaskbarCreated"), 0, 0);
    EXPECT_EQ(ui.TrayCalls().back().operation, kNimAdd);
    EXPECT_EQ(ui.TrayCalls().size(), 2U);
    ui.Raise(*main, SystemEvent::SessionEnding);
    EXPECT_THAT(LaterRequests(), ElementsAre(IOCTL_STOP));
}

TEST_F(MainWindowTest, AboutOpensModallyOnceAndOnlyComesToFrontWhenOpen) {
    Start();
    ui.Queue([&] {
        // While open: the about command again only brings it to the front.
        main->AboutItemClick();
    });
    ui.Click(main->AboutImage);
    EXPECT_EQ(ui.ModalShows().size(), 1U);
    EXPECT_FALSE(AboutForm->Visible());
}

// Only a driver whose version resource names it a stand-in changes the texts about protection:
// the driver that runs, from the image its service records, not the file beside the program.
TEST_F(MainWindowTest, AStandInDriverIsNamedWhereverProtectionIsSpokenOf) {
    const std::string running = "C:\\Program Files\\Veltarion\\OMXDRV.SYS";
    const std::string beside = "C:\\Omvex\\OMXDRV.SYS";
    const char* const standIn = "Veltarion stand-in driver for evaluation (ciphers nothing)";
    const struct {
        const char* description; // of the running image; nullptr: no version resource
        const char* besideDescription;
        const char* image; // the service's recorded image
        bool standIn;
    } cases[] = {
        {nullptr, nullptr, running.c_str(), false},
        {"OMX file-encryption filter driver", standIn, running.c_str(), false},
        {standIn, "OMX file-encryption filter driver", running.c_str(), true},
        {"VELTARION STAND-IN DRIVER", nullptr, running.c_str(), true},
        {"OMX file-encryption filter driver", nullptr, "\\Device\\OMXDRV.SYS",
         true}, // a file that cannot be told is never taken for the real driver
        {"OMX file-encryption filter driver", nullptr,
         "\\??\\C:\\Program Files\\Veltarion\\OMXDRV.SYS", false},
    };
    PutProfiles({Profile("Twice", "c:\\a")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description != nullptr ? c.description : "none");
        driverFiles.descriptions.clear();
        if (c.description != nullptr) {
            driverFiles.descriptions[running] = c.description;
        }
        if (c.besideDescription != nullptr) {
            driverFiles.descriptions[beside] = c.besideDescription;
        }
        os.serviceBinaryPath = c.image;
        OmxModuleInit(os, driverFiles, kExe);
        Start();
        EXPECT_EQ(main->Caption(), c.standIn ? "Veltarion (stand-in driver)" : "Veltarion");
        TypePasswords("abcd", "abcd");
        ASSERT_TRUE(ui.Click(main->ActivateButton));
        EXPECT_EQ(ui.TrayCalls().back().tip,
                  c.standIn ? "OMVEX: Ciphering file I/O operation (stand-in driver: nothing is "
                              "ciphered)"
                            : "OMVEX: Ciphering file I/O operation");
        bool shown = false;
        ui.Queue([&] {
            shown = AboutForm->Visible();
            EXPECT_EQ(AboutForm->StandInLabel.Visible(), c.standIn);
        });
        main->AboutItemClick();
        EXPECT_TRUE(shown) << "the about box was not shown";
        main->Destroy();
    }
}

// An installed copy's user without a store of their own starts with the profiles an earlier
// version shared, unless someone could have planted them: then the log says nothing was taken in.
TEST(SharedStoreImport, APlantedStoreIsLoggedAndNotTakenIn) {
    for (const std::uint32_t links : {1U, 2U}) {
        MainWindowScene scene;
        scene.shell.exeName = kExe;
        const std::string folder = "C:\\Omvex";
        scene.machineDefault.OpenKey(shared::kInstallerKey, true)
            ->WriteRaw(shared::kInstallFolderValue, kRegSz,
                       std::vector<std::uint8_t>(folder.begin(), folder.end()));
        scene.files.AddDirectory("C:\\Users\\me\\AppData\\Local");
        scene.PutProfiles({MainWindowScene::Profile("Planted", "c:\\a")});
        scene.files.SetOrigin(kStorage, FileOrigin{true, links, false, true, 0x1200A9});
        scene.Start();
        const bool planted = links != 1;
        EXPECT_EQ(scene.main->Profiles.Items().at(0), planted ? "My Confidential Data" : "Planted");
        std::vector<LogEntry> logged;
        if (planted) {
            logged.push_back({kEventSharedStoreRefused,
                              LogType::Warning,
                              {kStorage, std::string(kSharedStoreNotTrusted)}});
        }
        EXPECT_EQ(scene.eventLog.entries, logged);
    }
}

} // namespace
} // namespace velt::testing
