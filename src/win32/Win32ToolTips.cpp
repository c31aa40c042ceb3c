#include "win32/Win32ToolTips.h"

#include "forms/Control.h"
#include "forms/Form.h"
#include "win32/Win32AnsiText.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Ui.h"

#include <commctrl.h>

#include <string>

namespace velt {

namespace {

// The tool tip's record of a control's window on its form's window.
TOOLINFOA ToolOf(HWND form, HWND control) {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    return info;
}

// A disabled button gets no mouse messages: its parent does. So a button's tip is also a tool of
// the button's place on its parent, which shows it while the button is disabled (a disabled
// Apply or Activate tells why).
TOOLINFOA PlaceOf(HWND control) {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    GetWindowRect(control, &info.rect);
    MapWindowPoints(nullptr, info.hwnd, reinterpret_cast<POINT*>(&info.rect), 2);
    return info;
}

} // namespace

HWND Win32ToolTips::TipOf(Form& form, int dpi) {
    if (const auto it = tips_.find(&form); it != tips_.end()) {
        return it->second;
    }
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Win32Ui::WindowOf(form),
                               nullptr, instance_, nullptr);
    // Long tips (a profile's whole path list) wrap at a readable width, wider at a larger scale.
    constexpr int kTipWidth = 300;
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(kTipWidth, dpi));
    tips_.emplace(&form, tip);
    return tip;
}

void Win32ToolTips::Update(Control& control, int dpi) {
    HWND window = Win32Ui::WindowOf(control);
    if (window == nullptr) {
        return;
    }
    Form& form = control.Owner();
    if (control.Hint().empty() && tips_.find(&form) == tips_.end()) {
        return;
    }
    HWND tip = TipOf(form, dpi);
    TOOLINFOA info = ToolOf(Win32Ui::WindowOf(form), window);
    SendMessageA(tip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&info));
    const bool button = control.Kind() == ControlKind::Button;
    TOOLINFOA place = button ? PlaceOf(window) : TOOLINFOA{};
    if (button) {
        SendMessageA(tip, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&place));
    }
    if (!control.Hint().empty()) {
        std::string text = control.Hint();
        info.lpszText = text.data();
        SendMessageA(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&info));
        if (button) {
            place.lpszText = text.data();
            SendMessageA(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&place));
        }
    }
}

void Win32ToolTips::Remove(Control& control) {
    if (const auto tip = tips_.find(&control.Owner()); tip != tips_.end()) {
        TOOLINFOA info = ToolOf(Win32Ui::WindowOf(control.Owner()), Win32Ui::WindowOf(control));
        SendMessageA(tip->second, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&info));
        if (control.Kind() == ControlKind::Button && Win32Ui::WindowOf(control) != nullptr) {
            TOOLINFOA place = PlaceOf(Win32Ui::WindowOf(control));
            SendMessageA(tip->second, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&place));
        }
    }
}

void Win32ToolTips::ShowRefusal(HWND edit) {
    ShowUnrepresentableTip(edit, refusal_);
}

void Win32ToolTips::HideRefusal(HWND edit) {
    HideUnrepresentableTip(edit, refusal_);
}

} // namespace velt
