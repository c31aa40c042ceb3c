// The profile properties dialog driven as a user would: the Apply rule, the check box, the
// wizard button and the modal results.
#include "dialogs/PFPropertys.h"

#include "dialogs/InputReasons.h"

#include "fakes/FakeFileBrowser.h"
#include "fakes/TestUi.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace velt {
namespace {

class PFPropertysTest : public ::testing::Test {
  protected:
    // The main window's preparation for a new profile.
    void PrepareCreate() {
        form.SetCaption(TPFPropertysForm::kCreateCaption);
        form.ApplyButton.SetEnabled(false);
        form.ProfileNameEdit.SetText("");
        form.ListEdit.SetText("");
        form.Pass1Edit.SetText("");
        form.Pass2Edit.SetText("");
        form.CheckPassword.SetChecked(true);
        SetPasswordControlsEnabled(true);
    }
    // The main window's preparation for editing a profile.
    void PrepareEdit(const std::string& name, const std::string& list, bool check) {
        form.SetCaption(TPFPropertysForm::kEditCaption);
        form.ProfileNameEdit.SetText(name);
        form.ListEdit.SetText(list);
        form.CheckPassword.SetChecked(check);
        SetPasswordControlsEnabled(check);
        form.ApplyButton.SetEnabled(false);
    }
    void SetPasswordControlsEnabled(bool enabled) {
        form.Pass1Label.SetEnabled(enabled);
        form.Pass1Edit.SetEnabled(enabled);
        form.Pass2Label.SetEnabled(enabled);
        form.Pass2Edit.SetEnabled(enabled);
    }
    void TypeNameAndList(const std::string& name = "Work", const std::string& list = "c:\\w\\*.*") {
        ui.Paste(form.ProfileNameEdit, name);
        ui.Paste(form.ListEdit, list);
    }
    bool PasswordControlsEnabled(bool enabled) const {
        return form.Pass1Label.Enabled() == enabled && form.Pass1Edit.Enabled() == enabled &&
               form.Pass2Label.Enabled() == enabled && form.Pass2Edit.Enabled() == enabled;
    }
    void TearDown() override {
        // A handler that threw would have shown the error handler's box.
        EXPECT_TRUE(ui.Boxes().empty());
    }

    TestUi ui;
    FakeFileBrowser browser;
    TPFPropertysForm form{ui.App(), browser};
};

TEST_F(PFPropertysTest, LayoutStartsWithTheBoxTickedAndApplyDisabled) {
    EXPECT_EQ(form.Caption(), "Create profile");
    EXPECT_TRUE(form.CheckPassword.Checked());
    EXPECT_TRUE(PasswordControlsEnabled(true));
    EXPECT_FALSE(form.ApplyButton.Enabled());
    EXPECT_TRUE(form.Pass1Edit.Password());
    EXPECT_TRUE(form.Pass2Edit.Password());
    EXPECT_EQ(form.CallWizardButton.Hint(), "Files and Folders Wizard ...");
    EXPECT_EQ(form.CallWizardButton.PictureName(), "BMP_WIZARD");
    // Tab order: name, list, check box, first and second password, Apply, Cancel.
    std::vector<int> tabOrder;
    for (Control* control : form.Controls())
        if (control->TakesFocus())
            tabOrder.push_back(control->Id());
    EXPECT_EQ(tabOrder,
              (std::vector<int>{TPFPropertysForm::kProfileNameEdit, TPFPropertysForm::kListEdit,
                                TPFPropertysForm::kCheckPassword, TPFPropertysForm::kPass1Edit,
                                TPFPropertysForm::kPass2Edit, TPFPropertysForm::kApplyButton,
                                TPFPropertysForm::kCancelButton}));
}

TEST_F(PFPropertysTest, WithoutPasswordCheckNameAndListDecideAlone) {
    PrepareCreate();
    ui.Click(form.CheckPassword);
    EXPECT_EQ(form.ApplyButton.Hint(), kReasonNoName);
    ui.Type(form.ProfileNameEdit, "N");
    EXPECT_FALSE(form.ApplyButton.Enabled()) << "empty path list";
    EXPECT_EQ(form.ApplyButton.Hint(), kReasonNoList);
    ui.Type(form.ListEdit, "L");
    EXPECT_TRUE(form.ApplyButton.Enabled());
    EXPECT_EQ(form.ApplyButton.Hint(), "");
    ui.Type(form.Pass1Edit, "ab");
    ui.Type(form.Pass2Edit, "xyz12");
    EXPECT_TRUE(form.ApplyButton.Enabled()) << "password edits are not looked at";
    ui.Backspace(form.ProfileNameEdit);
    EXPECT_FALSE(form.ApplyButton.Enabled()) << "empty name";
    // Blanks count: nothing is trimmed.
    ui.Type(form.ProfileNameEdit, " ");
    ui.Paste(form.ListEdit, " ");
    EXPECT_TRUE(form.ApplyButton.Enabled());
}

TEST_F(PFPropertysTest, WithPasswordCheckBothEntriesMustMatchExactlyWithFourOrMore) {
    PrepareCreate();
    TypeNameAndList();
    struct Case {
        const char* first;
        const char* second;
        std::string_view reason; // empty: Apply enabled
    };
    const std::string longest(32, 'p');
    const std::string tooLong(40, 'p');
    const Case cases[] = {
        {"abc", "abc", kReasonTooShort},
        {"abcd", "abcd", ""},
        {"abcd", "abCd", kReasonDiffer},
        {"abcd", "abcde", kReasonDiffer},
        {"abcde", "abcd", kReasonDiffer},
        {"", "", kReasonTooShort},
        {"", "abcd", kReasonTooShort},
        {"    ", "    ", ""},
        {"abcdef", "", kReasonReenter},
        {"abcdef", "abc", kReasonDiffer},
        {longest.c_str(), longest.c_str(), ""},
        // More than the main window takes: refused when typed or pasted, and when a program
        // puts it there, Apply stays disabled.
        {tooLong.c_str(), tooLong.c_str(), kReasonTooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " / " + c.second);
        for (auto [edit, text] :
             {std::pair{&form.Pass1Edit, c.first}, {&form.Pass2Edit, c.second}}) {
            const bool fits = std::string_view(text).size() <= 32;
            EXPECT_EQ(ui.Paste(*edit, text), fits);
            if (!fits)
                edit->SetText(text);
        }
        EXPECT_EQ(form.ApplyButton.Enabled(), c.reason.empty());
        EXPECT_EQ(form.ApplyButton.Hint(), c.reason);
    }
}

TEST_F(PFPropertysTest, ReasonNamesTheFirstFieldStillToFill) {
    PrepareCreate();
    struct Row {
        const char* name; // '!' first: a text the code page cannot hold
        const char* list;
        std::string_view reason;
    };
    const Row rows[] = {
        {"!N", "", kReasonUnrepresentable},
        {"N", "", kReasonNoList},
        {"N", "!L", kReasonUnrepresentable},
        {"N", "L", kReasonTooShort}, // then the passwords, both empty
        {"", "!L", kReasonNoName},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " / " + row.list);
        for (auto [edit, text] : {std::pair{&form.ProfileNameEdit, std::string_view(row.name)},
                                  {&form.ListEdit, std::string_view(row.list)}}) {
            const bool odd = text.starts_with('!');
            ui.Paste(*edit, odd ? text.substr(1) : text, !odd);
        }
        EXPECT_EQ(form.ApplyButton.Hint(), row.reason);
    }
}

TEST_F(PFPropertysTest, PathListLongerThanAProfileHoldsKeepsApplyDisabled) {
    PrepareCreate();
    ui.Click(form.CheckPassword);
    ui.Paste(form.ProfileNameEdit, "Long");
    const std::string fits(255, 'p');
    ui.Paste(form.ListEdit, fits);
    EXPECT_TRUE(form.ApplyButton.Enabled());
    ui.Type(form.ListEdit, "q");
    EXPECT_FALSE(form.ApplyButton.Enabled());
    // Ticking the box does not get round it either.
    ui.Click(form.CheckPassword);
    ui.Paste(form.Pass1Edit, "abcd");
    ui.Paste(form.Pass2Edit, "abcd");
    EXPECT_FALSE(form.ApplyButton.Enabled());
    ui.Backspace(form.ListEdit);
    EXPECT_TRUE(form.ApplyButton.Enabled());
}

TEST_F(PFPropertysTest, CheckBoxTogglesPasswordControlsAndKeepsTheirTexts) {
    PrepareCreate();
    TypeNameAndList();
    ui.Paste(form.Pass1Edit, "abcd");
    ui.Paste(form.Pass2Edit, "abce");
    EXPECT_FALSE(form.ApplyButton.Enabled());

    ui.Click(form.CheckPassword);
    EXPECT_TRUE(PasswordControlsEnabled(false));
    EXPECT_EQ(form.Pass1Edit.Text(), "abcd");
    EXPECT_EQ(form.Pass2Edit.Text(), "abce");
    EXPECT_TRUE(form.ApplyButton.Enabled()) << "the click runs the Apply rule";
    EXPECT_FALSE(ui.Type(form.Pass1Edit, "x")) << "a disabled edit takes no typing";

    ui.Click(form.CheckPassword);
    EXPECT_TRUE(PasswordControlsEnabled(true));
    EXPECT_EQ(form.Pass2Edit.Text(), "abce");
    EXPECT_FALSE(form.ApplyButton.Enabled()) << "the kept texts count again";
}

TEST_F(PFPropertysTest, EditingOpensWithApplyDisabledUntilSomethingChanges) {
    PrepareEdit("Work", "c:\\work\\*.*", false);
    EXPECT_FALSE(form.ApplyButton.Enabled());
    EXPECT_TRUE(PasswordControlsEnabled(false));
    // Setting a text to the one it holds is no change.
    form.ListEdit.SetText("c:\\work\\*.*");
    EXPECT_FALSE(form.ApplyButton.Enabled());
    // A change and its undo.
    ui.Type(form.ProfileNameEdit, "s");
    ui.Backspace(form.ProfileNameEdit);
    EXPECT_TRUE(form.ApplyButton.Enabled());
}

TEST_F(PFPropertysTest, ModalResultsAndControlsKeepTheirContents) {
    PrepareCreate();
    ui.Queue([&] { TypeNameAndList("Home", "d:\\h"); });
    ui.Queue([&] { ui.PressEnter(form); }); // Apply still disabled: nothing happens
    ui.Queue([&] {
        ui.Paste(form.Pass1Edit, "secret");
        ui.Paste(form.Pass2Edit, "secret");
    });
    ui.Queue([&] { ui.PressEnter(form); });
    EXPECT_EQ(form.ShowModal(), kMrOk);
    EXPECT_EQ(ui.PendingSteps(), 0u);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.ProfileNameEdit.Text(), "Home");
    EXPECT_EQ(form.ListEdit.Text(), "d:\\h");
    EXPECT_EQ(form.Pass1Edit.Text(), "secret");

    ui.Queue([&] { ui.Click(form.CancelButton); });
    EXPECT_EQ(form.ShowModal(), kMrCancel);
    ui.Queue([&] { ui.PressEscape(form); });
    EXPECT_EQ(form.ShowModal(), kMrCancel);
    ui.Queue([&] { ui.CloseBox(form); });
    EXPECT_EQ(form.ShowModal(), kMrCancel);
    EXPECT_EQ(form.ProfileNameEdit.Text(), "Home");
}

TEST_F(PFPropertysTest, WizardOkReplacesThePathListAndCancelKeepsIt) {
    PrepareCreate();
    ui.Click(form.CheckPassword);
    TypeNameAndList("Docs", ";;c:\\a;;c:\\b;");
    TFileListForm* seen = nullptr;
    ui.Queue([&] {
        seen = form.LastWizard();
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(seen->InputList(), ";;c:\\a;;c:\\b;");
        EXPECT_EQ(seen->lbxFileList.Items(), (std::vector<std::string>{"c:\\a", "c:\\b"}));
        ui.Paste(seen->edFile, "c:\\c");
        ui.Click(seen->btnAdd);
        ui.Click(seen->btnOK);
    });
    ui.Click(form.CallWizardButton);
    EXPECT_EQ(form.ListEdit.Text(), "c:\\a;c:\\b;c:\\c");
    EXPECT_TRUE(form.ApplyButton.Enabled());
    ASSERT_EQ(form.LastWizard(), seen);
    EXPECT_FALSE(seen->Created()) << "the released wizard is destroyed by the message loop";

    // Cancel: unchanged. Each press makes a fresh wizard with nothing carried over.
    ui.Queue([&] {
        EXPECT_NE(form.LastWizard(), seen);
        EXPECT_EQ(form.LastWizard()->lbxFileList.Count(), 3);
        ui.Click(form.LastWizard()->btnDelete);
        ui.Click(form.LastWizard()->btnCancel);
    });
    ui.Click(form.CallWizardButton);
    EXPECT_EQ(form.ListEdit.Text(), "c:\\a;c:\\b;c:\\c");
    EXPECT_EQ(ui.ModalShows(),
              (std::vector<std::string>{"Files and Folders Wizard", "Files and Folders Wizard"}));
}

TEST_F(PFPropertysTest, WizardOkOnAnEmptyListEmptiesThePathListAndDisablesApply) {
    PrepareEdit("Docs", "c:\\only", false);
    ui.Queue([&] {
        ui.Click(form.LastWizard()->btnDelete);
        ui.Click(form.LastWizard()->btnOK);
    });
    ui.Click(form.CallWizardButton);
    EXPECT_EQ(form.ListEdit.Text(), "");
    EXPECT_FALSE(form.ApplyButton.Enabled());
}

} // namespace
} // namespace velt
