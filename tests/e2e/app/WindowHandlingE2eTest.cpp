// The real windows in a user's hands: real key presses and mouse clicks (SendInput), the focus,
// the tab order the windows declare, Enter, Esc, F1, and which window is in front while a
// dialog is open.
#include "app/Main.h"
#include "dialogs/About.h"
#include "dialogs/FileList.h"
#include "dialogs/PFPropertys.h"
#include "dialogs/passwds.h"
#include "e2e/harness/E2eHarness.h"
#include "fakes/FakeFileBrowser.h"
#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"
#include "fakes/TestUi.h"
#include "profiles/DefaultProf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace velt::e2e {
namespace {

using Main = TSetParamForm;
using Ids = std::vector<int>;

// The tab order each window declares, read from the window classes themselves.
struct DeclaredOrders {
    TestUi ui;
    FakeShell shell;
    FakeRegistry registry;
    FakeFiles files;
    FakeFileBrowser browser;
    Main main{ui.App(), Main::Services{shell, registry, files}};
    TPFPropertysForm properties{ui.App(), browser};
    TFileListForm wizard{ui.App(), browser};
    TPasswordsForm prompt{ui.App()};
    TAboutForm about{ui.App()};
    TDefaultForm welcome{ui.App(), main, shell};

    static Ids Of(const Form& form) {
        Ids ids;
        for (const Control* control : form.TabOrder()) {
            ids.push_back(control->Id());
        }
        return ids;
    }
};

class WindowHandlingE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(PrepareFirstStart(), "");
        RegisterHtmRecorder(log_);
    }
    void TearDown() override {
        app_.reset();
        DeleteSettingsKey();
    }

    HWND WaitFocusOn(HWND window, int id, int line = __builtin_LINE()) {
        HWND control = Item(window, id);
        EXPECT_TRUE(WaitUntil([&] { return control != nullptr && FocusOf(window) == control; }))
            << "line " << line << ": focus wanted on " << id << ", is on "
            << GetDlgCtrlID(FocusOf(window));
        return control;
    }
    // Tab (or Shift+Tab) once round the window from the focused control: the stops must be
    // the declared order's controls that are enabled and visible now, in that order.
    void ExpectTabCycle(HWND window, const Ids& declared, WORD modifier = 0) {
        Ids usable;
        std::copy_if(declared.begin(), declared.end(), std::back_inserter(usable), [&](int id) {
            return Visible(Item(window, id)) && Enabled(Item(window, id));
        });
        if (modifier == VK_SHIFT) {
            std::reverse(usable.begin(), usable.end());
        }
        auto at = usable.end();
        ASSERT_TRUE(WaitUntil([&] {
            at = std::find(usable.begin(), usable.end(), GetDlgCtrlID(FocusOf(window)));
            return GetForegroundWindow() == window && at != usable.end();
        })) << "focus starts on "
            << GetDlgCtrlID(FocusOf(window));
        for (std::size_t i = 0; i < usable.size(); ++i) {
            at = ++at == usable.end() ? usable.begin() : at;
            PressKey(VK_TAB, modifier);
            HWND stop = WaitFocusOn(window, *at);
            // The default outline follows the focus onto push buttons.
            const auto type = GetWindowLongA(stop, GWL_STYLE) & BS_TYPEMASK;
            char cls[16] = {};
            GetClassNameA(stop, cls, sizeof cls);
            if (lstrcmpiA(cls, "Button") == 0 &&
                (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
                EXPECT_TRUE(WaitUntil([&] {
                    return (GetWindowLongA(stop, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
                })) << *at;
            }
        }
    }
    // F1 in the window opens ReadMe.htm (help) or, with no help context, nothing. The opened
    // document's program may take the activation: the user clicks the window's caption again.
    void ExpectHelp(HWND window, bool opens) {
        const std::size_t before = RecordedOpens(log_).size();
        const HWND focus = FocusOf(window);
        PressKey(VK_F1);
        if (opens) {
            ASSERT_TRUE(WaitUntil([&] { return RecordedOpens(log_).size() == before + 1; }));
            EXPECT_NE(RecordedOpens(log_).back().find("ReadMe.htm"), std::string::npos);
            ASSERT_TRUE(WaitUntil([] { return !RecorderRunning(); }));
            if (GetForegroundWindow() != window) {
                ClickCaption(window);
            }
            ASSERT_TRUE(WaitUntil([&] { return FocusOf(window) == focus; }));
        } else {
            Sleep(500);
            EXPECT_EQ(RecordedOpens(log_).size(), before);
        }
    }
    // The tray double-click while a dialog is open brings the dialog, not the main window, to
    // the front with the focus.
    void ExpectTrayKeepsInFront(HWND main, HWND dialog) {
        Tray(main, kTrayDoubleClick);
        Sleep(300);
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
        EXPECT_EQ(ActiveOf(dialog), dialog);
        EXPECT_TRUE(IsAbove(dialog, main));
        EXPECT_FALSE(Enabled(main));
    }
    HWND Start() {
        app_ = std::make_unique<App>(install_);
        EXPECT_TRUE(app_->Started());
        return app_->MainWindow();
    }
    // Closes the welcome dialog of a first start with the keyboard, both boxes cleared.
    void CloseWelcome(HWND welcome) {
        PressKey(VK_TAB);
        PressKey(VK_SPACE);
        PressKey(VK_TAB);
        PressKey(VK_SPACE);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(welcome); }))
            << "foreground " << Text(GetForegroundWindow()) << ", focus on "
            << GetDlgCtrlID(FocusOf(welcome));
    }

    Install install_;
    const std::string log_ = install_.Path("opened.log");
    std::unique_ptr<App> app_;
    DeclaredOrders declared_;
};

TEST_F(WindowHandlingE2e, EveryWindowByKeyboardAndTheTrayNeverHidesAnOpenDialog) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);

    // Welcome dialog: focus on OK, Tab round it, F1, Esc does nothing, Enter on a check box
    // presses OK.
    HWND welcome = app_->WaitWindow(nullptr, TDefaultForm::kCaption);
    ASSERT_NE(welcome, nullptr);
    WaitFocusOn(welcome, TDefaultForm::kOKBtn);
    ExpectTabCycle(welcome, DeclaredOrders::Of(declared_.welcome));
    Screenshot("welcome");
    ExpectHelp(welcome, true);
    PressKey(VK_ESCAPE);
    Sleep(300);
    EXPECT_TRUE(Visible(welcome));
    CloseWelcome(welcome);

    // Main window: focus in the password edit, Tab both ways, F1.
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
    WaitFocusOn(main, Main::kPassEdit1);
    Screenshot("main");
    const Ids mainOrder = DeclaredOrders::Of(declared_.main);
    ExpectTabCycle(main, mainOrder);
    ExpectTabCycle(main, mainOrder, VK_SHIFT);
    ExpectHelp(main, true);

    // Properties dialog (create): focus on the name, the tray keeps it in front, Tab, F1.
    ClickAt(Item(main, Main::kCreateProfile));
    HWND properties = app_->WaitWindow(nullptr, TPFPropertysForm::kCreateCaption);
    ASSERT_NE(properties, nullptr);
    WaitFocusOn(properties, TPFPropertysForm::kProfileNameEdit);
    ExpectTrayKeepsInFront(main, properties);
    WaitFocusOn(properties, TPFPropertysForm::kProfileNameEdit);
    Screenshot("properties");
    ExpectTabCycle(properties, DeclaredOrders::Of(declared_.properties));
    ExpectHelp(properties, true);

    // Wizard: focus on its list, in front of the properties dialog that owns it; Esc cancels.
    ClickAt(Item(properties, TPFPropertysForm::kCallWizardButton));
    HWND wizard = app_->WaitWindow(nullptr, TFileListForm::kCaption);
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(GetWindow(wizard, GW_OWNER), properties);
    WaitFocusOn(wizard, TFileListForm::kLbxFileList);
    ExpectTrayKeepsInFront(main, wizard);
    EXPECT_TRUE(IsAbove(wizard, properties));
    Screenshot("wizard");
    ExpectTabCycle(wizard, DeclaredOrders::Of(declared_.wizard));
    ExpectHelp(wizard, true);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(wizard); }));

    // Fill the dialog by keyboard; Enter in an edit presses Apply.
    ClickAt(Item(properties, TPFPropertysForm::kProfileNameEdit));
    WaitFocusOn(properties, TPFPropertysForm::kProfileNameEdit);
    TypeText("Work");
    PressKey(VK_TAB);
    TypeText("C:\\WORK\\*.*");
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    TypeText("abcd");
    PressKey(VK_TAB);
    TypeText("abcd");
    ASSERT_TRUE(
        WaitUntil([&] { return Enabled(Item(properties, TPFPropertysForm::kApplyButton)); }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(properties); }));
    HWND combo = Item(main, Main::kProfiles);
    ASSERT_TRUE(WaitUntil([&] { return ComboIndex(combo) == 1; }));
    EXPECT_FALSE(Visible(Item(main, Main::kPassEdit2))); // the new profile checks its password

    // Arrow keys in the profile list run its change handler.
    WaitFocusOn(main, Main::kPassEdit1);
    PressKey(VK_TAB, VK_SHIFT);
    WaitFocusOn(main, Main::kProfiles);
    PressKey(VK_UP);
    EXPECT_TRUE(
        WaitUntil([&] { return ComboIndex(combo) == 0 && Visible(Item(main, Main::kPassEdit2)); }));
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil(
        [&] { return ComboIndex(combo) == 1 && !Visible(Item(main, Main::kPassEdit2)); }));

    // Password prompt (edit): focus in its edit, no help, in front; Esc empties it.
    ClickAt(Item(main, Main::kEditProfile));
    HWND prompt = app_->WaitWindow(nullptr, TPasswordsForm::kCaption);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), main);
    HWND promptEdit = WaitFocusOn(prompt, TPasswordsForm::kPassEdit1);
    ExpectTrayKeepsInFront(main, prompt);
    Screenshot("prompt");
    ExpectTabCycle(prompt, DeclaredOrders::Of(declared_.prompt));
    ExpectHelp(prompt, false);
    ClickAt(promptEdit);
    TypeText("abcd");
    // OK follows the edit's length: enabled by the typed text, disabled again by its wiping.
    HWND ok = Item(prompt, TPasswordsForm::kOkButton);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(ok); }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(prompt); }));
    EXPECT_FALSE(Enabled(ok));

    // About box: focus on OK, F1, in front; Enter closes it.
    ClickAt(Item(main, Main::kAboutImage));
    HWND about = app_->WaitWindow(nullptr, TAboutForm::kCaption);
    ASSERT_NE(about, nullptr);
    WaitFocusOn(about, TAboutForm::kOKButton);
    ExpectTrayKeepsInFront(main, about);
    Screenshot("about");
    ExpectHelp(about, true);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(about); }));

    // Quit from the tray while the about box is open ends the program.
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
    ClickAt(Item(main, Main::kAboutImage));
    ASSERT_TRUE(WaitUntil([&] { return Visible(about); }));
    ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
    EXPECT_EQ(app_->WaitExit(), 0U);
}

TEST_F(WindowHandlingE2e, QuitWhileADialogBoxIsOpenEndsTheProgram) {
    // Each case opens a dialog box from the main window and returns it.
    struct Case {
        const char* name;
        std::function<HWND(App&, HWND)> open;
    };
    const Case cases[] = {
        {"delete_question",
         [](App& app, HWND main) {
             ClickAt(Item(main, Main::kDeleteProfile));
             HWND box = app.WaitMessageBox("Deleting selected profile");
             EXPECT_EQ(GetWindow(box, GW_OWNER), main) << "owned by the window that asked";
             return box;
         }},
        {"browse_dialog",
         [](App& app, HWND main) {
             ClickAt(Item(main, Main::kCreateProfile));
             HWND properties = app.WaitWindow(nullptr, TPFPropertysForm::kCreateCaption);
             ClickAt(Item(properties, TPFPropertysForm::kCallWizardButton));
             HWND wizard = app.WaitWindow(nullptr, TFileListForm::kCaption);
             ClickAt(Item(wizard, TFileListForm::kPickButton));
             return app.WaitWindow(kDialogClass, nullptr);
         }},
    };
    bool firstStart = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        if (firstStart) {
            HWND welcome = app_->WaitWindow(nullptr, TDefaultForm::kCaption);
            ASSERT_NE(welcome, nullptr);
            CloseWelcome(welcome);
            // Leave the focus on the profile list and close the window (Alt+F4); showing it
            // again puts the focus back in the password edit.
            ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
            PressKey(VK_TAB, VK_SHIFT);
            WaitFocusOn(main, Main::kProfiles);
            PressKey(VK_F4, VK_MENU);
            ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }));
            Tray(main, kTrayDoubleClick);
            ASSERT_TRUE(WaitUntil([&] { return Visible(main); }));
            WaitFocusOn(main, Main::kPassEdit1);
            firstStart = false;
        }
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
        HWND box = c.open(*app_, main);
        ASSERT_NE(box, nullptr);
        ExpectTrayKeepsInFront(main, box);
        Screenshot(c.name);
        ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
        EXPECT_EQ(app_->WaitExit(), 0U);
    }
}

} // namespace
} // namespace velt::e2e
