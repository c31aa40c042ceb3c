// The clock, the last input and the lock notifications of the session, from Windows.
#pragma once

#include "platform/SessionWatch.h"

#include <windows.h>

namespace velt {

class Win32SessionWatch final : public ISessionWatch {
  public:
    Win32SessionWatch() = default;
    Win32SessionWatch(const Win32SessionWatch&) = delete;
    Win32SessionWatch& operator=(const Win32SessionWatch&) = delete;
    ~Win32SessionWatch() override;

    std::uint32_t TickCount() override;
    std::uint32_t LastInputTick() override;
    bool Watch(Form& form) override;
    void Unwatch(Form& form) override;

  private:
    // wtsapi32.dll, loaded when notifications are first asked for (not imported: the program
    // starts faster without it), and freed with this object.
    HMODULE wtsapi_ = nullptr;
};

} // namespace velt
