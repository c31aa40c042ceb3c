// The profile properties dialog: a profile's name, its list of files and folders to protect and
// an optional password check. The main window prepares the controls, shows the dialog modally
// and, on Apply (1), reads them back; the dialog itself stores nothing. Its own behaviour is the
// enable rule of Apply, the check box that enables the password controls, and the button that
// opens the files and folders wizard on the path list.
#pragma once

#include "dialogs/FileList.h"
#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/StaticControls.h"
#include "platform/FileBrowser.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace velt {

class TPFPropertysForm final : public Form {
  public:
    // Control ids (the real controls' ids, for tests that drive the window).
    enum Id : int {
        kPanel1 = 400,
        kLabel1 = 401,
        kProfileNameEdit = 402,
        kLabel2 = 403,
        kListEdit = 404,
        kBevel1 = 405,
        kCheckPassword = 406,
        kPass1Label = 407,
        kPass1Edit = 408,
        kBevel2 = 409,
        kApplyButton = 410,
        kCancelButton = 411,
        kCallWizardButton = 412,
        kPass2Label = 413,
        kPass2Edit = 414,
    };
    static constexpr const char* kLayoutCaption = "Create profile";
    static constexpr const char* kCreateCaption = "Create new profile";
    static constexpr const char* kEditCaption = "Edit selected profile";
    static constexpr int kHelpContext = 2;
    // The longest path list a profile can hold; a longer one keeps Apply disabled, so that
    // nothing is cut off when the profile stores it.
    static constexpr std::size_t kMaxPathList = 255;

    // browser: the shell's browse dialog, handed to every wizard; it must outlive the dialog.
    TPFPropertysForm(Application& app, IFileBrowser& browser);

    // Declared in tab order: name, path list, check box, first and second password, then the
    // two buttons (the tool button takes no focus).
    Panel Panel1;
    Label Label1;
    Edit ProfileNameEdit;
    Label Label2;
    Edit ListEdit;
    Bevel Bevel1;
    CheckBox CheckPassword;
    Label Pass1Label;
    Edit Pass1Edit;
    Bevel Bevel2;
    Button CallWizardButton;
    Label Pass2Label;
    Edit Pass2Edit;
    Button ApplyButton;
    Button CancelButton;

    // The enable rule of Apply, shared by the four edits: a disabled Apply's tool tip says why.
    void ProfileNameEditChange();
    // Enables the password labels and edits while the box is ticked (texts are kept).
    void CheckPasswordClick();
    // Opens a fresh files and folders wizard on the path list; OK puts its list back.
    void CallWizardButtonClick();
    // The dialog prepares nothing of its own when it is shown.
    void FormActivate();

    // The wizard made by the last press of the wizard button (nullptr before the first).
    TFileListForm* LastWizard() const { return wizard_.get(); }

  private:
    // Why Apply cannot be pressed; empty when it can.
    std::string_view ApplyFault() const;

    IFileBrowser& browser_;
    std::unique_ptr<TFileListForm> wizard_;
};

} // namespace velt
