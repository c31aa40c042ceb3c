// What the program tells the Event Log, one entry per event: protection on (the profile's name and
// the Windows user, never its paths nor anything of the password), protection off with its cause,
// and the refusals an administrator wants to see afterwards.
#pragma once

#include "platform/EventLog.h"

#include <string_view>

namespace velt {

enum class OffCause { User, Lock, Sleep, Idle, SessionEnd, Quit, CommandLine };

LogEntry ProtectionOnEntry(std::string_view profileName, std::string_view user);
LogEntry ProtectionOffEntry(OffCause cause);
LogEntry StopRefusedEntry();
LogEntry DriverFileRefusedEntry(std::string_view file, std::string_view reason);
LogEntry SaveRefusedEntry(std::string_view keptAt);
// The profiles an earlier version shared between users were not taken in.
LogEntry SharedStoreRefusedEntry(std::string_view file, std::string_view reason);
LogEntry OtherUserLockEntry();
LogEntry StartRefusedByPolicyEntry(std::string_view what);

} // namespace velt
