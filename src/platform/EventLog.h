// The Windows Event Log as the program writes to it: entries of the Application log under the
// source "Veltarion", each with a fixed event ID that an administrator can filter on. The texts
// are the message table's (resources/VeltarionEvents.mc); an entry carries only their inserts.
#pragma once

#include "VeltarionEvents.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velt {

enum class LogType : std::uint16_t { Error = 1, Warning = 2, Information = 4 };

// The event IDs: fixed, listed in the README and the help document; their one definition is the
// message table's (VeltarionEvents.h, which windmc writes from it).
enum EventId : std::uint32_t {
    kEventProtectionOn = VELT_EVENT_PROTECTION_ON, // %1 profile name
    kEventOffByUser = VELT_EVENT_OFF_BY_USER,      // the tray's Deactivate
    kEventOffOnLock = VELT_EVENT_OFF_ON_LOCK,
    kEventOffOnSleep = VELT_EVENT_OFF_ON_SLEEP,
    kEventOffOnIdle = VELT_EVENT_OFF_ON_IDLE,
    kEventOffOnSessionEnd = VELT_EVENT_OFF_ON_SESSION_END,
    kEventOffOnQuit = VELT_EVENT_OFF_ON_QUIT,
    kEventOffByCommand = VELT_EVENT_OFF_BY_COMMAND, // Veltarion.exe /deactivate
    kEventStopRefused = VELT_EVENT_STOP_REFUSED,
    kEventDriverFileRefused = VELT_EVENT_DRIVER_FILE_REFUSED, // %1 file, %2 reason
    kEventSaveRefused = VELT_EVENT_SAVE_REFUSED,              // %1 where the refused copy was kept
    kEventSharedStoreRefused =
        VELT_EVENT_SHARED_STORE_REFUSED, // %1 the earlier version's profiles file, %2 why
    kEventOtherUserLock = VELT_EVENT_OTHER_USER_LOCK,
    kEventCommandPipeTaken = VELT_EVENT_COMMAND_PIPE_TAKEN,     // %1 the pipe's name
    kEventQuitEventUntrusted = VELT_EVENT_QUIT_EVENT_UNTRUSTED, // %1 the event's name
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
    // Writes the entry, with the user the program runs for as its user (the Event Viewer's User
    // column); a log that cannot be written (no registered source, a portable copy) takes it
    // silently.
    virtual void Report(const LogEntry& entry) = 0;
};

} // namespace velt
