// Modal order: which window comes to the front while a modal show or a message box is open, who
// owns a message box, and where the default outline sits.
#include "win32/Win32Ui.h"

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Control.h"
#include "forms/Form.h"

namespace velt {

void Win32Ui::RaiseOrModalFront(HWND window) {
    if (IsWindowEnabled(window)) {
        Raise(window);
    } else if (HWND front = modal_.Front(); front != nullptr) {
        // As a click on the taskbar button does: the dialog that keeps the window disabled
        // comes to the front with the focus, the disabled window stays behind it.
        Raise(front);
    }
}

HWND Win32Ui::MessageBoxOwner() const {
    if (Usable(eventWindow_)) {
        return eventWindow_;
    }
    // A form disabled by a modal show must not own the box: the box would enable it again
    // when it closes.
    if (!modal_.Empty()) {
        return modal_.Front();
    }
    return GetActiveWindow();
}

void Win32Ui::MoveDefaultOutline(Form& form, HWND focusedButton) {
    const Button* fallback = form.DefaultButton();
    for (Control* control : form.Controls()) {
        if (control->Kind() != ControlKind::Button || WindowOf(*control) == nullptr) {
            continue;
        }
        HWND button = WindowOf(*control);
        const bool outlined =
            focusedButton != nullptr ? button == focusedButton : control == fallback;
        SendMessageA(button, BM_SETSTYLE, outlined ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

} // namespace velt
