// Commands from the command line, carried out by the running copy's main window as the user would
// carry them out there; the policy and the driver's answers hold as they do for the tray.
#pragma once

#include "app/CommandTarget.h"
#include "profiles/ProfileList.h"

#include <string>
#include <string_view>

namespace velt {

class TSetParamForm;

// The entry a command's name names: the first spelled exactly so, else the only one spelled so
// but for the letter case. Otherwise no entry (-1) and the reason, in one sentence.
struct NameMatch {
    int index = -1;
    std::string reason;
};
NameMatch FindProfileByName(const ProfileList& list, std::string_view name);

class MainCommands final : public ICommandTarget {
  public:
    explicit MainCommands(TSetParamForm& main) : main_(main) {}
    void RunCommand(const Command& command, std::function<void(CommandResult)> reply) override;

  private:
    using Reply = std::function<void(CommandResult)>;
    void Carry(const Command& command, Reply& reply);
    void Activate(const std::string& name, Reply& reply);
    // Calls the reply and empties it: it is answered once.
    static void Answer(Reply& reply, CommandResult result);

    TSetParamForm& main_;
};

} // namespace velt
