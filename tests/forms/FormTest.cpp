// Forms: showing, closing, modal shows and their results, keys, help and activation.
#include "platform/Error.h"
#include "fakes/TestUi.h"
#include "forms/Button.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/TrayIcon.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

struct Dialog : Form {
    explicit Dialog(Application& app, std::string caption = "Dialog")
        : Form(app, std::move(caption), 270, 91) {
        ok.SetDefault(true);
        ok.SetModalResult(kMrOk);
        cancel.SetCancel(true);
        cancel.SetModalResult(kMrCancel);
    }
    Edit edit{*this, 1, {92, 12, 158, 21}};
    Button ok{*this, 2, {36, 60, 80, 24}, "OK"};
    Button cancel{*this, 3, {152, 60, 80, 24}, "Cancel"};
    Button other{*this, 4, {0, 0, 10, 10}, "Other"};
};

class FormTest : public ::testing::Test {
  protected:
    TestUi ui;
    Application& app = ui.App();
    Dialog dialog{app};
};

TEST_F(FormTest, FormGoingAwayLeavesTheFormsItOwnedUnowned) {
    Dialog owned(app, "Owned");
    {
        Dialog owner(app, "Owner");
        owned.SetOwnerForm(&owner);
        EXPECT_EQ(owned.OwnerForm(), &owner);
    }
    EXPECT_EQ(owned.OwnerForm(), nullptr);
}

TEST_F(FormTest, OnShowRunsOnEachHiddenToShownChange) {
    int shows = 0;
    int creates = 0;
    dialog.OnShow = [&] { ++shows; };
    dialog.OnCreate = [&] { ++creates; };
    dialog.Show();
    dialog.Show();
    dialog.Hide();
    dialog.Show();
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(creates, 1);
    EXPECT_TRUE(dialog.Visible());

    // A window its OnShow showed and closed again leaves the front to the form; one it brings
    // up (the welcome over the main window) stays in front and active.
    Dialog welcome(app, "Welcome");
    for (const bool stays : {false, true}) {
        dialog.Hide();
        dialog.OnShow = [&] {
            welcome.Show();
            if (!stays) {
                welcome.Hide();
            }
        };
        dialog.Show();
        EXPECT_EQ(ui.Log().back(), stays ? "front Welcome" : "front Dialog");
        EXPECT_EQ(app.ActiveForm(), stays ? &welcome : static_cast<Form*>(&dialog));
    }
}

TEST_F(FormTest, CloseHidesUnlessTheHandlerRefusesOrFrees) {
    dialog.Show();
    dialog.Close();
    EXPECT_FALSE(dialog.Visible());

    int saves = 0;
    dialog.OnClose = [&](CloseAction& action) {
        action = CloseAction::None; // the main window: refuse, hide itself, save
        dialog.Hide();
        ++saves;
    };
    dialog.Show();
    ui.CloseBox(dialog);
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(dialog.Created());
}

TEST_F(FormTest, FreedFormIsDestroyedAfterThePendingEvent) {
    app.CreateForm<Dialog>("Main");
    auto& welcome = app.CreateForm<Dialog>("Welcome !");
    bool destroyed = false;
    welcome.OnDestroy = [&] { destroyed = true; };
    welcome.OnClose = [&](CloseAction& action) {
        action = CloseAction::Free;
        EXPECT_FALSE(destroyed);
    };
    welcome.Show();
    ui.CloseBox(welcome); // the form object is gone after this
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(app.Forms().size(), 2u);
    EXPECT_FALSE(app.Terminated());
}

TEST_F(FormTest, ModalShowReturnsTheButtonsResultAfterItsOnClick) {
    std::string seen;
    dialog.ok.OnClick = [&] { seen = dialog.edit.Text(); };
    ui.Queue([&] {
        EXPECT_EQ(ui.ModalForm(), &dialog);
        EXPECT_TRUE(dialog.Visible());
        ui.Type(dialog.edit, "secret");
        ui.Click(dialog.ok);
    });
    EXPECT_EQ(dialog.ShowModal(), kMrOk);
    EXPECT_EQ(seen, "secret");
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(ui.ModalForm(), nullptr);
    EXPECT_EQ(dialog.edit.Text(), "secret"); // the dialog keeps its contents between uses
}

TEST_F(FormTest, EnterAndEscapeReachOnlyUsableDefaultAndCancelButtons) {
    dialog.ok.SetEnabled(false);
    ui.Queue([&] { ui.PressEnter(dialog); }); // disabled OK: nothing happens
    ui.Queue([&] {
        EXPECT_EQ(dialog.ModalResult(), kMrNone);
        ui.PressEscape(dialog);
    });
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    EXPECT_EQ(ui.PendingSteps(), 0u);

    dialog.ok.SetEnabled(true);
    ui.Queue([&] { ui.PressEnter(dialog); });
    EXPECT_EQ(dialog.ShowModal(), kMrOk);

    int others = 0;
    dialog.other.OnClick = [&] { ++others; };
    dialog.FocusControl(dialog.other); // Enter presses the focused push button instead
    dialog.PressEnter();
    EXPECT_EQ(others, 1);
}

TEST_F(FormTest, TerminateDuringModalShowEndsItWithCancelAndEndsTheLoop) {
    Dialog mainForm{app, "Main"};
    Dialog nested{app, "Nested"};
    bool trayServed = false;
    mainForm.OnMessage = [&](unsigned message, std::uintptr_t, std::intptr_t lParam) {
        trayServed = message == kTrayCallbackMessage && lParam == kTrayRightButtonDown;
        app.RequestTerminate(); // Quit from the tray menu
        return true;
    };
    int nestedResult = -1;
    ui.Queue([&] { nestedResult = nested.ShowModal(); });
    ui.Queue([&] { ui.TrayMouse(mainForm, kTrayRightButtonDown); });
    ui.Queue([&] { ADD_FAILURE() << "the loops kept running after the terminate request"; });
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    EXPECT_EQ(nestedResult, kMrCancel);
    EXPECT_TRUE(trayServed);
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(dialog.ShowModal(), kMrCancel); // a later modal show ends at once
}

TEST_F(FormTest, HidingAModalFormCancelsItsShowInsteadOfLeavingItInvisible) {
    dialog.ok.OnClick = [&] { dialog.Hide(); };
    dialog.ok.SetModalResult(kMrNone);
    ui.Queue([&] { ui.Click(dialog.ok); });
    ui.Queue([] { ADD_FAILURE() << "the hidden dialog's loop kept running"; });
    EXPECT_EQ(dialog.ShowModal(), kMrCancel);
    EXPECT_FALSE(dialog.Visible());
}

TEST_F(FormTest, ShowingAVisibleFormModallyIsRefused) {
    dialog.Show();
    EXPECT_THROW(dialog.ShowModal(), UsageError);
    EXPECT_TRUE(dialog.Visible());
}

TEST_F(FormTest, ReleasedDuringItsModalShowIsDestroyedAfterTheLoop) {
    auto& wizard = app.CreateForm<Dialog>("Wizard");
    bool destroyed = false;
    wizard.OnDestroy = [&] { destroyed = true; };
    ui.Queue([&] {
        wizard.Release();
        ui.Click(wizard.ok);
        EXPECT_FALSE(destroyed);
    });
    EXPECT_EQ(wizard.ShowModal(), kMrOk);
    EXPECT_FALSE(destroyed);
    app.ProcessMessages();
    EXPECT_TRUE(destroyed);
}

TEST_F(FormTest, HelpGoesToTheApplicationWithTheFormsContext) {
    std::vector<std::pair<unsigned, long>> requests;
    app.OnHelp = [&](unsigned command, long data) { requests.emplace_back(command, data); };
    ui.PressF1(dialog); // context 0: nothing
    dialog.SetHelpContext(10);
    ui.PressF1(dialog);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], std::make_pair(kHelpContext, 10L));
}

TEST_F(FormTest, ActivationMovesBetweenFormsAndMayBeTakenBack) {
    Dialog mainForm{app, "Main"};
    std::vector<std::string> events;
    mainForm.OnActivate = [&] { events.push_back("main+"); };
    mainForm.OnDeactivate = [&] { events.push_back("main-"); };
    dialog.OnActivate = [&] { events.push_back("dialog+"); };
    dialog.OnDeactivate = [&] { // the welcome dialog keeps itself in front
        events.push_back("dialog-");
        dialog.Show();
    };
    mainForm.Show();
    dialog.Show();
    EXPECT_TRUE(ui.Activate(mainForm));
    EXPECT_TRUE(dialog.Active());
    EXPECT_FALSE(mainForm.Active());
    EXPECT_EQ(events,
              (std::vector<std::string>{"main+", "main-", "dialog+", "dialog-", "dialog+"}));
}

TEST_F(FormTest, OtherWindowsTakeNoInputDuringAModalShowButGetTheirMessages) {
    Dialog mainForm{app, "Main"};
    mainForm.Show();
    int clicks = 0;
    int messages = 0;
    mainForm.ok.OnClick = [&] { ++clicks; };
    mainForm.OnMessage = [&](unsigned, std::uintptr_t, std::intptr_t) { return ++messages > 0; };
    ui.Queue([&] {
        EXPECT_FALSE(ui.Activate(mainForm));
        EXPECT_FALSE(ui.Click(mainForm.ok));
        EXPECT_FALSE(ui.Type(mainForm.edit, "x"));
        ui.TrayMouse(mainForm, kTrayRightButtonDown);
    });
    dialog.ShowModal();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(messages, 1);
    EXPECT_TRUE(ui.Click(mainForm.ok));
}

} // namespace
} // namespace velt
