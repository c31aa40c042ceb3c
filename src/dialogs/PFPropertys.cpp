#include "dialogs/PFPropertys.h"

#include "ResourceNames.h"
#include "dialogs/InputReasons.h"

namespace velt {

TPFPropertysForm::TPFPropertysForm(Application& app, IFileBrowser& browser)
    : Form(app, kLayoutCaption, 286, 248), Panel1(*this, kPanel1, {4, 4, 277, 205}),
      Label1(Panel1, kLabel1, Panel1.FromClient({8, 16, 0, 0}), "Profile name"),
      ProfileNameEdit(Panel1, kProfileNameEdit, Panel1.FromClient({72, 12, 197, 21})),
      Label2(Panel1, kLabel2, Panel1.FromClient({8, 52, 0, 0}), "Files and folders to protect"),
      ListEdit(Panel1, kListEdit, Panel1.FromClient({8, 72, 225, 21})),
      Bevel1(Panel1, kBevel1, Panel1.FromClient({8, 44, 261, 2}), Bevel::Shape::HorizontalLine),
      CheckPassword(Panel1, kCheckPassword, Panel1.FromClient({8, 116, 229, 17}),
                    "Check password before using profile"),
      Pass1Label(Panel1, kPass1Label, Panel1.FromClient({16, 148, 0, 0}), "Enter password"),
      Pass1Edit(Panel1, kPass1Edit, Panel1.FromClient({108, 144, 157, 21})),
      Bevel2(Panel1, kBevel2, Panel1.FromClient({8, 104, 261, 2}), Bevel::Shape::HorizontalLine),
      CallWizardButton(Panel1, kCallWizardButton, Panel1.FromClient({237, 72, 32, 22}), "",
                       Button::Style::Tool),
      Pass2Label(Panel1, kPass2Label, Panel1.FromClient({16, 176, 0, 0}), "Reenter password"),
      Pass2Edit(Panel1, kPass2Edit, Panel1.FromClient({108, 172, 157, 21})),
      ApplyButton(*this, kApplyButton, {36, 216, 90, 26}, "Apply"),
      CancelButton(*this, kCancelButton, {161, 216, 90, 26}, "Cancel"), browser_(browser) {
    SetHelpContext(kHelpContext);
    // A password longer than the main window takes could never be typed there again.
    MakePasswordEdit(Pass1Edit);
    MakePasswordEdit(Pass2Edit);
    CheckPassword.SetChecked(true);

    CallWizardButton.SetPicture(res::kBmpWizard);
    CallWizardButton.SetHint("Files and Folders Wizard ...");

    ApplyButton.SetDefault(true);
    ApplyButton.SetModalResult(kMrOk);
    ApplyButton.SetEnabled(false);
    CancelButton.SetCancel(true);
    CancelButton.SetModalResult(kMrCancel);

    ProfileNameEdit.OnChange = [this] { ProfileNameEditChange(); };
    ListEdit.OnChange = [this] { ProfileNameEditChange(); };
    Pass1Edit.OnChange = [this] { ProfileNameEditChange(); };
    Pass2Edit.OnChange = [this] { ProfileNameEditChange(); };
    CheckPassword.OnClick = [this] { CheckPasswordClick(); };
    CallWizardButton.OnClick = [this] { CallWizardButtonClick(); };
    // The wizard from the keyboard: Alt+W anywhere, F4 in the path list.
    Keys.Add({KeyOf('W'), kAlt}, nullptr, CallWizardButton);
    Keys.Add({kKeyF4}, &ListEdit, CallWizardButton);
    OnActivate = [this] { FormActivate(); };
}

void TPFPropertysForm::ProfileNameEditChange() {
    const std::string_view fault = ApplyFault();
    ApplyButton.SetEnabled(fault.empty());
    ApplyButton.SetHint(std::string(fault));
}

std::string_view TPFPropertysForm::ApplyFault() const {
    // Field by field, in the order the user fills them, so that the reason names the first
    // thing to do. A text the code page cannot store is never taken: it would be kept as
    // question marks.
    if (ProfileNameEdit.Text().empty()) {
        return kReasonNoName;
    }
    if (ProfileNameEdit.Unrepresentable()) {
        return kReasonUnrepresentable;
    }
    if (ListEdit.Text().empty()) {
        return kReasonNoList;
    }
    if (ListEdit.Text().size() > kMaxPathList) {
        return kReasonListTooLong;
    }
    if (ListEdit.Unrepresentable()) {
        return kReasonUnrepresentable;
    }
    if (!CheckPassword.Checked()) {
        return {};
    }
    if (const std::string_view fault = PasswordFault(Pass1Edit); !fault.empty()) {
        return fault;
    }
    return ReenterFault(Pass2Edit, Pass1Edit.Text() == Pass2Edit.Text());
}

void TPFPropertysForm::CheckPasswordClick() {
    const bool ticked = CheckPassword.Checked();
    Pass1Label.SetEnabled(ticked);
    Pass1Edit.SetEnabled(ticked);
    Pass2Label.SetEnabled(ticked);
    Pass2Edit.SetEnabled(ticked);
    ProfileNameEditChange();
}

void TPFPropertysForm::CallWizardButtonClick() {
    // Each press gets a fresh wizard; the one of the previous press has been destroyed by the
    // message loop since it was released, and its object goes now.
    wizard_ = std::make_unique<TFileListForm>(App(), browser_);
    wizard_->SetOwnerForm(this);
    wizard_->SetInputList(ListEdit.Text());
    if (wizard_->ShowModal() == kMrOk)
        ListEdit.SetText(wizard_->OutputList());
    wizard_->Release();
}

void TPFPropertysForm::FormActivate() {}

} // namespace velt
