// Form windows and the application window: making, showing, raising and destroying them.
#include "win32/Win32Ui.h"

#include "ResourceNames.h"
#include "SharedNames.h"
#include "forms/Application.h"
#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/StaticControls.h"
#include "platform/Error.h"
#include "win32/Win32Dpi.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace velt {

namespace {

// The installers find the main window by this class.
constexpr const char* kFormClass = shared::kWindowClass;
// Forms with a dialog frame: the same class without an icon, so that none shows in the caption.
constexpr const char* kDialogClass = "VeltarionDialog";
constexpr const char* kAppClass = "VeltarionApp";
// Without WS_CLIPCHILDREN: the form paints the face colour beneath panels and group boxes,
// which draw only their edges, as a dialog does. Both frames are fixed; a dialog's has no icon
// in the caption.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

DWORD StyleOf(const Form& form) {
    return form.Border() == BorderStyle::Dialog ? kFormStyle | DS_MODALFRAME : kFormStyle;
}

DWORD ExStyleOf(const Form& form) {
    return form.Border() == BorderStyle::Dialog ? kFormExStyle | WS_EX_DLGMODALFRAME : kFormExStyle;
}

// The window rectangle of a form at dpi, placed with its client area at (0, 0).
RECT WindowRectFor(const Form& form, int dpi) {
    return FrameAround(ScaleToDpi(form.ClientWidth(), dpi), ScaleToDpi(form.ClientHeight(), dpi),
                       StyleOf(form), ExStyleOf(form), dpi);
}

} // namespace

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSA formClass{};
    formClass.lpfnWndProc = &Win32Ui::FormProc;
    formClass.hInstance = instance_;
    formClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    formClass.hIcon = LoadIconA(instance_, res::kMainIcon);
    formClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    formClass.lpszClassName = kFormClass;
    RegisterClassA(&formClass); // a second backend in the same process finds it registered

    WNDCLASSA dialogClass = formClass;
    dialogClass.hIcon = nullptr;
    dialogClass.lpszClassName = kDialogClass;
    RegisterClassA(&dialogClass);

    WNDCLASSA appClass = formClass;
    appClass.lpfnWndProc = &Win32Ui::AppProc;
    appClass.lpszClassName = kAppClass;
    RegisterClassA(&appClass);

    appWindow_ = CreateWindowExA(0, kAppClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                                 nullptr, nullptr, instance_, nullptr);
    if (appWindow_ == nullptr) {
        throw Error("Cannot create the application window");
    }
    SetWindowLongPtrA(appWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowIcons(appWindow_, SystemDpi()); // the taskbar button's icon
}

Win32Ui::~Win32Ui() {
    DestroyWindow(appWindow_);
}

int Win32Ui::DpiOf(const Form& form) const {
    return dpi_.Of(form);
}

HICON Win32Ui::IconAt(const std::string& name, int size) {
    return gdi_.Icon(name, size);
}

void Win32Ui::SetWindowIcons(HWND window, int dpi) {
    SendMessageA(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(IconAt(res::kMainIcon, MetricAt(SM_CXSMICON, dpi))));
    SendMessageA(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(IconAt(res::kMainIcon, MetricAt(SM_CXICON, dpi))));
}

void Win32Ui::ApplyDpi(Form& form, int dpi) {
    dpi_.Set(form, dpi);
    const Pushing pushing(pushing_);
    for (Control* control : form.Controls()) {
        if (WindowOf(*control) == nullptr) {
            continue;
        }
        SendMessageA(WindowOf(*control), WM_SETFONT,
                     reinterpret_cast<WPARAM>(FontFor(form.FontHeight(), false, dpi)), FALSE);
        PlaceControl(*control);
        PushStyle(*control); // label fonts and sizes, pictures, item heights
    }
    if (form.Border() != BorderStyle::Dialog) { // dialogs carry no caption icon
        SetWindowIcons(WindowOf(form), dpi);
    }
    InvalidateRect(WindowOf(form), nullptr, TRUE);
}

HWND Win32Ui::WindowOf(const Form& form) {
    return reinterpret_cast<HWND>(form.NativeHandle());
}

HWND Win32Ui::WindowOf(const Control& control) {
    return reinterpret_cast<HWND>(control.NativeHandle());
}

Control* Win32Ui::ControlOf(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

Form* Win32Ui::FormOf(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, kFormClass) != 0 && lstrcmpA(name, kDialogClass) != 0) {
        return nullptr;
    }
    return reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void Win32Ui::CreateFormWindow(Form& form) {
    app_ = &form.App();
    if (std::find(waiting_.begin(), waiting_.end(), &form) == waiting_.end()) {
        waiting_.push_back(&form);
    }
}

HWND Win32Ui::WindowNeeded(Form& form) {
    if (HWND window = WindowOf(form); window != nullptr) {
        return window;
    }
    const auto it = std::find(waiting_.begin(), waiting_.end(), &form);
    if (it == waiting_.end()) {
        return nullptr;
    }
    waiting_.erase(it);
    MakeWindow(form);
    return WindowOf(form);
}

void Win32Ui::MakeWindow(Form& form) {
    const RECT rect = WindowRectFor(form, SystemDpi());
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    // A form owned by another lies above it whatever the user activates; every other form is
    // owned by the application window.
    HWND owner = form.OwnerForm() != nullptr ? WindowNeeded(*form.OwnerForm()) : nullptr;
    if (owner == nullptr) {
        owner = appWindow_;
    }
    HWND window = CreateWindowExA(ExStyleOf(form),
                                  form.Border() == BorderStyle::Dialog ? kDialogClass : kFormClass,
                                  form.Caption().c_str(), StyleOf(form), left, top, width, height,
                                  owner, nullptr, instance_, &form);
    if (window == nullptr) {
        throw Error("Cannot create window " + form.Caption());
    }
    form.SetNativeHandle(reinterpret_cast<std::uintptr_t>(window));
    // A per-monitor aware window made on a monitor of another scale is drawn at that one's.
    const int dpi = WindowDpi(window);
    dpi_.Set(form, dpi);
    if (dpi != SystemDpi()) {
        const RECT own = WindowRectFor(form, dpi);
        SetWindowPos(window, nullptr, 0, 0, own.right - own.left, own.bottom - own.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (form.Border() != BorderStyle::Dialog) { // dialogs carry no caption icon
        SetWindowIcons(window, dpi);
    }
    const Pushing pushing(pushing_);
    for (Control* control : form.Controls()) {
        CreateControl(form, window, *control);
    }
    // Panels, group boxes and framing bevels lie beneath the controls they hold, the outer ones
    // (declared first) lowest. Horizontal rules stay in declaration order, above their panel.
    const auto& controls = form.Controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        const Control& control = **it;
        const bool frame = control.Kind() == ControlKind::Bevel &&
                           static_cast<const Bevel&>(control).GetShape() == Bevel::Shape::Frame;
        if (control.IsContainer() || frame) {
            SetWindowPos(WindowOf(control), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    if (form.FocusedControl() != nullptr) {
        focus_.Remember(form, WindowOf(*form.FocusedControl()));
    }
}

void Win32Ui::DestroyFormWindow(Form& form) {
    waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), &form), waiting_.end());
    HWND window = WindowOf(form);
    if (window == nullptr) {
        return;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, 0); // no more events from this window
    // Destroying a window destroys the windows it owns: forms it owned outlive it, owned by the
    // application window.
    if (app_ != nullptr) {
        for (const Form* other : app_->Forms()) {
            HWND owned = WindowOf(*other);
            if (owned != nullptr && GetWindow(owned, GW_OWNER) == window) {
                SetWindowLongPtrA(owned, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(appWindow_));
            }
        }
    }
    for (Control* control : form.Controls()) {
        ControlGone(*control);
    }
    DestroyWindow(window); // its tool tip window, owned by it, goes too
    form.SetNativeHandle(0);
    if (lastRaisedAfter_ == window) {
        lastRaisedAfter_ = nullptr;
    }
    tips_.Forget(form);
    focus_.Forget(form);
    dpi_.Forget(form);
    SyncApplicationWindow();
}

void Win32Ui::SyncApplicationWindow() {
    bool anyVisible = false;
    if (app_ != nullptr) {
        for (const Form* form : app_->Forms()) {
            anyVisible = anyVisible || (form->Visible() && WindowOf(*form) != nullptr);
        }
        SetWindowTextA(appWindow_, app_->Title().c_str());
    }
    if (anyVisible != (IsWindowVisible(appWindow_) != FALSE)) {
        ShowWindow(appWindow_, anyVisible ? SW_SHOWNA : SW_HIDE);
    }
}

void Win32Ui::FormChanged(Form& form, FormChange what) {
    // A window made later is made from the model's state: nothing to push before that.
    HWND window =
        what == FormChange::Visible && form.Visible() ? WindowNeeded(form) : WindowOf(form);
    if (window == nullptr) {
        return;
    }
    switch (what) {
    case FormChange::Caption:
        SetWindowTextA(window, form.Caption().c_str());
        break;
    case FormChange::Visible:
        // Shown without the activation: that follows in BringToFront, after OnShow. The active
        // form hands the activation on before it hides.
        if (!form.Visible() && GetActiveWindow() == window) {
            if (Form* next = focus_.NextActive(&form); next != nullptr) {
                SetActiveWindow(WindowOf(*next));
            }
        }
        if (form.Visible()) {
            modal_.KeepBehind(window);
        }
        SyncApplicationWindow();
        ShowWindow(window, form.Visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case FormChange::BringToFront:
        if (deactivating_ > 0) {
            // Asked for by a window losing the activation: the activation change under way
            // ends with the other window active, whatever is done here, so this waits for it.
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
            PostMessageA(appWindow_, kBringToFront, 0, reinterpret_cast<LPARAM>(window));
            break;
        }
        RaiseOrModalFront(window);
        break;
    case FormChange::Focus:
        if (pushing_ == 0 && form.FocusedControl() != nullptr) {
            HWND target = WindowOf(*form.FocusedControl());
            focus_.Remember(form, target);
            if (GetActiveWindow() == window) {
                SetFocus(target);
            }
        }
        break;
    case FormChange::Size: {
        const RECT rect = WindowRectFor(form, DpiOf(form));
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    }
}

void Win32Ui::Raise(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
}

void Win32Ui::RaiseAfterActivation(HWND window) {
    const Form* form = FormOf(window);
    if (form == nullptr || !form->Visible() || !IsWindowEnabled(window)) {
        return; // gone, hidden, or disabled by a modal show since
    }
    // Only from another form of the program: a message box, a menu or another program that
    // took the activation keeps it. Nor from the form raised this way last: two forms that
    // both come back when deactivated would otherwise take the activation from each other
    // without end; the one raised first stays in front.
    HWND active = GetActiveWindow();
    if (active != window && active != lastRaisedAfter_ && FormOf(active) != nullptr) {
        lastRaisedAfter_ = window;
        Raise(window);
    }
}

std::uint32_t Win32Ui::WindowHandle(Form& form) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(WindowNeeded(form)));
}

void Win32Ui::BeginModal(Form& form) {
    modal_.Begin(WindowNeeded(form));
}

void Win32Ui::EndModal(Form&) {
    modal_.End();
}

} // namespace velt
