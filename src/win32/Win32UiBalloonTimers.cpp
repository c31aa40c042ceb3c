// The tray icon's balloon, the forms' timers and their session lock notifications.
#include "win32/Win32Ui.h"

#include "forms/Form.h"
#include "forms/TrayIcon.h"
#include "win32/SystemLibrary.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace velt {

namespace {

constexpr UINT kBalloonTimeoutMs = 10000;

// The balloon's record: the second form of NOTIFYICONDATAA, as Windows 2000 and XP know it.
static_assert(NOTIFYICONDATAA_V2_SIZE == 488);

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

bool Win32Ui::WatchSessionLock(Form& form) {
    // The form's window is made if it has none yet.
    return lockNotifications_.Register(WindowNeeded(form));
}

void Win32Ui::UnwatchSessionLock(Form& form) {
    lockNotifications_.Unregister(WindowOf(form));
}

} // namespace velt
