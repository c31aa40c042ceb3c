// The Windows Event Log as the program writes to it: entries of the Application log under the
// source "Veltarion", each with a fixed event ID that an administrator can filter on. The texts
// are the message table's (resources/VeltarionEvents.mc); an entry carries only their inserts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velt {

enum class LogType : std::uint16_t { Error = 1, Warning = 2, Information = 4 };

// The event IDs: fixed, listed in the README and the help document.
enum EventId : std::uint32_t {
    kEventProtectionOn = 1000, // %1 profile name, %2 Windows user
    kEventOffByUser = 1001,    // the tray's Deactivate
    kEventOffOnLock = 1002,
    kEventOffOnSleep = 1003,
    kEventOffOnIdle = 1004,
    kEventOffOnSessionEnd = 1005,
    kEventOffOnQuit = 1006,
    kEventOffByCommand = 1007, // Veltarion.exe /deactivate
    kEventStopRefused = 2001,
    kEventDriverFileRefused = 2002,  // %1 file, %2 reason
    kEventSaveRefused = 2003,        // %1 where the refused copy was kept
    kEventSharedStoreRefused = 2004, // %1 the earlier version's profiles file, %2 why
    kEventOtherUserLock = 3001,
    kEventStartRefusedByPolicy = 3002, // %1 what the policy forbids
};

struct LogEntry {
    EventId id;
    LogType type;
    std::vector<std::string> inserts;
    bool operator==(const LogEntry&) const = default;
};

class IEventLog {
  public:
    virtual ~IEventLog() = default;
    // Writes the entry; a log that cannot be written (no registered source, a portable copy)
    // takes it silently.
    virtual void Report(const LogEntry& entry) = 0;
    // The name of the Windows user this program runs for.
    virtual std::string UserName() = 0;
};

} // namespace velt
