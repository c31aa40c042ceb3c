// The files and folders wizard driven as a user would: splitting and joining the path list, the
// enable rule of Add and Replace, the 16-entry limit, deleting, moving and picking.
#include "dialogs/FileList.h"

#include "dialogs/InputReasons.h"

#include "fakes/FakeFileBrowser.h"
#include "fakes/TestUi.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace velt {
namespace {

using Items = std::vector<std::string>;

class FileListTest : public ::testing::Test {
  protected:
    // Hands the wizard a path list and shows it, as the properties dialog does.
    void Open(const std::string& pathList) {
        wizard.SetInputList(pathList);
        wizard.Show();
    }
    bool AddAndReplaceEnabled() const {
        EXPECT_EQ(wizard.btnAdd.Enabled(), wizard.btnReplace.Enabled());
        return wizard.btnAdd.Enabled();
    }
    std::string Joined() {
        ui.Click(wizard.btnOK);
        return wizard.OutputList();
    }
    static std::string Entries(int count) {
        std::string list;
        for (int i = 1; i <= count; ++i)
            list += (i > 1 ? ";c:\\f" : "c:\\f") + std::to_string(i);
        return list;
    }
    void TearDown() override { EXPECT_TRUE(ui.Boxes().empty()); }

    TestUi ui;
    FakeFileBrowser browser;
    TFileListForm wizard{ui.App(), browser};
};

TEST_F(FileListTest, LayoutToolButtonsInTheirRowWithTipsAndPictures) {
    EXPECT_EQ(wizard.Caption(), "Files and Folders Wizard");
    EXPECT_EQ(wizard.FFListBox.Caption(), " Files and Folders List ");
    // Left to right: Replace, Add, Delete, a gap, Move Up, Move Down.
    const Button* row[] = {&wizard.btnReplace, &wizard.btnAdd, &wizard.btnDelete, &wizard.btnUp,
                           &wizard.btnDown};
    const char* tips[] = {"Replace Item", "Add File or Folder", "Delete Item", "Move Up",
                          "Move Down"};
    const char* pictures[] = {"BMP_REPLACE", "BMP_ADD", "BMP_DELETEITEM", "BMP_UP", "BMP_DOWN"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(row[i]->IsTool());
        EXPECT_FALSE(row[i]->TakesFocus());
        EXPECT_EQ(row[i]->Hint(), tips[i]);
        EXPECT_EQ(row[i]->PictureName(), pictures[i]);
        if (i > 0) {
            EXPECT_GT(row[i]->GetBounds().left, row[i - 1]->GetBounds().left);
        }
    }
    EXPECT_GT(wizard.btnUp.GetBounds().left,
              wizard.btnDelete.GetBounds().left + wizard.btnDelete.GetBounds().width);
    EXPECT_EQ(wizard.PickButton.Hint(), "Pick File or Folder ...");
    EXPECT_EQ(wizard.PickButton.PictureName(), "BMP_PICK");
}

TEST_F(FileListTest, PathListIsSplitIntoEntriesAndJoinedBackOnOk) {
    struct Case {
        const char* input;
        Items items;
        const char* output;
    };
    const Case cases[] = {
        {";;C:\\Data;;", {"C:\\Data"}, "C:\\Data"},
        {"\"C:\\My Files\"\\*.*;C:\\Bob's\\x.txt",
         {"C:\\My Files\\*.*", "C:\\Bobs\\x.txt"},
         "C:\\My Files\\*.*;C:\\Bobs\\x.txt"},
        {" a ; b", {" a ", " b"}, " a ; b"},
        {"", {}, ""},
        {";;;", {}, ""},
    };
    for (const Case& c : cases) {
        TestUi caseUi;
        TFileListForm w(caseUi.App(), browser);
        w.SetInputList(c.input);
        EXPECT_EQ(w.lbxFileList.Items(), c.items) << c.input;
        caseUi.Queue([&] { caseUi.Click(w.btnOK); });
        EXPECT_EQ(w.ShowModal(), kMrOk);
        EXPECT_EQ(w.OutputList(), c.output) << c.input;
    }
}

TEST_F(FileListTest, CancelLeavesOutputListEmpty) {
    wizard.SetInputList("c:\\a");
    ui.Queue([&] { ui.PressEscape(wizard); });
    EXPECT_EQ(wizard.ShowModal(), kMrCancel);
    EXPECT_EQ(wizard.OutputList(), "");
}

TEST_F(FileListTest, ShowingSelectsTheFirstEntryAndCopiesItIntoTheEdit) {
    Open("c:\\a;c:\\b");
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 0);
    EXPECT_EQ(wizard.edFile.Text(), "c:\\a");
    EXPECT_FALSE(AddAndReplaceEnabled());
    EXPECT_EQ(wizard.FocusedControl(), &wizard.lbxFileList);

    ui.Select(wizard.lbxFileList, 1);
    EXPECT_EQ(wizard.edFile.Text(), "c:\\b");
}

TEST_F(FileListTest, EmptyListShowsNothingSelected) {
    Open("");
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), -1);
    EXPECT_EQ(wizard.edFile.Text(), "");
    ui.Type(wizard.edFile, "d:\\x");
    EXPECT_TRUE(AddAndReplaceEnabled());
    ui.Click(wizard.btnReplace); // nothing selected: Replace adds
    EXPECT_EQ(wizard.lbxFileList.Items(), Items{"d:\\x"});
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 0);
    EXPECT_FALSE(AddAndReplaceEnabled());
}

TEST_F(FileListTest, AddAppendsAndSelectsAndReplaceChangesLetterCaseInPlace) {
    Open("c:\\a;c:\\b");
    ui.Paste(wizard.edFile, "c:\\a"); // equal to the selection: no change, nothing enabled
    EXPECT_FALSE(AddAndReplaceEnabled());
    ui.Paste(wizard.edFile, "");
    EXPECT_FALSE(AddAndReplaceEnabled()) << "an empty edit enables nothing";
    ui.Paste(wizard.edFile, "c:\\a");
    ui.Type(wizard.edFile, "x");
    EXPECT_TRUE(AddAndReplaceEnabled());
    ui.Click(wizard.btnAdd);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"c:\\a", "c:\\b", "c:\\ax"}));
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 2);
    EXPECT_FALSE(AddAndReplaceEnabled());
    EXPECT_FALSE(ui.Click(wizard.btnAdd));

    ui.Select(wizard.lbxFileList, 1);
    ui.Paste(wizard.edFile, "C:\\B");
    EXPECT_TRUE(AddAndReplaceEnabled()) << "a change of letter case alone counts";
    ui.Click(wizard.btnReplace);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"c:\\a", "C:\\B", "c:\\ax"}));
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 1);
    EXPECT_FALSE(AddAndReplaceEnabled());
}

TEST_F(FileListTest, AddStopsAtSixteenEntriesButLongerListsLoadWhole) {
    constexpr int kMax = TFileListForm::kMaxAddedItems;
    Open(Entries(kMax - 1));
    ui.Paste(wizard.edFile, "c:\\new16");
    ui.Click(wizard.btnAdd);
    EXPECT_EQ(wizard.lbxFileList.Count(), kMax);
    ui.Paste(wizard.edFile, "c:\\new17");
    EXPECT_TRUE(ui.Click(wizard.btnAdd));
    EXPECT_EQ(wizard.lbxFileList.Count(), kMax);
    EXPECT_TRUE(AddAndReplaceEnabled()) << "a refused Add runs no enable rule";

    TestUi otherUi;
    TFileListForm twenty(otherUi.App(), browser);
    twenty.SetInputList(Entries(20));
    twenty.Show();
    EXPECT_EQ(twenty.lbxFileList.Count(), 20);
    otherUi.Paste(twenty.edFile, "c:\\extra");
    otherUi.Click(twenty.btnAdd);
    EXPECT_EQ(twenty.lbxFileList.Count(), 20);
    otherUi.Select(twenty.lbxFileList, 19);
    otherUi.Paste(twenty.edFile, "c:\\last");
    otherUi.Click(twenty.btnReplace);
    EXPECT_EQ(twenty.lbxFileList.Item(19), "c:\\last");
    otherUi.Click(twenty.btnOK);
    EXPECT_EQ(twenty.OutputList(), Entries(19) + ";c:\\last");
}

TEST_F(FileListTest, OkTakesAPendingEntryOrNamesWhyItCannot) {
    browser.AddDirectory("C:\\Picked");
    using Step = std::function<void(TestUi&, TFileListForm&)>;
    const auto paste = [](std::string text, bool held = true) -> Step {
        return [=](TestUi& u, TFileListForm& w) { u.Paste(w.edFile, text, held); };
    };
    const Step pick = [this](TestUi& u, TFileListForm& w) {
        browser.PickNext("C:\\Picked");
        u.Click(w.PickButton);
    };
    const Step selectSecond = [](TestUi& u, TFileListForm& w) { u.Select(w.lbxFileList, 1); };
    const std::string fifteen = Entries(TFileListForm::kMaxAddedItems - 1);
    struct Case {
        std::string input;
        Step step;
        std::string output;
        std::string_view reason; // not empty: OK refused, and why
    };
    const Case cases[] = {
        {"c:\\a", paste("d:\\typed"), "c:\\a;d:\\typed", ""},
        {"c:\\a", pick, "c:\\a;C:\\Picked\\*.*", ""},
        {"", paste("d:\\only"), "d:\\only", ""},
        {"c:\\a;c:\\b", selectSecond, "c:\\a;c:\\b", ""},
        {"c:\\a;c:\\b", paste("c:\\b"), "c:\\a;c:\\b", ""},
        // The only entry deleted: the edit keeps its text, which OK does not add back.
        {"c:\\a", [](TestUi& u, TFileListForm& w) { u.Click(w.btnDelete); }, "", ""},
        {"c:\\a", paste("d:\\?", false), "", kReasonUnrepresentable},
        {fifteen, paste("d:\\16th"), fifteen + ";d:\\16th", ""},
        {Entries(TFileListForm::kMaxAddedItems), paste("d:\\17th"), "", kReasonListFull},
    };
    for (const Case& c : cases) {
        TestUi caseUi;
        TFileListForm w(caseUi.App(), browser);
        w.SetInputList(c.input);
        w.Show();
        c.step(caseUi, w);
        EXPECT_EQ(w.btnOK.Enabled(), c.reason.empty()) << c.input;
        EXPECT_EQ(w.btnOK.Hint(), c.reason) << c.input;
        caseUi.Click(w.btnOK);
        EXPECT_EQ(w.OutputList(), c.output) << c.input;
        EXPECT_EQ(w.ModalResult(), c.reason.empty() ? kMrOk : 0) << c.input;
    }
}

TEST_F(FileListTest, DeleteSelectsTheSameIndexOrTheNewLastEntry) {
    Open("a;b;c;d");
    ui.Select(wizard.lbxFileList, 1);
    ui.Click(wizard.btnDelete);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"a", "c", "d"}));
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 1);
    EXPECT_EQ(wizard.edFile.Text(), "c");

    ui.Select(wizard.lbxFileList, 2);
    ui.Click(wizard.btnDelete);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"a", "c"}));
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 1);
    EXPECT_EQ(wizard.edFile.Text(), "c");
    EXPECT_FALSE(AddAndReplaceEnabled());
}

TEST_F(FileListTest, DeletingTheOnlyEntryKeepsItsTextInTheEdit) {
    Open("only");
    ui.Click(wizard.btnDelete);
    EXPECT_EQ(wizard.lbxFileList.Count(), 0);
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), -1);
    EXPECT_EQ(wizard.edFile.Text(), "only");
    EXPECT_TRUE(AddAndReplaceEnabled());
    // Nothing selected: Delete changes nothing.
    EXPECT_TRUE(ui.Click(wizard.btnDelete));
    EXPECT_EQ(wizard.edFile.Text(), "only");
}

TEST_F(FileListTest, MoveUpAndDownKeepTheSelectionAndDoNothingAtTheEnds) {
    Open("a;b;c");
    ui.Click(wizard.btnUp);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"a", "b", "c"}));
    ui.Click(wizard.btnDown);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"b", "a", "c"}));
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 1);
    ui.Click(wizard.btnDown);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"b", "c", "a"}));
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 2);
    ui.Click(wizard.btnDown);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"b", "c", "a"}));
    ui.Click(wizard.btnUp);
    EXPECT_EQ(wizard.lbxFileList.Items(), (Items{"b", "a", "c"}));
    EXPECT_EQ(wizard.lbxFileList.ItemIndex(), 1);
    EXPECT_EQ(wizard.edFile.Text(), "a") << "moves leave the edit alone";
}

TEST_F(FileListTest, PickingPutsFoldersWithPatternAndFilesAsTheyAreIntoTheEdit) {
    browser.AddDirectory("C:\\Docs");
    browser.AddDirectory("C:\\");
    Open("c:\\a");
    struct Case {
        const char* picked;
        const char* entry;
    };
    const Case cases[] = {
        {"C:\\Docs", "C:\\Docs\\*.*"},
        {"C:\\", "C:\\*.*"},
        {"C:\\Docs\\report.txt", "C:\\Docs\\report.txt"},
    };
    for (const Case& c : cases) {
        browser.PickNext(c.picked);
        ui.Click(wizard.PickButton);
        EXPECT_EQ(wizard.edFile.Text(), c.entry);
        EXPECT_TRUE(AddAndReplaceEnabled());
    }
    EXPECT_EQ(wizard.lbxFileList.Items(), Items{"c:\\a"}) << "picking only fills the edit";

    browser.CancelNext();
    ui.Click(wizard.PickButton);
    EXPECT_EQ(wizard.edFile.Text(), "C:\\Docs\\report.txt");
    EXPECT_TRUE(wizard.Visible());
    EXPECT_EQ(browser.Titles(), Items(4, "Select file or directory to protect"));
}

} // namespace
} // namespace velt
