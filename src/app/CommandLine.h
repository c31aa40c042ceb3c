// The program's command line, for scripts and scheduled tasks: the switches, what each asks of the
// running copy, and the exit codes that tell the caller what happened. A password is never on it.
#pragma once

#include "profiles/profiles.h"

#include <string>
#include <string_view>

namespace velt {

// Exit codes of a command; a start with no arguments ends with kExitDone.
enum ExitCode : int {
    kExitDone = 0,      // done; /status: protection is on
    kExitFailed = 1,    // the driver refused or could not be loaded, or any other failure
    kExitBadUsage = 2,  // the usage box was shown, nothing changed
    kExitNoProfile = 3, // no profile of that name
    kExitOtherUser = 4, // another user's copy holds the driver
    kExitCancelled = 5, // the main window closed, or Cancel pressed, before the activation
    kExitInactive = 6,  // /status: protection is off
};

enum class CommandKind { Start, Activate, Deactivate, Status, Quit, Usage, BadUsage };

struct Command {
    CommandKind kind = CommandKind::Start;
    std::string profile; // Activate only
    bool operator==(const Command&) const = default;
};

// Reads the arguments after the program name, split as Windows splits them (blanks separate,
// double quotes group, a quote inside a group is written as two). Switches are case-insensitive and
// start with '/' or '-'. No arguments: a plain start.
Command ParseCommandLine(std::string_view arguments);

inline constexpr const char* kUsageCaption = "Veltarion command line";
inline constexpr const char* kUsageText =
    "Veltarion.exe /activate \"profile name\"\tshow the main window with that profile, for its "
    "password\n"
    "Veltarion.exe /deactivate\tturn protection off\n"
    "Veltarion.exe /status\t\treport whether protection is on\n"
    "Veltarion.exe /quit\t\tend the running copy\n"
    "Veltarion.exe /?\t\tthis text\n\n"
    "Exit codes:\n"
    "0  done (/status: protection is on)\n"
    "1  the driver refused, or could not be loaded\n"
    "2  bad usage\n"
    "3  no profile of that name\n"
    "4  another user's copy holds the driver\n"
    "5  cancelled before the activation\n"
    "6  /status: protection is off";

} // namespace velt
