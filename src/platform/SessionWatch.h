// The system's clock, the time of the last input, and the session's lock notifications.
#pragma once

#include <cstdint>

namespace velt {

class Form;

class ISessionWatch {
  public:
    virtual ~ISessionWatch() = default;
    // The millisecond tick count now and at the last keyboard or mouse input (both wrap).
    virtual std::uint32_t TickCount() = 0;
    virtual std::uint32_t LastInputTick() = 0;
    // Asks that lock and unlock of this session reach the form as system events; false when the
    // system cannot do so now: right after log-on, or with its session service off.
    virtual bool Watch(Form& form) = 0;
    // Ends that.
    virtual void Unwatch(Form& form) = 0;
};

} // namespace velt
