// What the keyboard and a text in another alphabet may do in each window: a text the code page
// cannot hold keeps the window's confirming button disabled, and each key presses its button
// only from its control and only while the button can be clicked.
#include "MainWindowFixture.h"

#include "dialogs/FileList.h"
#include "dialogs/InputReasons.h"
#include "dialogs/PFPropertys.h"
#include "dialogs/passwds.h"
#include "fakes/FakeFileBrowser.h"

#include <utility>

namespace velt::testing {
namespace {

class InputRulesTest : public MainWindowTest {
  protected:
    void SetUp() override {
        PutProfiles({Profile("Plain", "C:\\A")}); // no password check: both edits are shown
        Start();
        ui.Select(main->Profiles, 0);
    }
    FakeFileBrowser browser;
    TPFPropertysForm properties{ui.App(), browser};
    TFileListForm wizard{ui.App(), browser};
    TPasswordsForm prompt{ui.App()};
};

TEST_F(InputRulesTest, ATextTheCodePageCannotHoldKeepsTheConfirmingButtonDisabled) {
    const std::pair<Edit*, Button*> rows[] = {
        {&main->PassEdit1, &main->ActivateButton},
        {&main->PassEdit2, &main->ActivateButton},
        {&properties.ProfileNameEdit, &properties.ApplyButton},
        {&properties.ListEdit, &properties.ApplyButton},
        {&properties.Pass1Edit, &properties.ApplyButton},
        {&properties.Pass2Edit, &properties.ApplyButton},
        {&wizard.edFile, &wizard.btnAdd},
        {&wizard.edFile, &wizard.btnReplace},
        {&wizard.edFile, &wizard.btnOK},
        {&prompt.PassEdit1, &prompt.OkButton},
    };
    // The same bytes each time: only whether the user's text could be held decides.
    for (const auto& [edit, button] : rows) {
        SCOPED_TRACE(edit->Id());
        for (const auto& [other, unused] : rows) {
            ui.Paste(*other, "????");
        }
        ASSERT_TRUE(button->Enabled());
        ASSERT_TRUE(ui.Paste(*edit, "????", false));
        EXPECT_TRUE(edit->Unrepresentable());
        EXPECT_FALSE(button->Enabled());
        if (button != &wizard.btnAdd && button != &wizard.btnReplace) {
            EXPECT_EQ(button->Hint(), kReasonUnrepresentable);
        }
        ui.Paste(*edit, "????");
        EXPECT_TRUE(button->Enabled());
        ui.Paste(*edit, "????", false);
        edit->SetText("????"); // a text from code is the program's own
        EXPECT_TRUE(button->Enabled());
    }
}

// Every password edit says its rule and answers a cut character; a text put into it from outside
// (another program's WM_SETTEXT comes as the user's change) is held to the same limit as typing:
// 32 characters are taken, 33 never.
TEST_F(InputRulesTest, EveryPasswordEditSaysItsRuleAndHoldsItsLimit) {
    for (Edit* edit : {&main->PassEdit1, &main->PassEdit2, &properties.Pass1Edit,
                       &properties.Pass2Edit, &prompt.PassEdit1}) {
        SCOPED_TRACE(edit->Id());
        EXPECT_EQ(edit->Cue(), "4 to 32 characters");
        EXPECT_FALSE(edit->Hint().empty()) << "its own tip, or the rule";
        const std::string most(32, 'p');
        EXPECT_TRUE(ui.Paste(*edit, most));
        EXPECT_FALSE(ui.Paste(*edit, std::string(33, 'q')));
        EXPECT_EQ(edit->Text(), most);
        EXPECT_NE(edit->LimitText().find("32"), std::string::npos);
    }
    EXPECT_EQ(prompt.PassEdit1.Hint(), "4 to 32 characters");
}

TEST_F(InputRulesTest, EachKeyPressesItsButtonFromItsControlWhileTheButtonCanBeClicked) {
    struct Row {
        Form& form;
        Control* on; // nullptr: from anywhere in the window
        KeyPress key;
        Button& button;
    };
    const Row rows[] = {
        {*main, &main->Profiles, {kKeyInsert}, main->CreateProfile},
        {*main, &main->Profiles, {kKeyF2}, main->EditProfile},
        {*main, &main->Profiles, {kKeyDelete}, main->DeleteProfile},
        {wizard, &wizard.lbxFileList, {kKeyInsert}, wizard.btnAdd},
        {wizard, &wizard.lbxFileList, {kKeyDelete}, wizard.btnDelete},
        {wizard, &wizard.lbxFileList, {kKeyUp, kAlt}, wizard.btnUp},
        {wizard, &wizard.lbxFileList, {kKeyDown, kAlt}, wizard.btnDown},
        {wizard, &wizard.lbxFileList, {KeyOf('O'), kCtrl}, wizard.PickButton},
        {properties, nullptr, {KeyOf('W'), kAlt}, properties.CallWizardButton},
        {properties, &properties.ListEdit, {kKeyF4}, properties.CallWizardButton},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button.Hint());
        int clicks = 0;
        const auto handler = std::exchange(row.button.OnClick, [&clicks] { ++clicks; });
        Control& own = row.on != nullptr ? *row.on : *row.form.TabOrder().front();
        const int fromElsewhere = row.on == nullptr ? 1 : 0;
        row.form.FocusControl(own);
        EXPECT_TRUE(ui.PressKey(row.form, row.key));
        EXPECT_FALSE(ui.PressKey(row.form, {row.key.code, row.key.modifiers ^ kShift}));
        EXPECT_EQ(clicks, 1);
        row.form.FocusControl(*row.form.TabOrder().back());
        EXPECT_EQ(ui.PressKey(row.form, row.key), fromElsewhere == 1);
        EXPECT_EQ(clicks, 1 + fromElsewhere);
        // A disabled button's key does nothing.
        row.form.FocusControl(own);
        row.button.SetEnabled(false);
        ui.PressKey(row.form, row.key);
        EXPECT_EQ(clicks, 1 + fromElsewhere);
        row.button.SetEnabled(true);
        row.button.OnClick = handler;
    }
}

} // namespace
} // namespace velt::testing
