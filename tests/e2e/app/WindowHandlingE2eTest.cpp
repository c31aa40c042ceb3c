// The real windows in a user's hands, driven by real key presses and clicks (SendInput): the
// focus on showing, the tab order the windows declare, Enter, Esc, Alt+F4, F1, the keys of the
// tool buttons, the pictures' names, and which window is in front while a dialog is open.
#include "e2e/harness/DeclaredWindows.h"
#include "e2e/harness/E2eHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace velt::e2e {
namespace {

using Main = TSetParamForm;

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
    HWND Start() {
        app_ = std::make_unique<App>(install_);
        return app_->MainWindow();
    }
    HWND WaitFocusOn(HWND window, int id, int line = __builtin_LINE()) {
        HWND control = Item(window, id);
        EXPECT_TRUE(WaitUntil([&] { return control != nullptr && FocusOf(window) == control; }))
            << "line " << line << ": focus on " << GetDlgCtrlID(FocusOf(window));
        return control;
    }
    // Tab (Shift+Tab) once round the window: the stops are the declared tab order's enabled and
    // visible controls, and a push button stopped on carries the default outline.
    void ExpectTabCycle(HWND window, const Form& declared, WORD modifier = 0) {
        std::vector<int> usable;
        for (const Control* c : declared.TabOrder()) {
            if (Visible(Item(window, c->Id())) && Enabled(Item(window, c->Id()))) {
                usable.push_back(c->Id());
            }
        }
        if (modifier == VK_SHIFT) {
            std::reverse(usable.begin(), usable.end());
        }
        auto at = usable.end();
        ASSERT_TRUE(WaitUntil([&] {
            at = std::find(usable.begin(), usable.end(), GetDlgCtrlID(FocusOf(window)));
            return GetForegroundWindow() == window && at != usable.end();
        }));
        for (std::size_t i = 0; i < usable.size(); ++i) {
            at = ++at == usable.end() ? usable.begin() : at;
            PressKey(VK_TAB, modifier);
            HWND stop = WaitFocusOn(window, *at);
            if (declared.FindControl(*at)->Kind() == ControlKind::Button) {
                EXPECT_TRUE(WaitUntil([&] {
                    return (GetWindowLongA(stop, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
                })) << *at;
            }
        }
    }
    // F1 opens ReadMe.htm, or nothing without a help context. The document's program may take
    // the activation: the user clicks the window's caption again.
    void ExpectHelp(HWND window, bool opens) {
        const std::size_t before = RecordedOpens(log_).size();
        const HWND focus = FocusOf(window);
        PressKey(VK_F1);
        if (!opens) {
            Sleep(500);
            EXPECT_EQ(RecordedOpens(log_).size(), before);
            return;
        }
        ASSERT_TRUE(WaitUntil([&] { return RecordedOpens(log_).size() == before + 1; }));
        EXPECT_NE(RecordedOpens(log_).back().find("ReadMe.htm"), std::string::npos);
        ASSERT_TRUE(WaitUntil([] { return !RecorderRunning(); }));
        if (GetForegroundWindow() != window) {
            ClickCaption(window);
        }
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(window) == focus; }));
    }
    // The tray double-click while a dialog is open brings that dialog to the front with the
    // focus, never the disabled main window.
    void ExpectTrayKeepsInFront(HWND main, HWND dialog) {
        Tray(main, kTrayDoubleClick);
        Sleep(300);
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
        EXPECT_TRUE(IsAbove(dialog, main));
        EXPECT_FALSE(Enabled(main));
    }
    // What every window gets once open: the focus on its first control (firstId), the tray
    // keeping it in front (a dialog the main window waits for), Tab round it, a screenshot, F1.
    HWND CheckOpened(HWND main, const char* caption, const Form& declared, int firstId, bool help,
                     bool modal) {
        HWND window = app_->WaitWindow(nullptr, caption);
        EXPECT_NE(window, nullptr) << caption;
        WaitFocusOn(window, firstId);
        // A picture's window text is what a screen reader announces: its tool tip.
        for (const Control* c : declared.Controls()) {
            if (c->Kind() == ControlKind::ToolButton || c->Kind() == ControlKind::Picture) {
                EXPECT_EQ(Text(Item(window, c->Id())), c->Hint()) << c->Id();
            }
        }
        if (modal) {
            ExpectTrayKeepsInFront(main, window);
        }
        ExpectTabCycle(window, declared);
        Screenshot(declared.Caption());
        ExpectHelp(window, help);
        return window;
    }
    // Closes the welcome dialog by keyboard, both boxes cleared: Enter on a check box presses OK.
    void CloseWelcome() {
        HWND welcome = app_->WaitWindow(nullptr, TDefaultForm::kCaption);
        for (const WORD key : {VK_TAB, VK_SPACE, VK_TAB, VK_SPACE, VK_RETURN}) {
            PressKey(key);
        }
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(welcome); }));
    }

    Install install_;
    const std::string log_ = install_.Path("opened.log");
    std::unique_ptr<App> app_;
    Declared declared_;
};

TEST_F(WindowHandlingE2e, EveryWindowByKeyboardAndTheTrayNeverHidesAnOpenDialog) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND welcome = CheckOpened(main, TDefaultForm::kCaption, declared_.welcome,
                               TDefaultForm::kOKBtn, true, false);
    PressKey(VK_ESCAPE); // no cancel button: nothing
    Sleep(300);
    EXPECT_TRUE(Visible(welcome));
    CloseWelcome();

    CheckOpened(main, Main::kStandInCaption, declared_.main, Main::kPassEdit1, true, false);
    ExpectTabCycle(main, declared_.main, VK_SHIFT);

    // The tool buttons' commands by keyboard: Insert in the profile list creates a profile.
    PressKey(VK_TAB, VK_SHIFT);
    WaitFocusOn(main, Main::kProfiles);
    PressKey(VK_INSERT);
    HWND properties = CheckOpened(main, TPFPropertysForm::kCreateCaption, declared_.properties,
                                  TPFPropertysForm::kProfileNameEdit, true, true);
    TypeText("Work\tC:\\A;C:\\B");
    PressKey(VK_F4); // in the path list: the wizard
    HWND wizard = CheckOpened(main, TFileListForm::kCaption, declared_.wizard,
                              TFileListForm::kLbxFileList, true, true);
    EXPECT_EQ(GetWindow(wizard, GW_OWNER), properties);
    HWND list = Item(wizard, TFileListForm::kLbxFileList);
    HWND entry = Item(wizard, TFileListForm::kEdFile);
    const auto entries = [list](const char* expected) {
        return WaitUntil([&] {
            std::string all;
            for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
                wchar_t item[MAX_PATH] = {}; // the ANSI message is cut across processes
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
                all += i == 0 ? "" : ";";
                for (const wchar_t* c = item; *c != 0; ++c) {
                    all += static_cast<char>(*c);
                }
            }
            return all == expected;
        });
    };
    PressKey(VK_DOWN); // the list's click handler puts the entry into the edit
    EXPECT_TRUE(WaitUntil([&] { return Text(entry) == "C:\\B"; }));
    PressKey(VK_UP, VK_MENU);
    EXPECT_TRUE(entries("C:\\B;C:\\A"));
    PressKey(VK_DOWN, VK_MENU);
    EXPECT_TRUE(entries("C:\\A;C:\\B"));
    PressKey(VK_DELETE);
    EXPECT_TRUE(entries("C:\\A"));
    PressKey(VK_INSERT); // Add is disabled (the entry is the selected one): nothing
    SetText(entry, "C:\\C");
    PressKey(VK_INSERT);
    EXPECT_TRUE(entries("C:\\A;C:\\C"));
    PressKey('O', VK_CONTROL);
    HWND browse = app_->WaitWindow(kDialogClass, nullptr);
    ASSERT_NE(browse, nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browse) && GetForegroundWindow() == wizard; }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(wizard); }));
    PressKey('W', VK_MENU); // Alt+W anywhere in the dialog: a fresh wizard
    ASSERT_TRUE(WaitUntil([&] {
        wizard = app_->FindWindowOf(nullptr, TFileListForm::kCaption);
        return wizard != nullptr && FocusOf(wizard) == Item(wizard, TFileListForm::kLbxFileList);
    }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(wizard); }));

    // The passwords by keyboard, longer than the main window takes: the edits keep the first 32
    // characters, as the main window's does. Enter in an edit presses Apply.
    const std::string password = "abcdefghij0123456789ABCDEFGHIJ-and-more";
    ClickAt(Item(properties, TPFPropertysForm::kListEdit));
    TypeText("\t\t" + password + "\t" + password);
    ASSERT_TRUE(
        WaitUntil([&] { return Enabled(Item(properties, TPFPropertysForm::kApplyButton)); }));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(properties); }));

    // Arrow keys in the profile list run its change handler (PassEdit2 follows the profile).
    HWND combo = Item(main, Main::kProfiles);
    HWND second = Item(main, Main::kPassEdit2);
    ASSERT_TRUE(WaitUntil([&] { return ComboIndex(combo) == 1 && !Visible(second); }));
    // The focus is back in the list that Insert came from.
    WaitFocusOn(main, Main::kProfiles);
    PressKey(VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return ComboIndex(combo) == 0 && Visible(second); }));
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return ComboIndex(combo) == 1 && !Visible(second); }));

    // The prompt of a checked profile (F2 in the list edits it): no help; Esc empties its edit
    // (OK follows the length).
    PressKey(VK_F2);
    HWND prompt = CheckOpened(main, TPasswordsForm::kCaption, declared_.prompt,
                              TPasswordsForm::kPassEdit1, false, true);
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), main);
    HWND ok = Item(prompt, TPasswordsForm::kOkButton);
    ClickAt(Item(prompt, TPasswordsForm::kPassEdit1));
    TypeText("abcd");
    ASSERT_TRUE(WaitUntil([&] { return Enabled(ok); }));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(prompt) && !Enabled(ok); }));
    // Delete in the list asks first; No keeps the profile.
    WaitFocusOn(main, Main::kProfiles);
    PressKey(VK_DELETE);
    HWND question = app_->WaitMessageBox("Deleting selected profile");
    ASSERT_NE(question, nullptr);
    Answer(question, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question) && ComboCount(combo) == 2; }));

    // A wrong password: the text stays selected with the focus in its edit, so the same long
    // password typed over it (and cut to 32 characters as in the dialog) activates the profile.
    ClickAt(Item(main, Main::kPassEdit1));
    TypeText("wrong one");
    PressKey(VK_RETURN);
    HWND wrong = app_->WaitMessageBox("Password is not correct");
    ASSERT_NE(wrong, nullptr);
    Answer(wrong, IDOK);
    WaitFocusOn(main, Main::kPassEdit1);
    TypeText(password);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }));
    EXPECT_EQ(app_->FindWindowOf(nullptr, "Password is not correct"), nullptr);
    Tray(main, kTrayDoubleClick);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));

    ClickAt(Item(main, Main::kAboutImage));
    HWND about =
        CheckOpened(main, TAboutForm::kCaption, declared_.about, TAboutForm::kOKButton, true, true);
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
    // Each case opens a dialog box from the main window.
    const std::pair<const char*, std::function<HWND(App&, HWND)>> cases[] = {
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
             ClickAt(Item(app.WaitWindow(nullptr, TPFPropertysForm::kCreateCaption),
                          TPFPropertysForm::kCallWizardButton));
             ClickAt(Item(app.WaitWindow(nullptr, TFileListForm::kCaption),
                          TFileListForm::kPickButton));
             return app.WaitWindow(kDialogClass, nullptr);
         }},
    };
    for (const auto& [name, open] : cases) {
        SCOPED_TRACE(name);
        const bool firstStart = !FileExists(install_.StorageFile());
        HWND main = Start();
        ASSERT_NE(main, nullptr);
        if (firstStart) {
            CloseWelcome();
            // Focus left on the list, Alt+F4 hides the window; shown again, it focuses the
            // password edit.
            PressKey(VK_TAB, VK_SHIFT);
            WaitFocusOn(main, Main::kProfiles);
            PressKey(VK_F4, VK_MENU);
            ASSERT_TRUE(WaitUntil([&] { return !Visible(main); }));
            Tray(main, kTrayDoubleClick);
            WaitFocusOn(main, Main::kPassEdit1);
        }
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
        HWND box = open(*app_, main);
        ASSERT_NE(box, nullptr);
        ExpectTrayKeepsInFront(main, box);
        Screenshot(name);
        ASSERT_TRUE(ChooseTrayItem(app_->Pid(), main, kMenuQuit));
        EXPECT_EQ(app_->WaitExit(), 0U);
    }
}

} // namespace
} // namespace velt::e2e
