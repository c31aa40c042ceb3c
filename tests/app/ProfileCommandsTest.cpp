// The main window's profile commands (create, edit, delete) through the properties dialog and
// the password prompt, as a user drives them.
#include "MainWindowFixture.h"

#include "dialogs/InputReasons.h"
#include "dialogs/PFPropertys.h"
#include "dialogs/passwds.h"
#include "fakes/FakeFileBrowser.h"

#include <string>

namespace velt::testing {
namespace {

class ProfileCommandsTest : public MainWindowTest {
  protected:
    ~ProfileCommandsTest() override {
        PFPropertysForm = nullptr;
        PasswordsForm = nullptr;
    }
    // Start-up with the given stored profiles: the main window, then the long-lived dialogs.
    void StartWith(const std::vector<TProfileObj>& profiles) {
        if (!profiles.empty())
            PutProfiles(profiles);
        Create();
        PFPropertysForm = &ui.App().CreateForm<TPFPropertysForm>(browser);
        PasswordsForm = &ui.App().CreateForm<TPasswordsForm>();
        main->Show();
        ui.ClearBoxes();
    }
    TPFPropertysForm& Dialog() { return *PFPropertysForm; }
    TPasswordsForm& Prompt() { return *PasswordsForm; }

    // While the properties dialog is open: fill it and press Apply.
    void QueueApply(const std::string& name, const std::string& list, const std::string& password) {
        ui.Queue([=, this] {
            ui.Paste(Dialog().ProfileNameEdit, name);
            ui.Paste(Dialog().ListEdit, list);
            if (password.empty()) {
                if (Dialog().CheckPassword.Checked())
                    ui.Click(Dialog().CheckPassword);
            } else {
                if (!Dialog().CheckPassword.Checked())
                    ui.Click(Dialog().CheckPassword);
                ui.Paste(Dialog().Pass1Edit, password);
                ui.Paste(Dialog().Pass2Edit, password);
            }
            EXPECT_TRUE(ui.Click(Dialog().ApplyButton));
        });
    }
    void QueuePrompt(const std::string& password) {
        ui.Queue([=, this] {
            EXPECT_EQ(Prompt().PassEdit1.Text(), "");
            ui.Type(Prompt().PassEdit1, password);
            EXPECT_TRUE(ui.Click(Prompt().OkButton));
        });
    }
    std::vector<std::string> Shown() const { return main->Profiles.Items(); }
    const TProfileObj& At(std::size_t i) const { return main->ProfileList.Profile(i); }

    FakeFileBrowser browser;
};

TEST_F(ProfileCommandsTest, CreatePreparesTheDialogAndCancelChangesNothing) {
    StartWith({Profile("One", "c:\\one")});
    // Leftovers of an earlier use of the dialog.
    Dialog().ProfileNameEdit.SetText("old");
    Dialog().Pass1Edit.SetText("oldpass");
    Dialog().CheckPassword.SetChecked(false);
    ui.Queue([&] {
        EXPECT_EQ(Dialog().Caption(), "Create new profile");
        EXPECT_EQ(Dialog().ProfileNameEdit.Text(), "");
        EXPECT_EQ(Dialog().ListEdit.Text(), "");
        EXPECT_EQ(Dialog().Pass1Edit.Text(), "");
        EXPECT_EQ(Dialog().Pass2Edit.Text(), "");
        EXPECT_TRUE(Dialog().CheckPassword.Checked());
        EXPECT_TRUE(Dialog().Pass1Edit.Enabled());
        EXPECT_TRUE(Dialog().Pass2Label.Enabled());
        EXPECT_FALSE(Dialog().ApplyButton.Enabled());
        ui.Paste(Dialog().ProfileNameEdit, "Two");
        ui.Click(Dialog().CancelButton);
    });
    ui.Click(main->CreateProfile);
    EXPECT_EQ(Shown(), std::vector<std::string>{"One"});
    EXPECT_EQ(main->ProfileList.Count(), 1u);
    EXPECT_EQ(main->Profiles.ItemIndex(), 0);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(ProfileCommandsTest, CreateAppendsSelectsAndStoresTheCheckByteOnlyWhenTicked) {
    StartWith({Profile("One", "c:\\one")});
    QueueApply("Secret", "d:\\s\\*.*", "tiger");
    ui.Click(main->CreateProfile);
    ASSERT_EQ(Shown(), (std::vector<std::string>{"One", "Secret"}));
    EXPECT_EQ(main->Profiles.ItemIndex(), 1);
    EXPECT_EQ(At(1).PathList.str(), "d:\\s\\*.*");
    EXPECT_EQ(At(1).CheckFlag, 1);
    EXPECT_EQ(At(1).CheckByte, PasswordCheckByte("tiger"));
    EXPECT_FALSE(main->PassEdit2.Visible()) << "ProfilesChange ran for the new entry";
    EXPECT_EQ(main->Profiles.Hint(), "Files to protect: \"d:\\s\\*.*\"");
    EXPECT_EQ(Dialog().Pass1Edit.Text(), "tiger") << "the dialog keeps the typed password";

    QueueApply("Open", "e:\\o", "");
    ui.Click(main->CreateProfile);
    EXPECT_EQ(main->Profiles.ItemIndex(), 2);
    EXPECT_EQ(At(2).CheckFlag, 0);
    EXPECT_EQ(At(2).CheckByte, 0);
    EXPECT_TRUE(main->PassEdit2.Visible());
    // Nothing reaches the storage file before the window saves.
    EXPECT_EQ(StoredProfiles(), 1u);
}

TEST_F(ProfileCommandsTest, LongNameShowsCutAfterCreateAndWholeAfterEditUntilTheNextShowing) {
    StartWith({Profile("One", "c:\\one")});
    const std::string name120(120, 'n');
    QueueApply(name120, "c:\\x", "");
    ui.Click(main->CreateProfile);
    EXPECT_EQ(main->Profiles.Item(1), name120.substr(0, 99));
    EXPECT_EQ(At(1).ProfileName.str(), name120.substr(0, 99));

    const std::string name120b(120, 'm');
    ui.Queue([&] {
        ui.Paste(Dialog().ProfileNameEdit, name120b);
        ui.Click(Dialog().ApplyButton);
    });
    ui.Click(main->EditProfile);
    EXPECT_EQ(main->Profiles.Item(1), name120b);
    EXPECT_EQ(main->Profiles.ItemIndex(), 1);
    EXPECT_EQ(At(1).ProfileName.str(), name120b.substr(0, 99));

    ui.CloseBox(*main); // hides and saves
    main->Show();       // reloads
    EXPECT_EQ(main->Profiles.Item(1), name120b.substr(0, 99));
}

TEST_F(ProfileCommandsTest, EditAndDeleteDoNothingWithoutASelection) {
    StartWith({});
    ui.Click(main->DeleteProfile); // remove the default profile
    ui.ClearBoxes();
    main->Profiles.SetItemIndex(-1);
    ui.Click(main->EditProfile);
    ui.Click(main->DeleteProfile);
    EXPECT_TRUE(ui.ModalShows().empty());
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(ProfileCommandsTest, EditOfAProtectedProfileAsksThePasswordFirst) {
    StartWith({Profile("Safe", "c:\\safe", "lion1")});
    Dialog().Pass1Edit.SetText("stale");
    Dialog().Pass2Edit.SetText("stale");

    // Cancelled prompt: nothing more happens.
    ui.Queue([&] { ui.Click(Prompt().CancelButton); });
    ui.Click(main->EditProfile);
    EXPECT_EQ(ui.ModalShows(), std::vector<std::string>{TPasswordsForm::kCaption});
    EXPECT_TRUE(ui.Boxes().empty());

    // Wrong password: the message, emptied password edits, and the prompt again with the wrong
    // text; cancelled, no properties dialog.
    QueuePrompt("lion2");
    ui.Queue([&] {
        EXPECT_EQ(Prompt().PassEdit1.Text(), "lion2");
        ui.Click(Prompt().CancelButton);
    });
    ui.Click(main->EditProfile);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "Password is not correct !");
    EXPECT_EQ(ui.Boxes()[0].caption, "Password chacking");
    EXPECT_EQ(ui.Boxes()[0].flags, 0u);
    EXPECT_EQ(ui.ModalShows().size(), 3u);
    EXPECT_EQ(Dialog().Pass1Edit.Text(), "");
    EXPECT_EQ(Dialog().Pass2Edit.Text(), "");
    EXPECT_EQ(Prompt().PassEdit1.Text(), "") << "the prompt does not keep the password";
    ui.ClearBoxes();

    // Right password, typed over a wrong one: the dialog opens prepared, with Apply disabled.
    QueuePrompt("lion9");
    ui.Queue([&] {
        ui.Type(Prompt().PassEdit1, "lion1");
        ui.Click(Prompt().OkButton);
    });
    ui.Queue([&] {
        EXPECT_EQ(Dialog().Caption(), "Edit selected profile");
        EXPECT_EQ(Dialog().ProfileNameEdit.Text(), "Safe");
        EXPECT_EQ(Dialog().ListEdit.Text(), "c:\\safe");
        EXPECT_TRUE(Dialog().CheckPassword.Checked());
        EXPECT_TRUE(Dialog().Pass1Edit.Enabled());
        EXPECT_EQ(Dialog().Pass1Edit.Text(), "lion1");
        EXPECT_EQ(Dialog().Pass2Edit.Text(), "lion1");
        EXPECT_FALSE(Dialog().ApplyButton.Enabled());
        EXPECT_EQ(Dialog().ApplyButton.Hint(), kReasonUnchanged);
        ui.Paste(Dialog().ListEdit, "c:\\safe;d:\\more");
        ui.Paste(Dialog().Pass1Edit, "tiger");
        ui.Paste(Dialog().Pass2Edit, "tiger");
        ui.Click(Dialog().ApplyButton);
    });
    ui.Click(main->EditProfile);
    EXPECT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(At(0).PathList.str(), "c:\\safe;d:\\more");
    EXPECT_EQ(At(0).CheckByte, PasswordCheckByte("tiger"));
    EXPECT_EQ(main->Profiles.ItemIndex(), 0);
    EXPECT_EQ(Dialog().Pass1Edit.Text(), "") << "emptied after storing";
    EXPECT_EQ(Dialog().Pass2Edit.Text(), "");
}

TEST_F(ProfileCommandsTest, ClearingTheCheckKeepsTheOldCheckByteAndCancelKeepsTheProfile) {
    StartWith({Profile("Safe", "c:\\safe", "lion1"), Profile("Open", "c:\\open")});
    const TProfileObj before = At(0);

    QueuePrompt("lion1");
    ui.Queue([&] {
        ui.Paste(Dialog().ListEdit, "c:\\changed");
        ui.Click(Dialog().CancelButton);
    });
    ui.Click(main->EditProfile);
    EXPECT_EQ(At(0), before);
    EXPECT_EQ(Dialog().Pass1Edit.Text(), "lion1") << "a cancelled edit keeps the password edits";

    QueuePrompt("lion1");
    ui.Queue([&] {
        ui.Click(Dialog().CheckPassword);
        EXPECT_FALSE(Dialog().Pass1Edit.Enabled());
        ui.Click(Dialog().ApplyButton);
    });
    ui.Click(main->EditProfile);
    EXPECT_EQ(At(0).CheckFlag, 0);
    EXPECT_EQ(At(0).CheckByte, PasswordCheckByte("lion1"));
    EXPECT_TRUE(main->PassEdit2.Visible());
}

TEST_F(ProfileCommandsTest, AReloadWhileADialogIsOpenDropsTheCommandSilently) {
    // Closing and showing the main window (tray) saves the list and loads it anew, and another
    // copy may have stored fewer profiles meanwhile: the command's index may now name another
    // profile or none, so nothing is changed and nothing is said (ASan: no freed use).
    StartWith({Profile("Open", "c:\\open"), Profile("Safe", "c:\\safe", "lion1")});
    const auto reload = [this](bool fewer) {
        main->Close();
        if (fewer)
            PutProfiles({Profile("Open", "c:\\open")});
        main->Show();
    };
    ui.Select(main->Profiles, 1);
    QueuePrompt("lion1");
    ui.Queue([&] {
        reload(false);
        ui.Paste(Dialog().ListEdit, "c:\\changed");
        EXPECT_TRUE(ui.Click(Dialog().ApplyButton));
    });
    ui.Click(main->EditProfile);
    ui.DuringNextBox([&] { reload(false); });
    ui.AnswerNext(kIdYes);
    ui.Click(main->DeleteProfile);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Open", "Safe"}));
    EXPECT_EQ(At(1).PathList.str(), "c:\\safe");
    EXPECT_EQ(ui.Boxes().size(), 1U) << "the delete question alone";

    for (const bool fewer : {false, true}) {
        SCOPED_TRACE(fewer);
        ui.Select(main->Profiles, 1);
        const auto shows = ui.ModalShows().size();
        ui.Queue([&] {
            reload(fewer);
            ui.Type(Prompt().PassEdit1, "lion1");
            ui.Click(Prompt().OkButton);
        });
        ui.Click(main->EditProfile);
        EXPECT_EQ(ui.ModalShows().size(), shows + 1) << "no properties dialog";
        EXPECT_EQ(Prompt().PassEdit1.Text(), "");
    }
    EXPECT_EQ(Shown(), std::vector<std::string>{"Open"});
    EXPECT_EQ(StoredProfiles(), 1U);
    EXPECT_EQ(ui.Boxes().size(), 1U);
}

TEST_F(ProfileCommandsTest, EditOfAnOpenProfileAsksNothingAndKeepsTheEarlierPasswordTexts) {
    StartWith({Profile("Open", "c:\\open")});
    QueueApply("New", "c:\\new", "zebra");
    ui.Click(main->CreateProfile);
    ui.Select(main->Profiles, 0);
    ui.Queue([&] {
        EXPECT_FALSE(Dialog().CheckPassword.Checked());
        EXPECT_FALSE(Dialog().Pass1Edit.Enabled());
        EXPECT_FALSE(Dialog().Pass2Label.Enabled());
        EXPECT_EQ(Dialog().Pass1Edit.Text(), "zebra");
        EXPECT_EQ(Dialog().Pass2Edit.Text(), "zebra");
        EXPECT_FALSE(Dialog().ApplyButton.Enabled());
        ui.Click(Dialog().CancelButton);
    });
    ui.Click(main->EditProfile);
    EXPECT_EQ(ui.ModalShows().back(), "Edit selected profile");
    EXPECT_EQ(ui.ModalShows().size(), 2u) << "no password prompt";
}

TEST_F(ProfileCommandsTest, DeleteAsksThenRemovesAndSelectsTheLastEntry) {
    StartWith({Profile("A", "a"), Profile("B", "b", "pass1"), Profile("C", "c")});
    ui.Select(main->Profiles, 1);
    ui.AnswerNext(kIdNo);
    ui.Click(main->DeleteProfile);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "Do you realy want to delete profile \"B\" ?");
    EXPECT_EQ(ui.Boxes()[0].caption, "Deleting selected profile");
    EXPECT_EQ(ui.Boxes()[0].flags, 36u);
    EXPECT_EQ(main->ProfileList.Count(), 3u);

    ui.AnswerNext(kIdYes);
    ui.Click(main->DeleteProfile);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(main->ProfileList.Count(), 2u);
    EXPECT_EQ(main->ProfileList.Profile(1).PathList.str(), "c");
    EXPECT_EQ(main->Profiles.ItemIndex(), 1);
    EXPECT_EQ(main->Profiles.Hint(), "Files to protect: \"c\"");

    // Quit chosen from the tray while the question is open: the Yes that follows deletes nothing.
    ui.DuringNextBox([this] { main->QuitItemClick(); });
    ui.AnswerNext(kIdYes);
    ui.Click(main->DeleteProfile);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"A", "C"}));
}

TEST_F(ProfileCommandsTest, DeletingTheOnlyProfileLeavesNothingSelected) {
    StartWith({});
    ASSERT_EQ(Shown(), std::vector<std::string>{"My Confidential Data"});
    ui.ClearBoxes();
    ui.AnswerNext(kIdYes);
    ui.Click(main->DeleteProfile);
    EXPECT_EQ(ui.Boxes()[0].text, "Do you realy want to delete profile \"My Confidential Data\" ?");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(main->Profiles.ItemIndex(), -1);
    EXPECT_EQ(main->ProfileList.ItemIndex(), -1);
    EXPECT_EQ(main->Profiles.Hint(), "");
}

} // namespace
} // namespace velt::testing
