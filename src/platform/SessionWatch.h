// The system's clock and the time of the last input. (The session's lock and unlock reach a form
// through its window, as the system's other events do: IUiBackend::WatchSessionLock.)
#pragma once

#include <cstdint>

namespace velt {

class ISessionWatch {
  public:
    virtual ~ISessionWatch() = default;
    // The millisecond tick count now and at the last keyboard or mouse input (both wrap).
    virtual std::uint32_t TickCount() = 0;
    virtual std::uint32_t LastInputTick() = 0;
};

} // namespace velt
