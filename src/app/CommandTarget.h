// Where the running copy carries out a command that reached it from another copy of the program,
// and what it answers.
#pragma once

#include "app/CommandLine.h"

#include <functional>
#include <string>

namespace velt {

// What a command came to: the caller's exit code and the one line it writes for a script (empty
// when there is nothing to say beyond the code).
struct CommandResult {
    int code = kExitFailed;
    std::string line;
    bool operator==(const CommandResult&) const = default;
};

class ICommandTarget {
  public:
    virtual ~ICommandTarget() = default;
    // Carries `command` out; `reply` is called exactly once, at once or later (an activation waits
    // for the user), on the thread that runs the program's windows.
    virtual void RunCommand(const Command& command, std::function<void(CommandResult)> reply) = 0;
};

} // namespace velt
