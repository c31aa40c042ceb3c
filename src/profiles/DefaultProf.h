// The welcome dialog shown when the profile storage file was missing: it says that the default
// profile was made and offers to create C:\CONFIDENT and to open "Getting Started.htm". It is
// shown without waiting, stays in front of the main window while open, and frees itself when
// closed, bringing the main window to the front.
#pragma once

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/CheckBox.h"
#include "forms/Form.h"
#include "forms/StaticControls.h"
#include "platform/Shell.h"

namespace velt {

class TDefaultForm final : public Form {
  public:
    enum Id : int {
        kBevel1 = 500,
        kAboutImage = 501,
        kLabel1 = 502,
        kLabel2 = 503,
        kLabel3 = 504,
        kLabel4 = 505,
        kLabel5 = 506,
        kLabel6 = 507,
        kLabel7 = 508,
        kLabel8 = 509,
        kOKBtn = 510,
        kCbxCreateDir = 511,
        kCbxShowGetting = 512,
    };
    static constexpr const char* kCaption = "Welcome !";
    static constexpr int kHelpContext = 10;
    static constexpr const char* kConfidentDir = "C:\\CONFIDENT";
    static constexpr const char* kGettingStarted = "Getting Started.htm";

    // owner: the main window, brought to the front when this dialog closes.
    TDefaultForm(Application& app, Form& owner, IShell& shell);

    Bevel Bevel1;
    Picture AboutImage;
    Label Label1;
    Label Label2;
    Label Label3;
    Label Label4;
    Label Label5;
    Label Label6;
    Label Label7;
    Label Label8;
    Button OKBtn;
    CheckBox cbxCreateDir;
    CheckBox cbxShowGetting;

    // Makes the directory and opens the document as ticked, then closes the dialog.
    void OKBtnClick();
    // However the dialog closes: stop coming back to the front, free the dialog, bring the main
    // window to the front (showing it again, and so reloading its list, if it was hidden).
    void FormClose(CloseAction& action);
    // Comes back to the front whenever it loses the activation while open.
    void FormDeactivate();

  private:
    Form& owner_;
    IShell& shell_;
    bool closing_ = false;
};

} // namespace velt
