// Cases that hold for the windows rendered by the Win32 binding and for the native test double
// alike, so that tests of the program's windows on the double mean what they say. Each runner
// defines MakeUserSide() for its backend.
#pragma once

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/TrayIcon.h"
#include "forms/UiBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velt::contract {

enum class Key { Enter, Escape };

// Acts as the user of the windows. Post... actions happen at the next turns of a message loop:
// inside the next modal show, or in Settle().
class UserSide {
  public:
    virtual ~UserSide() = default;
    virtual Application& App() = 0;
    // The user replaces the whole text of an edit, at once.
    virtual void ReplaceText(Edit& edit, const std::string& text) = 0;
    virtual void PostClick(Button& button) = 0;
    virtual void PostCloseBox(Form& form) = 0;
    virtual void PostKey(Control& focused, Key key) = 0;
    virtual void PostTrayMouse(Form& form, int mouseMessage) = 0;
    // Lets everything posted happen.
    virtual void Settle() = 0;
};

std::unique_ptr<UserSide> MakeUserSide();

struct ContractForm : Form {
    ContractForm(Application& app, const std::string& caption) : Form(app, caption, 270, 91) {
        ok.SetDefault(true);
        ok.SetModalResult(kMrOk);
        cancel.SetCancel(true);
        cancel.SetModalResult(kMrCancel);
        off.SetEnabled(false);
        const std::string name = caption;
        edit.OnChange = [this] { events.push_back("change " + edit.Text()); };
        ok.OnClick = [this] { events.push_back("ok"); };
        off.OnClick = [this] { events.push_back("off"); };
        OnShow = [this, name] { events.push_back("show " + name); };
        OnActivate = [this, name] { events.push_back("activate " + name); };
        OnDeactivate = [this, name] { events.push_back("deactivate " + name); };
    }
    Edit edit{*this, 201, {92, 12, 158, 21}};
    Button ok{*this, 202, {36, 60, 80, 24}, "OK"};
    Button cancel{*this, 203, {152, 60, 80, 24}, "Cancel"};
    Button off{*this, 204, {240, 60, 20, 24}, "Off"};
    std::vector<std::string> events;
};

class FormsContract : public ::testing::Test {
  protected:
    void SetUp() override {
        main.Create();
        dialog.Create();
    }
    std::unique_ptr<UserSide> user = MakeUserSide();
    Application& app = user->App();
    ContractForm main{app, "Main"};
    ContractForm dialog{app, "Dialog"};
};

TEST_F(FormsContract, UserTextFiresOnlyForRealChanges) {
    dialog.Show();
    user->ReplaceText(dialog.edit, "abcd");
    user->ReplaceText(dialog.edit, "abcd");
    dialog.edit.SetText("xyz");
    user->ReplaceText(dialog.edit, "xyz");
    user->Settle();
    EXPECT_EQ(dialog.edit.Text(), "xyz");
    const std::vector<std::string> changes(dialog.events.begin() + 2, dialog.events.end());
    EXPECT_EQ(changes, (std::vector<std::string>{"change abcd", "change xyz"}));
}

TEST_F(FormsContract, LockNotificationsNeedACreatedForm) {
    ContractForm unmade{app, "Unmade"};
    EXPECT_FALSE(unmade.Backend().WatchSessionLock(unmade)) << "no window to send them to";
    EXPECT_TRUE(dialog.Backend().WatchSessionLock(dialog)) << "its window is made for them";
    dialog.Backend().UnwatchSessionLock(dialog);
}

TEST_F(FormsContract, ModalShowEndsWithTheResultOfButtonKeyOrCloseBox) {
    user->PostClick(dialog.ok);
    EXPECT_EQ(dialog.ShowModal(), kMrOk);
    user->PostClick(dialog.cancel);
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    user->PostCloseBox(dialog);
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    user->PostKey(dialog.edit, Key::Enter);
    EXPECT_EQ(dialog.ShowModal(), kMrOk);
    user->PostKey(dialog.edit, Key::Escape);
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    EXPECT_FALSE(dialog.Visible());
}

TEST_F(FormsContract, DisabledButtonsIgnoreClicksAndEnter) {
    dialog.ok.SetEnabled(false);
    user->PostClick(dialog.off);
    user->PostClick(dialog.ok);
    user->PostKey(dialog.edit, Key::Enter);
    user->PostKey(dialog.edit, Key::Escape);
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    for (const std::string& event : dialog.events) {
        EXPECT_NE(event, "ok");
        EXPECT_NE(event, "off");
    }
}

TEST_F(FormsContract, CloseHandlerMayRefuseAndRunsAgainWhenTheShowEnds) {
    int closes = 0;
    dialog.OnClose = [&](CloseAction& action) {
        if (++closes == 1) {
            action = CloseAction::None;
        }
    };
    user->PostCloseBox(dialog);
    user->PostClick(dialog.ok);
    EXPECT_EQ(dialog.ShowModal(), kMrOk);
    EXPECT_EQ(closes, 2);
}

TEST_F(FormsContract, TrayIsServedDuringAModalShowAndTerminateEndsItWithCancel) {
    main.Show();
    std::vector<std::intptr_t> mouse;
    main.OnMessage = [&](unsigned message, std::uintptr_t, std::intptr_t lParam) {
        if (message != kTrayCallbackMessage) {
            return false;
        }
        mouse.push_back(lParam);
        if (lParam == kTrayRightButtonDown) {
            app.RequestTerminate();
        }
        return true;
    };
    user->PostTrayMouse(main, kTrayLeftDoubleClick);
    user->PostTrayMouse(main, kTrayRightButtonDown);
    user->PostClick(dialog.ok);
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    EXPECT_EQ(mouse, (std::vector<std::intptr_t>{515, 516}));
}

TEST_F(FormsContract, ShowingActivatesAfterOnShowAndHidingHandsTheActivationBack) {
    main.Show();
    dialog.Show();
    user->Settle();
    EXPECT_EQ(main.events,
              (std::vector<std::string>{"show Main", "activate Main", "deactivate Main"}));
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"show Dialog", "activate Dialog"}));
    dialog.Hide();
    user->Settle();
    EXPECT_TRUE(main.Active());
    EXPECT_FALSE(dialog.Active());
    EXPECT_EQ(main.events.back(), "activate Main");
}

// A dialog that shows itself again whenever it loses the activation keeps it: its owner may be
// brought to the front, right after the dialog was shown from the owner's show or later, and the
// dialog ends up active again.
TEST_F(FormsContract, FormShowingItselfWhenDeactivatedWinsTheActivationBack) {
    dialog.SetOwnerForm(&main);
    dialog.OnDeactivate = [this] { dialog.Show(); };
    main.OnShow = [this] { dialog.Show(); };
    main.Show();
    user->Settle();
    EXPECT_TRUE(dialog.Active());
    EXPECT_FALSE(main.Active());

    main.BringToFront();
    user->Settle();
    EXPECT_TRUE(dialog.Active());
    EXPECT_FALSE(main.Active());

    // Without the handler the owner keeps the activation it is given.
    dialog.OnDeactivate = nullptr;
    main.BringToFront();
    user->Settle();
    EXPECT_TRUE(main.Active());
    EXPECT_FALSE(dialog.Active());
    EXPECT_TRUE(dialog.Visible());
}

TEST_F(FormsContract, ModalShowGivesTheActivationBackToItsCaller) {
    main.Show();
    user->PostClick(dialog.ok);
    dialog.ShowModal();
    user->Settle();
    EXPECT_TRUE(main.Active());
    EXPECT_EQ(main.events, (std::vector<std::string>{"show Main", "activate Main",
                                                     "deactivate Main", "activate Main"}));
}

} // namespace velt::contract
