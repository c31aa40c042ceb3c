#include "dialogs/passwds.h"

#include "dialogs/InputReasons.h"

namespace velt {

TPasswordsForm::TPasswordsForm(Application& app)
    : Form(app, kCaption, 270, 91), Panel1(*this, kPanel1, {4, 4, 261, 45}),
      Label1(Panel1, kLabel1, Panel1.FromClient({8, 18, 0, 0}), "Enter password"),
      PassEdit1(Panel1, kPassEdit1, Panel1.FromClient({92, 12, 158, 21})),
      OkButton(*this, kOkButton, {36, 60, 80, 24}, "OK"),
      CancelButton(*this, kCancelButton, {152, 60, 80, 24}, "Cancel") {
    // No help context: F1 does nothing here.
    SetHelpContext(0);
    MakePasswordEdit(PassEdit1);
    PassEdit1.OnChange = [this] { PassEdit1Change(); };
    OkButton.SetDefault(true);
    OkButton.SetEnabled(false);
    OkButton.SetModalResult(kMrOk);
    CancelButton.SetCancel(true);
    CancelButton.SetModalResult(kMrCancel);
    // However the prompt closes without OK, no password waits in the hidden window.
    OnClose = [this](CloseAction&) {
        if (ModalResult() != kMrOk) {
            PassEdit1.SetText("");
        }
    };
}

void TPasswordsForm::PassEdit1Change() {
    const std::string_view fault = PasswordFault(PassEdit1);
    OkButton.SetEnabled(fault.empty());
    OkButton.SetHint(std::string(fault));
}

} // namespace velt
