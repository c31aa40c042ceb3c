// The program's command line, for scripts and scheduled tasks: the switches, what each asks of the
// running copy, and the exit codes that tell the caller what happened. A password is never on it.
#pragma once

#include "profiles/profiles.h"

#include <string>
#include <string_view>
#include <vector>

namespace velt {

// Exit codes of a command, each with its line of the usage text: one list for both. A start with
// no arguments ends with kExitDone; kExitFailed is also any other failure; kExitBadUsage: the
// usage box was shown, nothing changed; kExitCancelled: the main window closed, or Cancel was
// pressed, before the activation.
// NOLINTBEGIN(bugprone-macro-parentheses): the arguments are a name and literals, pasted whole.
#define VELT_EXIT_CODES(X)                                                                         \
    X(kExitDone, 0, "done (/status: on)")                                                          \
    X(kExitFailed, 1, "driver refused or missing")                                                 \
    X(kExitBadUsage, 2, "bad usage")                                                               \
    X(kExitNoProfile, 3, "no profile of that name")                                                \
    X(kExitOtherUser, 4, "another user has the driver")                                            \
    X(kExitCancelled, 5, "cancelled before activation")                                            \
    X(kExitInactive, 6, "/status: off")
#define VELT_EXIT_CODE_ENUM(name, value, meaning) name = value,
// NOLINTEND(bugprone-macro-parentheses)

enum ExitCode : int { VELT_EXIT_CODES(VELT_EXIT_CODE_ENUM) };

enum class CommandKind { Start, Activate, Deactivate, Status, Quit, Usage, BadUsage };

struct Command {
    CommandKind kind = CommandKind::Start;
    std::string profile; // Activate only
    // /silent or /s: no message box in this run, whatever happens; the exit code and the one
    // output line still tell the result.
    bool silent = false;
    bool operator==(const Command&) const = default;
};

// Splits a command line as CommandLineToArgvW splits the arguments after the program name: blanks
// separate; double quotes group and are dropped; 2n backslashes before a quote give n backslashes
// and the quote groups, 2n+1 give n backslashes and a literal quote; backslashes before anything
// else stay as they are; inside a group, two quotes give one literal quote.
std::vector<std::string> SplitArguments(std::string_view text);

// Reads the arguments after the program name. Switches are case-insensitive and start with '/' or
// '-'; /silent (or /s) may stand anywhere and adds to the one command. No command: a plain start.
Command ParseCommandLine(std::string_view arguments);

inline constexpr const char* kUsageCaption = "Veltarion command line";

// The usage text, one row per switch and per exit code in two columns that never wrap: padded with
// blanks for a console (a fixed-pitch font), with tabs for a message box (its tab stops).
enum class UsageLayout { Console, Box };
std::string UsageText(UsageLayout layout);

// The sentence a run writes for `code` when the running copy gave none; /status writes "on" or
// "off".
std::string ResultLine(CommandKind kind, int code);

} // namespace velt
