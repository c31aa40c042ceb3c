#include "profiles/DefaultProf.h"

#include "ResourceNames.h"

namespace velt {

TDefaultForm::TDefaultForm(Application& app, Form& owner, IShell& shell)
    : Form(app, kCaption, 354, 350), Bevel1(*this, kBevel1, {4, 4, 346, 241}, Bevel::Shape::Frame),
      AboutImage(*this, kAboutImage, {24, 22, 54, 54}, res::kMainIcon),
      Label1(*this, kLabel1, {112, 40, 0, 0}, "Welcome to Omvex !"),
      Label2(*this, kLabel2, {48, 96, 0, 0}, "Omvex didn't find your profiles storage file, "),
      Label3(*this, kLabel3, {48, 120, 0, 0}, "so  the  default   profile  has been  created"),
      Label4(*this, kLabel4, {48, 144, 0, 0}, "This profile is intended for  protection your "),
      Label5(*this, kLabel5, {48, 168, 0, 0}, "C:\\CONFIDENT"),
      Label6(*this, kLabel6, {48, 192, 0, 0}, "configure  it  for  your  purposes as well as "),
      Label7(*this, kLabel7, {168, 168, 0, 0}, "directory but  you  can"),
      Label8(*this, kLabel8, {48, 216, 0, 0}, "create  any  number  of  other  profiles"),
      OKBtn(*this, kOKBtn, {139, 316, 75, 25}, "OK"),
      cbxCreateDir(*this, kCbxCreateDir, {8, 256, 220, 17}, "Create C:\\CONFIDENT directory"),
      cbxShowGetting(*this, kCbxShowGetting, {8, 280, 220, 17}, "Show Getting Started file"),
      owner_(owner), shell_(shell) {
    SetHelpContext(kHelpContext);
    SetFontHeight(13);
    // Owned by the main window, the dialog's window always lies above it.
    SetOwnerForm(&owner);
    Label1.SetFontHeight(16);
    Label5.SetBold(true);
    // No cancel button: Esc does nothing here.
    OKBtn.SetDefault(true);
    OKBtn.OnClick = [this] { OKBtnClick(); };
    cbxCreateDir.SetChecked(true);
    cbxShowGetting.SetChecked(true);
    OnClose = [this](CloseAction& action) { FormClose(action); };
    OnDeactivate = [this] { FormDeactivate(); };
}

void TDefaultForm::OKBtnClick() {
    if (closing_) {
        return; // a click that arrives while the dialog goes does nothing a second time
    }
    // Neither result is looked at: an existing directory, a missing drive or a missing document
    // pass silently.
    if (cbxCreateDir.Checked()) {
        shell_.MakeDirectory(kConfidentDir);
    }
    if (cbxShowGetting.Checked()) {
        shell_.OpenDocument(kGettingStarted);
    }
    Close();
}

void TDefaultForm::FormClose(CloseAction& action) {
    closing_ = true;
    OnDeactivate = nullptr;
    action = CloseAction::Free;
    // Released before the main window is shown: that showing reloads the profile list and may
    // fail, and the dialog must go all the same (the failure still reaches the user).
    Release();
    owner_.Show();
}

void TDefaultForm::FormDeactivate() {
    Show();
}

} // namespace velt
