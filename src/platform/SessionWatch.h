// The system's clock, the time of the last input, and the session's lock notifications.
#pragma once

#include <cstdint>

namespace velt {

class ISessionWatch {
  public:
    virtual ~ISessionWatch() = default;
    // The millisecond tick count now and at the last keyboard or mouse input (both wrap).
    virtual std::uint32_t TickCount() = 0;
    virtual std::uint32_t LastInputTick() = 0;
    // Asks that lock and unlock of this session reach the window (the 32-bit handle a tray
    // record carries) as system events (true), or ends that (false). False when the system
    // cannot do so now: right after log-on, or with its session service off.
    virtual bool Watch(std::uint32_t window, bool watch) = 0;
};

} // namespace velt
