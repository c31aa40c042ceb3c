// The /activate command that waits for the user: the main window shows its profile, and the
// command ends once the user activated it, activated another, or closed the window or the program.
#pragma once

#include "app/CommandTarget.h"

#include <functional>
#include <string>
#include <string_view>

namespace velt {

class PendingCommand {
  public:
    using Reply = std::function<void(CommandResult)>;

    static constexpr const char* kTakenOver =
        "Another /activate took the main window over before this activation.";
    static constexpr const char* kWindowClosed =
        "The main window was closed before the activation.";
    static constexpr const char* kProgramEnded = "The program ended before the activation.";
    static constexpr const char* kOtherProfile = "Another profile was activated instead.";
    static constexpr const char* kStartRefused = "The driver refused to start ciphering.";

    PendingCommand() = default;
    PendingCommand(const PendingCommand&) = delete;
    PendingCommand& operator=(const PendingCommand&) = delete;

    // Waits for the activation of `profile`; a command that was waiting ends with kExitCancelled.
    void Begin(std::string profile, Reply reply);
    // An activation of `profile` happened, taken by the driver or not.
    void Activated(std::string_view profile, bool started);
    // The waiting command, if any, ends with kExitCancelled and the reason.
    void Cancel(const char* reason);

  private:
    void End(CommandResult result);

    std::string profile_;
    Reply reply_;
};

} // namespace velt
