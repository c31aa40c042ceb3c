#include "win32/Win32SessionWatch.h"

#include "win32/SystemLibrary.h"

namespace velt {

namespace {

constexpr DWORD kNotifyForThisSession = 0; // NOTIFY_FOR_THIS_SESSION

using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

} // namespace

std::uint32_t Win32SessionWatch::TickCount() {
    return GetTickCount();
}

std::uint32_t Win32SessionWatch::LastInputTick() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    // Without an answer the input counts as now: never a deactivation on a failed question.
    return GetLastInputInfo(&info) != FALSE ? info.dwTime : GetTickCount();
}

Win32LockNotifications::~Win32LockNotifications() {
    if (wtsapi_ != nullptr) {
        FreeLibrary(wtsapi_);
    }
}

bool Win32LockNotifications::Register(HWND window) {
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

void Win32LockNotifications::Unregister(HWND window) {
    if (wtsapi_ == nullptr || window == nullptr) {
        return;
    }
    if (const auto unreg =
            ExportOf<UnregisterSessionFn>(wtsapi_, "WTSUnRegisterSessionNotification")) {
        unreg(window);
    }
}

} // namespace velt
