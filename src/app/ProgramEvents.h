// What the program tells the Event Log, one entry per event: protection on (the profile's name,
// never its paths nor anything of the password; the Windows user is every entry's own), protection
// off with its cause, and the refusals an administrator wants to see afterwards.
#pragma once

#include "platform/EventLog.h"

#include <string>
#include <string_view>

namespace velt {

enum class OffCause { User, Lock, Sleep, Idle, SessionEnd, Quit, CommandLine };

LogEntry ProtectionOnEntry(std::string_view profileName);
LogEntry ProtectionOffEntry(OffCause cause);
LogEntry StopRefusedEntry();
LogEntry DriverFileRefusedEntry(std::string_view file, std::string_view reason);
LogEntry SaveRefusedEntry(std::string_view keptAt);
// The profiles an earlier version shared between users were not taken in.
LogEntry SharedStoreRefusedEntry(std::string_view file, std::string_view reason);
LogEntry OtherUserLockEntry();
LogEntry CommandPipeTakenEntry(std::string_view pipe);
LogEntry QuitEventUntrustedEntry(std::string_view event);

// An insert as the Event Log gets it: it can neither add lines nor be expanded by the viewer.
// Control characters become blanks, and each '%' is followed by a blank, so that no "%n" or "%%n"
// remains; the text is cut to kMaxLogInsert characters.
inline constexpr std::size_t kMaxLogInsert = 512;
std::string LogInsertText(std::string_view insert);

} // namespace velt
