// The about box: the program's icon, name and version, and one button that closes it.
#pragma once

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Form.h"
#include "forms/StaticControls.h"

namespace velt {

class TAboutForm final : public Form {
  public:
    enum Id : int {
        kImage1 = 400,
        kLabel1 = 401,
        kLabel2 = 402,
        kOKButton = 403,
        kStandInLabel = 404,
    };
    static constexpr const char* kCaption = "About";
    static constexpr int kHelpContext = 4;

    explicit TAboutForm(Application& app);

    Picture Image1;
    Label Label1;
    Label Label2;
    Button OKButton;
    // Shown while the loaded driver is our stand-in.
    Label StandInLabel;

    // Closes the dialog (Enter and Esc press the button too).
    void OKButtonClick();
};

} // namespace velt
