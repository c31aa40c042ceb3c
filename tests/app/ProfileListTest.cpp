// The profile list of the main window: loading at every showing, the welcome dialog on a missing
// storage file, and what the selection decides.
#include "app/MainWindowFixture.h"

#include "profiles/DefaultProf.h"

namespace velt::testing {
namespace {

TEST_F(MainWindowTest, FirstStartSelectsDefaultProfileAndOpensWelcome) {
    Start();
    ASSERT_NE(DefaultForm, nullptr);
    EXPECT_TRUE(DefaultForm->Visible());
    EXPECT_FALSE(DefaultForm->Modal());
    EXPECT_EQ(main->Profiles.Count(), 1);
    EXPECT_EQ(main->Profiles.Item(0), "My Confidential Data");
    EXPECT_EQ(main->Profiles.ItemIndex(), 0);
    EXPECT_TRUE(main->PassEdit2.Visible());
    EXPECT_TRUE(main->PassLabel2.Visible());
    EXPECT_EQ(main->Profiles.Hint(), "Files to protect: \"c:\\confident\\*.*\"");
    // Stored at once: a first start that ends now leaves it for the next.
    const auto record = EncodeRecord(MakeDefaultProfile());
    EXPECT_EQ(files.Contents(kStorage), std::vector<std::uint8_t>(record.begin(), record.end()));
}

TEST_F(MainWindowTest, SelectionDecidesSecondEntryAndHint) {
    PutProfiles({Profile("Twice", "c:\\a\\*.*"), Profile("Checked", "d:\\b", "pw12")});
    Start();
    EXPECT_EQ(DefaultForm, nullptr);
    EXPECT_TRUE(main->PassEdit2.Visible());
    ui.Select(main->Profiles, 1);
    EXPECT_FALSE(main->PassEdit2.Visible());
    EXPECT_FALSE(main->PassLabel2.Visible());
    EXPECT_EQ(main->Profiles.Hint(), "Files to protect: \"d:\\b\"");
    // Nothing selected: the hint empties, the second entry stays as it was.
    main->Profiles.SetItemIndex(-1);
    main->ProfilesChange();
    EXPECT_EQ(main->Profiles.Hint(), "");
    EXPECT_FALSE(main->PassEdit2.Visible());
}

TEST_F(MainWindowTest, DamagedCheckFlagCountsAsOn) {
    auto p = Profile("Odd", "c:\\a");
    p.CheckFlag = 7;
    p.CheckByte = PasswordCheckByte("right");
    PutProfiles({p});
    Start();
    EXPECT_FALSE(main->PassEdit2.Visible());
    ui.Type(main->PassEdit1, "wrong");
    ui.Click(main->ActivateButton);
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].caption, "Password is not correct");
}

TEST_F(MainWindowTest, StoredIndexSelectsItsEntry) {
    PutProfiles({Profile("A", "a"), Profile("B", "b"), Profile("C", "c")});
    registry.OpenKey("Software\\Veltarion", true)->WriteDword("CurrentProfile", 2);
    Start();
    EXPECT_EQ(main->Profiles.ItemIndex(), 2);
    EXPECT_EQ(main->Profiles.Hint(), "Files to protect: \"c\"");
}

TEST_F(MainWindowTest, LoadFailureListsWhatWasReadSelectsNothingAndReports) {
    PutProfiles({Profile("A", "a"), Profile("B", "b")});
    auto bytes = *files.Contents(kStorage);
    bytes.resize(1100);
    files.PutFile(kStorage, bytes);
    Start();
    EXPECT_EQ(main->Profiles.Count(), 2);
    EXPECT_EQ(main->Profiles.ItemIndex(), -1);
    EXPECT_EQ(DefaultForm, nullptr);
    // The layout's hint stays: the selection's refresh did not run.
    EXPECT_EQ(main->Profiles.Hint(), "Select already created profile from list");
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, "Read beyond end of file.");
    EXPECT_EQ(ui.Boxes()[0].caption, "Omvex");
}

TEST_F(MainWindowTest, MissingStorageFileAgainBringsDefaultAndNewWelcome) {
    PutProfiles({Profile("A", "a"), Profile("B", "b")});
    Start();
    ui.CloseBox(*main);
    files.Remove(kStorage);
    main->ActivateItemClick();
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(main->Profiles.Count(), 1);
    EXPECT_EQ(main->Profiles.Item(0), "My Confidential Data");
    ASSERT_NE(DefaultForm, nullptr);
    EXPECT_TRUE(DefaultForm->Visible());
}

TEST_F(MainWindowTest, QuitBeforeAnySaveKeepsTheDefaultProfile) {
    Start();
    ui.ChooseNext("Quit");
    ui.TrayMouse(*main, kTrayRightButtonDown);
    main->Destroy();
    EXPECT_EQ(StoredProfiles(), 1U);
    EXPECT_EQ(StoredIndex(), 0);
}

} // namespace
} // namespace velt::testing
