// The session on Windows: the clock and the last input (ISessionWatch), and the lock
// notifications a form's window asks for (through the binding, IUiBackend::WatchSessionLock).
#pragma once

#include "platform/SessionWatch.h"

#include <windows.h>

namespace velt {

class Win32SessionWatch final : public ISessionWatch {
  public:
    std::uint32_t TickCount() override;
    std::uint32_t LastInputTick() override;
};

// WM_WTSSESSION_CHANGE for a window: wtsapi32.dll, loaded when notifications are first asked for
// (not imported: the program starts faster without it), and freed with this object.
class Win32LockNotifications {
  public:
    Win32LockNotifications() = default;
    Win32LockNotifications(const Win32LockNotifications&) = delete;
    Win32LockNotifications& operator=(const Win32LockNotifications&) = delete;
    ~Win32LockNotifications();

    // False when the system cannot send them now (right after log-on, its session service off).
    bool Register(HWND window);
    void Unregister(HWND window);

  private:
    HMODULE wtsapi_ = nullptr;
};

} // namespace velt
