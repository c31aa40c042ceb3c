// The program's command line, for scripts and scheduled tasks: the switches, what each asks of the
// running copy, and the exit codes that tell the caller what happened. A password is never on it.
#pragma once

#include <string>
#include <string_view>

namespace velt {

// Exit codes of a command, each with its line of the usage text: one list for both. A start with
// no arguments ends with kExitDone; kExitFailed is also any other failure; kExitBadUsage: the
// usage box was shown, nothing changed; kExitCancelled: the main window closed, or Cancel was
// pressed, before the activation.
// NOLINTBEGIN(bugprone-macro-parentheses): the arguments are a name and literals, pasted whole.
#define VELT_EXIT_CODES(X)                                                                         \
    X(kExitDone, 0, "done (/status: protection is on)")                                            \
    X(kExitFailed, 1, "the driver refused, or could not be loaded")                                \
    X(kExitBadUsage, 2, "bad usage")                                                               \
    X(kExitNoProfile, 3, "no profile of that name")                                                \
    X(kExitOtherUser, 4, "another user's copy holds the driver")                                   \
    X(kExitCancelled, 5, "cancelled before the activation")                                        \
    X(kExitInactive, 6, "/status: protection is off")
#define VELT_EXIT_CODE_ENUM(name, value, meaning) name = value,
#define VELT_EXIT_CODE_LINE(name, value, meaning) "\n" #value "  " meaning
// NOLINTEND(bugprone-macro-parentheses)
enum ExitCode : int { VELT_EXIT_CODES(VELT_EXIT_CODE_ENUM) };

enum class CommandKind { Start, Activate, Deactivate, Status, Quit, Usage, BadUsage };

struct Command {
    CommandKind kind = CommandKind::Start;
    std::string profile; // Activate only
    bool operator==(const Command&) const = default;
};

// The longest profile name a command may carry (the profile's own limit).
inline constexpr std::size_t kMaxCommandProfile = 99;

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
    "Exit codes:" VELT_EXIT_CODES(VELT_EXIT_CODE_LINE);

} // namespace velt
