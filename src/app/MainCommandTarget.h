// The running copy's main window as the target of the commands that reach it through the command
// pipe.
#pragma once

#include "app/CommandTarget.h"

namespace velt {

class TSetParamForm;

// What the main window answers while an activation waits for the user: the result follows.
inline constexpr int kCommandPending = 0x100;

class MainCommandTarget final : public ICommandTarget {
  public:
    explicit MainCommandTarget(TSetParamForm& main) : main_(main) {}
    // A plain start shows the main window in front, as the tray's "Activate ..." does; every other
    // command is the window's.
    void RunCommand(const Command& command, std::function<void(CommandResult)> reply) override;

  private:
    TSetParamForm& main_;
};

} // namespace velt
