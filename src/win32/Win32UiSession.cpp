// The tray icon's balloon, timers, the input clock and the session's lock notifications.
#include "win32/Win32Ui.h"

#include "forms/Form.h"
#include "forms/TrayIcon.h"
#include "win32/SystemLibrary.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace velt {

namespace {

constexpr DWORD kNotifyForThisSession = 0; // NOTIFY_FOR_THIS_SESSION
constexpr UINT kBalloonTimeoutMs = 10000;

// The balloon's record: the second form of NOTIFYICONDATAA, as Windows 2000 and XP know it.
static_assert(NOTIFYICONDATAA_V2_SIZE == 488);

using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

template <std::size_t N> void CopyText(char (&to)[N], std::string_view text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(to, text.data(), length);
    to[length] = '\0';
}

} // namespace

bool Win32Ui::NotifyBalloon(const TrayIconData& icon, std::string_view title,
                            std::string_view text) {
    // Windows 2000 and XP know the record's second form by its size, later systems accept it too.
    // The icon's own record stays the first, 88-byte form.
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V2_SIZE;
    record.hWnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(icon.hWnd));
    record.uID = icon.uID;
    record.uFlags = NIF_INFO;
    CopyText(record.szInfo, text);
    CopyText(record.szInfoTitle, title);
    record.uTimeout = kBalloonTimeoutMs;
    record.dwInfoFlags = NIIF_INFO;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

void Win32Ui::StartTimer(Form& form, unsigned id, unsigned milliseconds) {
    if (HWND window = WindowNeeded(form); window != nullptr) {
        ::SetTimer(window, id, milliseconds, nullptr);
    }
}

void Win32Ui::StopTimer(Form& form, unsigned id) {
    if (HWND window = WindowOf(form); window != nullptr) {
        ::KillTimer(window, id);
    }
}

std::uint32_t Win32Ui::TickCount() {
    return GetTickCount();
}

std::uint32_t Win32Ui::LastInputTick() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    // Without an answer the input counts as now: never a deactivation on a failed question.
    return GetLastInputInfo(&info) != FALSE ? info.dwTime : GetTickCount();
}

bool Win32Ui::WatchSession(Form& form, bool watch) {
    HWND window = watch ? WindowNeeded(form) : WindowOf(form);
    if (window == nullptr) {
        return false;
    }
    if (wtsapi_.module == nullptr) {
        if (!watch) {
            return false;
        }
        wtsapi_.module = LoadSystemLibrary("wtsapi32.dll");
        if (wtsapi_.module == nullptr) {
            return false;
        }
    }
    if (watch) {
        const auto reg = reinterpret_cast<RegisterSessionFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(wtsapi_.module, "WTSRegisterSessionNotification")));
        return reg != nullptr && reg(window, kNotifyForThisSession) != FALSE;
    }
    const auto unreg = reinterpret_cast<UnregisterSessionFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(wtsapi_.module, "WTSUnRegisterSessionNotification")));
    return unreg != nullptr && unreg(window) != FALSE;
}

} // namespace velt
