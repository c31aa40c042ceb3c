// The files and folders wizard: a path list as an editable list of entries (files, folders,
// wildcard patterns), one per line. Entries are typed into the edit field or picked in the
// shell's browse dialog, then added, replaced, deleted and moved; OK joins the list back into a
// path list. A fresh wizard is made for each use.
#pragma once

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/ItemsControl.h"
#include "forms/StaticControls.h"
#include "platform/FileBrowser.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velt {

class TFileListForm final : public Form {
  public:
    // Control ids (the real controls' ids, for tests that drive the window).
    enum Id : int {
        kFFListBox = 500,
        kLbxFileList = 501,
        kEdFile = 502,
        kPickButton = 503,
        kBtnOK = 504,
        kBtnCancel = 505,
        kBtnAdd = 506,
        kBtnDelete = 507,
        kBtnReplace = 508,
        kBtnUp = 509,
        kBtnDown = 510,
    };
    static constexpr const char* kCaption = "Files and Folders Wizard";
    static constexpr int kHelpContext = 3;
    static constexpr const char* kBrowseTitle = "Select file or directory to protect";
    // Add (and Replace with nothing selected) stops adding entries here.
    static constexpr int kMaxAddedItems = 16;

    // browser: the shell's browse dialog; it must outlive the wizard.
    TFileListForm(Application& app, IFileBrowser& browser);

    GroupBox FFListBox;
    ListBox lbxFileList;
    Edit edFile;
    Button PickButton;
    Button btnOK;
    Button btnCancel;
    Button btnAdd;
    Button btnDelete;
    Button btnReplace;
    Button btnUp;
    Button btnDown;

    // The path list handed in; assigning it refills the list.
    const std::string& InputList() const { return inputList_; }
    void SetInputList(std::string_view pathList);
    // The path list built by OK; empty until then.
    const std::string& OutputList() const { return outputList_; }

    // Splits InputList into the list's entries.
    void FillList();

    void FormShow();
    void lbxFileListClick();
    // The enable rule of Add and Replace, and of OK with a pending entry.
    void edFileChange();
    void btnAddClick();
    void ReplaceBuutonClick();
    void DeleteBuutonClick();
    void btnUpClick();
    void btnDownClick();
    void PickButtonClick();
    void btnOKClick();

    // Runs the shell's browse dialog; true with the picked path, false when cancelled.
    bool BrowseForFileOrFolder(std::string_view title, std::string& path);

    // The edit holds an entry typed or picked since the last Delete that the list lacks: OK
    // adds it. Why OK cannot add it; empty when it can (or there is none).
    bool PendingEntry() const;
    std::string_view PendingEntryFault() const;

  private:
    IFileBrowser& browser_;
    bool entryEdited_ = false;
    std::string inputList_;
    std::string outputList_;
};

// What picking a path puts into the edit field: a directory gets "\*.*" (without doubling a
// trailing backslash), a file stays as it is.
std::string PickedEntry(std::string path, bool isDirectory);

} // namespace velt
