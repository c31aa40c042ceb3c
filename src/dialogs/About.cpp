#include "dialogs/About.h"

#include "ResourceNames.h"

namespace velt {

TAboutForm::TAboutForm(Application& app)
    : Form(app, kCaption, 358, 141), Image1(*this, kImage1, {12, 12, 40, 40}, res::kMainIcon),
      Label1(*this, kLabel1, {12, 64, 0, 0}, "Veltarion"),
      Label2(*this, kLabel2, {12, 80, 0, 0}, "Version 1.0.4"),
      OKButton(*this, kOKButton, {276, 12, 70, 28}, "OK"),
      StandInLabel(*this, kStandInLabel, {12, 104, 0, 0},
                   "Evaluation copy: the stand-in driver ciphers nothing.") {
    StandInLabel.SetVisible(false);
    SetHelpContext(kHelpContext);
    Label1.SetBold(true);
    // Both the default and the cancel button: Enter and Esc close the box alike.
    OKButton.SetDefault(true);
    OKButton.SetCancel(true);
    OKButton.SetModalResult(kMrOk);
    OKButton.OnClick = [this] { OKButtonClick(); };
}

void TAboutForm::OKButtonClick() {
    // Shown modally, the button's modal result ends the show; shown any other way, hide it.
    if (!Modal()) {
        Close();
    }
}

} // namespace velt
