#include "win32/Win32SessionWatch.h"

#include "forms/Form.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Ui.h"

namespace velt {

namespace {

constexpr DWORD kNotifyForThisSession = 0; // NOTIFY_FOR_THIS_SESSION

using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

} // namespace

Win32SessionWatch::~Win32SessionWatch() {
    if (wtsapi_ != nullptr) {
        FreeLibrary(wtsapi_);
    }
}

std::uint32_t Win32SessionWatch::TickCount() {
    return GetTickCount();
}

std::uint32_t Win32SessionWatch::LastInputTick() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    // Without an answer the input counts as now: never a deactivation on a failed question.
    return GetLastInputInfo(&info) != FALSE ? info.dwTime : GetTickCount();
}

bool Win32SessionWatch::Watch(Form& form) {
    // The binding makes the form's window if it has none yet.
    HWND window = static_cast<Win32Ui&>(form.Backend()).WindowNeeded(form);
    if (window == nullptr) {
        return false;
    }
    if (wtsapi_ == nullptr) {
        wtsapi_ = LoadSystemLibrary("wtsapi32.dll");
        if (wtsapi_ == nullptr) {
            return false;
        }
    }
    const auto reg = ExportOf<RegisterSessionFn>(wtsapi_, "WTSRegisterSessionNotification");
    return reg != nullptr && reg(window, kNotifyForThisSession) != FALSE;
}

void Win32SessionWatch::Unwatch(Form& form) {
    HWND window = Win32Ui::WindowOf(form);
    if (wtsapi_ == nullptr || window == nullptr) {
        return;
    }
    if (const auto unreg =
            ExportOf<UnregisterSessionFn>(wtsapi_, "WTSUnRegisterSessionNotification")) {
        unreg(window);
    }
}

} // namespace velt
