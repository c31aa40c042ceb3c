// The welcome dialog's handlers: OK with its two boxes, closing, and staying in front.
#include "profiles/DefaultProf.h"

#include "fakes/FakeShell.h"
#include "fakes/TestUi.h"
#include "forms/Form.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <stdexcept>
#include <gtest/gtest.h>

namespace velt {
namespace {

using ::testing::ElementsAre;

class DefaultFormTest : public ::testing::Test {
  protected:
    DefaultFormTest() {
        owner = &ui.App().CreateForm<Form>("Veltarion", 326, 198);
        dialog = &ui.App().CreateForm<TDefaultForm>(*owner, shell);
        owner->OnShow = [this] { ++ownerShows; };
        dialog->Show();
    }
    bool DialogGone() {
        const auto& forms = ui.App().Forms();
        return std::find(forms.begin(), forms.end(), dialog) == forms.end();
    }

    FakeShell shell;
    TestUi ui;
    Form* owner = nullptr;
    TDefaultForm* dialog = nullptr;
    int ownerShows = 0;
};

TEST_F(DefaultFormTest, OpensWithBothBoxesTicked) {
    EXPECT_TRUE(dialog->cbxCreateDir.Checked());
    EXPECT_TRUE(dialog->cbxShowGetting.Checked());
    EXPECT_EQ(dialog->Caption(), "Welcome !");
    EXPECT_EQ(dialog->HelpContext(), 10);
}

TEST_F(DefaultFormTest, OkMakesDirectoryOpensDocumentClosesAndShowsOwner) {
    ASSERT_TRUE(ui.Click(dialog->OKBtn));
    EXPECT_THAT(shell.madeDirectories, ElementsAre("C:\\CONFIDENT"));
    EXPECT_THAT(shell.openedDocuments, ElementsAre("Getting Started.htm"));
    EXPECT_TRUE(DialogGone());
    EXPECT_TRUE(owner->Visible());
    EXPECT_EQ(ownerShows, 1);
}

TEST_F(DefaultFormTest, OkWithBothBoxesClearedOnlyCloses) {
    ui.Click(dialog->cbxCreateDir);
    ui.Click(dialog->cbxShowGetting);
    ui.PressEnter(*dialog);
    EXPECT_TRUE(shell.madeDirectories.empty());
    EXPECT_TRUE(shell.openedDocuments.empty());
    EXPECT_TRUE(DialogGone());
}

TEST_F(DefaultFormTest, ExistingDirectoryPassesSilently) {
    shell.directories.insert("C:\\CONFIDENT");
    ui.Click(dialog->OKBtn);
    EXPECT_TRUE(shell.madeDirectories.empty());
    EXPECT_THAT(shell.openedDocuments, ElementsAre("Getting Started.htm"));
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(DefaultFormTest, CloseBoxMakesNothingAndBringsOwnerBack) {
    owner->Hide();
    ui.CloseBox(*dialog);
    EXPECT_TRUE(shell.madeDirectories.empty());
    EXPECT_TRUE(shell.openedDocuments.empty());
    EXPECT_TRUE(DialogGone());
    EXPECT_TRUE(owner->Visible());
    EXPECT_EQ(ownerShows, 1);
}

TEST_F(DefaultFormTest, FailingReloadOfTheMainWindowStillReleasesTheDialogOnce) {
    owner->Hide();
    owner->OnShow = [] { throw std::runtime_error("File access denied"); }; // storage locked
    ui.App().RunEvent([this] { dialog->OKBtnClick(); });
    ui.App().RunEvent([this] { dialog->OKBtnClick(); }); // a second click already queued
    ui.App().ProcessMessages();
    EXPECT_TRUE(DialogGone());
    EXPECT_THAT(shell.openedDocuments, ElementsAre("Getting Started.htm"));
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, "File access denied.");
}

TEST_F(DefaultFormTest, EscapeDoesNothing) {
    ui.PressEscape(*dialog);
    EXPECT_FALSE(DialogGone());
    EXPECT_TRUE(dialog->Visible());
}

TEST_F(DefaultFormTest, ComesBackToFrontWhenTheOwnerIsClicked) {
    owner->Show();
    ui.Activate(*dialog);
    ui.ClearLog();
    ui.Activate(*owner);
    EXPECT_THAT(ui.Log(), ::testing::Contains("front Welcome !"));
}

} // namespace
} // namespace velt
