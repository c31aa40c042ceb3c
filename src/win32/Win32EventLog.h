// The Application log of the Windows Event Log, source "Veltarion". The texts are the message
// table in the program's resources; a copy whose source is not registered (a portable copy)
// writes nothing.
#pragma once

#include "SharedNames.h"
#include "platform/EventLog.h"

#include <windows.h>

namespace velt {

inline constexpr const char* kEventSourceName = shared::kEventSource;
inline constexpr const char* kEventSourceKey = shared::kEventSourceKey;

class Win32EventLog final : public IEventLog {
  public:
    Win32EventLog() = default;
    Win32EventLog(const Win32EventLog&) = delete;
    Win32EventLog& operator=(const Win32EventLog&) = delete;
    ~Win32EventLog() override;

    void Report(const LogEntry& entry) override;

  private:
    // Registers the source on first use; null when it is not registered or cannot be opened.
    HANDLE Source();

    HANDLE source_ = nullptr;
    bool tried_ = false;
};

} // namespace velt
