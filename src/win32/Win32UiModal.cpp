// Modal order: which window comes to the front while a modal show or a message box is open, who
// owns a message box, how open dialog boxes end when the program is asked to end, and where the
// default outline sits.
#include "win32/Win32Ui.h"

#include "forms/Application.h"
#include "forms/Button.h"
#include "forms/Control.h"
#include "forms/Form.h"

#include <algorithm>

namespace velt {

namespace {

constexpr const char* kDialogBoxClass = "#32770"; // message boxes and the browse dialog

bool IsClass(HWND window, const char* cls) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, cls) == 0;
}

bool Usable(HWND window) {
    return window != nullptr && IsWindow(window) && IsWindowVisible(window) &&
           IsWindowEnabled(window);
}

BOOL CALLBACK EndDialogBox(HWND window, LPARAM) {
    if (IsClass(window, kDialogBoxClass)) {
        EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

} // namespace

HWND Win32Ui::ModalFront() const {
    const DWORD thread = GetCurrentThreadId();
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindowThreadProcessId(window, nullptr) == thread && Usable(window) &&
            (FormOf(window) != nullptr || IsClass(window, kDialogBoxClass))) {
            return window;
        }
    }
    return nullptr;
}

HWND Win32Ui::OpenDialog() const {
    const DWORD thread = GetCurrentThreadId();
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindowThreadProcessId(window, nullptr) == thread && Usable(window) &&
            (IsClass(window, kDialogBoxClass) ||
             std::find(modalWindows_.begin(), modalWindows_.end(), window) !=
                 modalWindows_.end())) {
            return window;
        }
    }
    return nullptr;
}

void Win32Ui::RaiseOrModalFront(HWND window) {
    if (IsWindowEnabled(window)) {
        Raise(window);
    } else if (HWND front = ModalFront(); front != nullptr) {
        // As a click on the taskbar button does: the dialog that keeps the window disabled
        // comes to the front with the focus, the disabled window stays behind it.
        Raise(front);
    }
}

void Win32Ui::KeepBehindModal(HWND window) {
    if (modalWindows_.empty() || window == modalWindows_.back() || !IsWindowEnabled(window)) {
        return;
    }
    EnableWindow(window, FALSE);
    disabled_.back().push_back(window); // enabled again when the show ends
}

HWND Win32Ui::MessageBoxOwner() const {
    if (Usable(eventWindow_)) {
        return eventWindow_;
    }
    // A form disabled by a modal show must not own the box: the box would enable it again
    // when it closes.
    if (!modalWindows_.empty()) {
        return ModalFront();
    }
    return GetActiveWindow();
}

void Win32Ui::EndOpenDialogs() const {
    EnumThreadWindows(GetCurrentThreadId(), &EndDialogBox, 0);
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
