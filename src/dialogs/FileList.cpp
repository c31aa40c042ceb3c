#include "dialogs/FileList.h"

#include "ResourceNames.h"
#include "dialogs/InputReasons.h"
#include "profiles/PathList.h"

#include <algorithm>

namespace velt {

namespace {

void MakeToolButton(Button& button, const char* picture, const char* hint) {
    button.SetPicture(picture);
    button.SetHint(hint);
}
} // namespace

std::string PickedEntry(std::string path, bool isDirectory) {
    if (isDirectory) {
        if (path.empty() || path.back() != '\\')
            path += '\\';
        path += "*.*";
    }
    return path;
}

TFileListForm::TFileListForm(Application& app, IFileBrowser& browser)
    : Form(app, kCaption, 341, 352),
      FFListBox(*this, kFFListBox, {4, 4, 334, 301}, " Files and Folders List "),
      lbxFileList(FFListBox, kLbxFileList, {8, 16, 317, 214}),
      edFile(FFListBox, kEdFile, {8, 266, 282, 21}),
      PickButton(FFListBox, kPickButton, {292, 264, 32, 24}, "", Button::Style::Tool),
      btnOK(*this, kBtnOK, {180, 314, 70, 28}, "OK"),
      btnCancel(*this, kBtnCancel, {260, 314, 70, 28}, "Cancel"),
      btnAdd(FFListBox, kBtnAdd, {207, 235, 24, 24}, "", Button::Style::Tool),
      btnDelete(FFListBox, kBtnDelete, {231, 235, 24, 24}, "", Button::Style::Tool),
      btnReplace(FFListBox, kBtnReplace, {183, 235, 24, 24}, "", Button::Style::Tool),
      btnUp(FFListBox, kBtnUp, {276, 235, 24, 24}, "", Button::Style::Tool),
      btnDown(FFListBox, kBtnDown, {300, 235, 24, 24}, "", Button::Style::Tool), browser_(browser) {
    SetHelpContext(kHelpContext);
    lbxFileList.SetItemHeight(13);
    MakeToolButton(PickButton, res::kBmpPick, "Pick File or Folder ...");
    MakeToolButton(btnAdd, res::kBmpAdd, "Add File or Folder");
    MakeToolButton(btnDelete, res::kBmpDeleteItem, "Delete Item");
    MakeToolButton(btnReplace, res::kBmpReplace, "Replace Item");
    MakeToolButton(btnUp, res::kBmpUp, "Move Up");
    MakeToolButton(btnDown, res::kBmpDown, "Move Down");

    btnOK.SetDefault(true);
    btnOK.SetModalResult(kMrOk);
    btnCancel.SetCancel(true);
    btnCancel.SetModalResult(kMrCancel);

    OnShow = [this] { FormShow(); };
    lbxFileList.OnClick = [this] { lbxFileListClick(); };
    edFile.OnChange = [this] {
        entryEdited_ = true;
        edFileChange();
    };
    PickButton.OnClick = [this] { PickButtonClick(); };
    btnOK.OnClick = [this] { btnOKClick(); };
    btnAdd.OnClick = [this] { btnAddClick(); };
    btnDelete.OnClick = [this] { DeleteBuutonClick(); };
    btnReplace.OnClick = [this] { ReplaceBuutonClick(); };
    btnUp.OnClick = [this] { btnUpClick(); };
    btnDown.OnClick = [this] { btnDownClick(); };
    // The tool buttons from the keyboard, in the list (the edit keeps Enter for OK).
    Keys.Add({kKeyInsert}, &lbxFileList, btnAdd);
    Keys.Add({kKeyDelete}, &lbxFileList, btnDelete);
    Keys.Add({kKeyUp, kAlt}, &lbxFileList, btnUp);
    Keys.Add({kKeyDown, kAlt}, &lbxFileList, btnDown);
    Keys.Add({KeyOf('O'), kCtrl}, &lbxFileList, PickButton);
}

void TFileListForm::SetInputList(std::string_view pathList) {
    inputList_ = pathList;
    FillList();
}

void TFileListForm::FillList() {
    lbxFileList.Clear();
    for (std::string& item : SplitPathList(inputList_))
        lbxFileList.Add(std::move(item));
}

void TFileListForm::FormShow() {
    FocusControl(lbxFileList);
    lbxFileList.SetItemIndex(0);
    lbxFileListClick();
}

void TFileListForm::lbxFileListClick() {
    const int index = lbxFileList.ItemIndex();
    if (index >= 0)
        edFile.SetText(lbxFileList.Item(index));
}

void TFileListForm::edFileChange() {
    const int index = lbxFileList.ItemIndex();
    const std::string selected = index >= 0 ? lbxFileList.Item(index) : std::string();
    const bool differs =
        !edFile.Text().empty() && edFile.Text() != selected && !edFile.Unrepresentable();
    btnAdd.SetEnabled(differs);
    btnReplace.SetEnabled(differs);
    // OK takes a pending entry with the list; one it cannot take keeps OK from closing.
    const std::string_view fault = PendingEntryFault();
    btnOK.SetEnabled(fault.empty());
    btnOK.SetHint(std::string(fault));
}

bool TFileListForm::PendingEntry() const {
    const auto& items = lbxFileList.Items();
    return entryEdited_ && !edFile.Text().empty() &&
           std::find(items.begin(), items.end(), edFile.Text()) == items.end();
}

std::string_view TFileListForm::PendingEntryFault() const {
    if (!PendingEntry()) {
        return {};
    }
    if (edFile.Unrepresentable()) {
        return kReasonUnrepresentable;
    }
    if (lbxFileList.Count() >= kMaxAddedItems) {
        return kReasonListFull;
    }
    return {};
}

void TFileListForm::btnAddClick() {
    if (lbxFileList.Count() >= kMaxAddedItems)
        return;
    lbxFileList.SetItemIndex(lbxFileList.Add(edFile.Text()));
    edFileChange();
}

void TFileListForm::ReplaceBuutonClick() {
    const int index = lbxFileList.ItemIndex();
    if (index < 0) {
        btnAddClick();
        return;
    }
    if (!edFile.Text().empty())
        lbxFileList.SetItem(index, edFile.Text());
    edFileChange();
}

void TFileListForm::DeleteBuutonClick() {
    int index = lbxFileList.ItemIndex();
    if (index >= 0) {
        lbxFileList.Delete(index);
        if (index >= lbxFileList.Count())
            index = lbxFileList.Count() - 1;
        lbxFileList.SetItemIndex(index);
    }
    lbxFileListClick();
    // The text the edit keeps is the deleted entry's, not one to add on OK.
    entryEdited_ = false;
    edFileChange();
}

void TFileListForm::btnUpClick() {
    const int index = lbxFileList.ItemIndex();
    if (index > 0) {
        lbxFileList.Move(index, index - 1);
        lbxFileList.SetItemIndex(index - 1);
    }
}

void TFileListForm::btnDownClick() {
    const int index = lbxFileList.ItemIndex();
    if (index >= 0 && index < lbxFileList.Count() - 1) {
        lbxFileList.Move(index, index + 1);
        lbxFileList.SetItemIndex(index + 1);
    }
}

bool TFileListForm::BrowseForFileOrFolder(std::string_view title, std::string& path) {
    return browser_.BrowseForFileOrFolder(title, path);
}

void TFileListForm::PickButtonClick() {
    std::string path;
    if (BrowseForFileOrFolder(kBrowseTitle, path)) {
        const bool isDirectory = browser_.IsDirectory(path);
        edFile.SetText(PickedEntry(std::move(path), isDirectory));
    }
    Show();
    BringToFront();
}

void TFileListForm::btnOKClick() {
    // What was typed or picked and not yet added goes with the list (OK is disabled while it
    // cannot be added).
    if (PendingEntry() && PendingEntryFault().empty()) {
        lbxFileList.Add(edFile.Text());
    }
    outputList_ = JoinPathList(lbxFileList.Items());
}

} // namespace velt
