// The messages of the application window and of the form windows, one handler each.
#include "win32/Win32Ui.h"

#include "forms/Application.h"
#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/StaticControls.h"
#include "win32/Win32Dpi.h"

#include <algorithm>
#include <optional>

namespace velt {

namespace {

// Posted to the application window: hand the activation on to a form.
constexpr UINT kActivateForm = WM_APP + 1;

Win32Ui& BackendOf(Form& form) {
    return static_cast<Win32Ui&>(form.Backend());
}

// The model's name for a session or power message, if it is one the program follows.
std::optional<SystemEvent> SystemEventOf(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_SESSION_LOCK) {
            return SystemEvent::SessionLocked;
        }
        if (wParam == WTS_SESSION_UNLOCK) {
            return SystemEvent::SessionUnlocked;
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND) {
            return SystemEvent::Suspending;
        }
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
            return SystemEvent::Resumed;
        }
        break;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            return SystemEvent::SessionEnding;
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

// True when the cursor was set: the hand over a picture that asks for it.
bool HandleSetCursor(Form& form, HWND child) {
    Control* control = Win32Ui::ControlOf(child);
    if (control == nullptr || &control->Owner() != &form ||
        control->Kind() != ControlKind::Picture ||
        !static_cast<const Picture*>(control)->HandCursor()) {
        return false;
    }
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
    return true;
}

void HandleTimer(Form& form, unsigned id) {
    if (form.OnTimer) {
        form.App().RunEvent([&form, id] { form.OnTimer(id); });
    }
}

void HandleSystemEvent(Form& form, UINT message, WPARAM wParam) {
    if (const auto event = SystemEventOf(message, wParam); event && form.OnSystemEvent) {
        form.App().RunEvent([&form, event] { form.OnSystemEvent(*event); });
    }
}

// Messages from WM_USER up, and the question whether the session may end, go to
// Form::OnMessage.
LRESULT HandOver(Form& form, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (form.OnMessage) {
        bool handled = false;
        form.App().RunEvent([&] { handled = form.OnMessage(message, wParam, lParam); });
        if (message == WM_QUERYENDSESSION) {
            return TRUE;
        }
        if (handled) {
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK Win32Ui::AppProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Ui*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr || self->app_ == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_ACTIVATE:
        // The taskbar button or a hidden dialog gave the activation to this empty window.
        if (LOWORD(wParam) != WA_INACTIVE) {
            PostMessageA(window, kActivateForm, 0, 0);
        }
        return 0;
    case kBringToFront:
        self->RaiseAfterActivation(reinterpret_cast<HWND>(lParam));
        return 0;
    case kActivateForm:
        if (GetActiveWindow() == window || GetActiveWindow() == nullptr) {
            if (Form* target = self->focus_.NextActive(nullptr); target != nullptr) {
                SetActiveWindow(WindowOf(*target));
            }
        }
        return 0;
    case WM_CLOSE:
        // The taskbar's Close while a dialog is open brings that dialog forward, as the tray
        // does: closing (hiding and saving) the main window now would cut its command in half.
        if (HWND dialog = self->modal_.OpenDialog(); dialog != nullptr) {
            Raise(dialog);
        } else if (Form* main = self->app_->MainForm(); main != nullptr) {
            self->app_->RunEvent([main] { main->Close(); });
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK Win32Ui::FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return BackendOf(*form).HandleFormMessage(*form, window, message, wParam, lParam);
}

LRESULT Win32Ui::HandleFormMessage(Form& form, HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    if (WindowOf(form) != window) { // still inside CreateWindowEx
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const EventScope event(eventWindow_, window);
    switch (message) {
    case WM_CLOSE:
        HandleClose(form, window);
        return 0;
    case WM_COMMAND:
        if (lParam != 0) {
            HandleCommand(form, reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        }
        return 0;
    case WM_ACTIVATE:
        HandleActivate(form, window, LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case kWmDpiChanged:
        HandleDpiChanged(form, window, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        pictures_.Refresh(window);
        break;
    case WM_SETCURSOR:
        if (HandleSetCursor(form, reinterpret_cast<HWND>(wParam))) {
            return TRUE;
        }
        break;
    case WM_TIMER:
        HandleTimer(form, static_cast<unsigned>(wParam));
        return 0;
    case WM_WTSSESSION_CHANGE:
    case WM_POWERBROADCAST:
    case WM_ENDSESSION:
        HandleSystemEvent(form, message, wParam);
        return message == WM_POWERBROADCAST ? TRUE : 0;
    default:
        break;
    }
    if (message >= WM_USER || message == WM_QUERYENDSESSION) {
        return HandOver(form, window, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32Ui::HandleClose(Form& form, HWND window) {
    // A form kept disabled behind a dialog is not closed under it.
    if (!IsWindowEnabled(window)) {
        RaiseOrModalFront(window);
    } else {
        form.App().RunEvent([&form] { form.Close(); });
    }
}

void Win32Ui::HandleActivate(Form& form, HWND window, bool active) {
    if (active) {
        focus_.Activated(form);
    } else if (HWND focus = GetFocus(); focus != nullptr && IsChild(window, focus)) {
        focus_.Remember(form, focus);
    }
    std::optional<Pushing> deactivating;
    if (!active) {
        deactivating.emplace(deactivating_);
    }
    form.App().RunEvent([&form, active] { form.Activated(active); });
}

void Win32Ui::HandleDpiChanged(Form& form, HWND window, int dpi, const RECT* suggested) {
    // Moved to a monitor of another scale: drawn at its DPI, in the rectangle suggested.
    if (!IsPlausibleDpi(dpi) || suggested == nullptr) {
        return;
    }
    ApplyDpi(form, dpi);
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace velt
