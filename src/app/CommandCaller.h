// The caller's side of the command line: what a copy started with a command does, decided here
// from what its channel to the running copy reports, and the exit code it ends with.
#pragma once

#include "app/CommandLine.h"
#include "app/CommandTarget.h"
#include "platform/EventLog.h"

#include <string_view>

namespace velt {

// The way to the running copy of this user and session, and the run's own output.
class ICommandChannel {
  public:
    enum class Reach {
        None,        // no copy of this user runs in this session
        Believed,    // its pipe is open, and its server is the program of this user and session
        NotBelieved, // a pipe of that name whose server is not: nothing may be sent to it
    };
    virtual ~ICommandChannel() = default;
    virtual Reach Open() = 0;
    // Starts a copy without arguments and opens its pipe once it serves it.
    virtual Reach StartCopy() = 0;
    // Whether a copy of another user, or of another session, holds the machine's driver lock.
    virtual bool OtherUserHoldsDriver() = 0;
    // Sends the command through the opened pipe and waits for the result.
    virtual CommandResult Send(const Command& command) = 0;
    // The run's output line (or the usage table).
    virtual void WriteLine(std::string_view line) = 0;
    virtual void ShowBox(std::string_view text, std::string_view caption, bool warning) = 0;
};

// Carries a command other than Start out, writes the run's line and returns the exit code. A box
// appears only for /? and a bad usage, and never in a silent run.
int RunCommandLine(const Command& command, ICommandChannel& channel, IEventLog& log);

// A plain start: true when the running copy of this user and session took it.
bool ShowRunningCopy(ICommandChannel& channel);

} // namespace velt
