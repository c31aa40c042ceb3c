#include "win32/Win32SessionWatch.h"

#include "win32/SystemLibrary.h"

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

bool Win32SessionWatch::Watch(std::uint32_t window, bool watch) {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    if (hwnd == nullptr) {
        return false;
    }
    if (wtsapi_ == nullptr) {
        if (!watch) {
            return false;
        }
        wtsapi_ = LoadSystemLibrary("wtsapi32.dll");
        if (wtsapi_ == nullptr) {
            return false;
        }
    }
    if (watch) {
        const auto reg = ExportOf<RegisterSessionFn>(wtsapi_, "WTSRegisterSessionNotification");
        return reg != nullptr && reg(hwnd, kNotifyForThisSession) != FALSE;
    }
    const auto unreg = ExportOf<UnregisterSessionFn>(wtsapi_, "WTSUnRegisterSessionNotification");
    return unreg != nullptr && unreg(hwnd) != FALSE;
}

} // namespace velt
