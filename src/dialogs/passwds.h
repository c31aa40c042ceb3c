// The password prompt: asks for one password of 4 to 32 characters. The caller empties PassEdit1
// before each use, shows the form modally and, on 1 (OK), reads the text of PassEdit1.
#pragma once

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Edit.h"
#include "forms/Form.h"
#include "forms/StaticControls.h"

namespace velt {

class TPasswordsForm final : public Form {
  public:
    // Control ids (the real controls' ids, for tests that drive the window).
    enum Id : int {
        kPanel1 = 300,
        kLabel1 = 301,
        kPassEdit1 = 302,
        kOkButton = 303,
        kCancelButton = 304,
    };
    static constexpr const char* kCaption = "Password checking for selected profile";

    explicit TPasswordsForm(Application& app);

    Panel Panel1;
    Label Label1;
    Edit PassEdit1;
    Button OkButton;
    Button CancelButton;

    // OK is enabled exactly when the password has at least 4 characters, all of which the code
    // page can store; a disabled OK's tool tip says why.
    void PassEdit1Change();
};

} // namespace velt
