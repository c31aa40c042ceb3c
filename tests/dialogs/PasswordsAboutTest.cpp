// The password prompt's rule and modal results, and the about box's buttons.
#include "dialogs/About.h"
#include "dialogs/passwds.h"

#include "fakes/TestUi.h"

#include <gtest/gtest.h>

namespace velt {
namespace {

TEST(PasswordsForm, OkNeedsFourCharactersAndEditStopsAt32) {
    TestUi ui;
    auto& form = ui.App().CreateForm<TPasswordsForm>();
    int result = 0;
    ui.Queue([&] {
        ui.Type(form.PassEdit1, "abc");
        EXPECT_FALSE(form.OkButton.Enabled());
        ui.PressEnter(form); // a disabled default button: nothing
        EXPECT_EQ(ui.ModalForm(), &form);
        ui.Type(form.PassEdit1, "d");
        EXPECT_TRUE(form.OkButton.Enabled());
        ui.Backspace(form.PassEdit1);
        EXPECT_FALSE(form.OkButton.Enabled());
        ui.Type(form.PassEdit1, "d ");
        EXPECT_FALSE(ui.Paste(form.PassEdit1, std::string(33, 'x')));
        ui.PressEnter(form);
    });
    result = form.ShowModal();
    EXPECT_EQ(result, kMrOk);
    EXPECT_EQ(form.PassEdit1.Text(), "abcd ");
    EXPECT_EQ(form.HelpContext(), 0);
}

TEST(PasswordsForm, EscapeAndCloseBoxGiveTwoAndReuseStartsDisabled) {
    TestUi ui;
    auto& form = ui.App().CreateForm<TPasswordsForm>();
    ui.Queue([&] {
        ui.Type(form.PassEdit1, "abcd");
        ui.PressEscape(form);
    });
    EXPECT_EQ(form.ShowModal(), kMrCancel);
    // The caller empties the edit before the next use: OK is disabled again.
    form.PassEdit1.SetText("");
    EXPECT_FALSE(form.OkButton.Enabled());
    ui.Queue([&] { ui.CloseBox(form); });
    EXPECT_EQ(form.ShowModal(), kMrCancel);
}

TEST(PasswordsForm, F1DoesNothing) {
    TestUi ui;
    int helps = 0;
    ui.App().OnHelp = [&](unsigned, long) { ++helps; };
    auto& form = ui.App().CreateForm<TPasswordsForm>();
    ui.Queue([&] {
        ui.PressF1(form);
        ui.PressEscape(form);
    });
    form.ShowModal();
    EXPECT_EQ(helps, 0);
}

TEST(AboutForm, EnterAndEscapeBothCloseIt) {
    TestUi ui;
    auto& about = ui.App().CreateForm<TAboutForm>();
    EXPECT_EQ(about.Label2.Caption(), "Version 1.0.4");
    ui.Queue([&] { ui.PressEnter(about); });
    EXPECT_EQ(about.ShowModal(), kMrOk);
    ui.Queue([&] { ui.PressEscape(about); });
    about.ShowModal();
    EXPECT_FALSE(about.Visible());
    EXPECT_EQ(ui.ModalShows().size(), 2U);
}

} // namespace
} // namespace velt
