#include "app/MainCommands.h"

#include "app/Main.h"
#include "platform/PathNames.h"

#include <utility>

namespace velt {

namespace {

constexpr const char* kStopRefused =
    "The driver refused to stop ciphering: protection is still on.";
constexpr const char* kQuitStopRefused =
    "The program ended, but the driver refused to stop ciphering: protection is still on.";
constexpr const char* kNotForTheRunningCopy = "The running copy takes no such command.";
// The window's error message tells the person at the desktop what failed.
constexpr const char* kCommandFailed = "The running copy failed to carry the command out.";

} // namespace

NameMatch FindProfileByName(const ProfileList& list, std::string_view name) {
    NameMatch match;
    int blind = 0;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const std::string& own = list.Profile(i).ProfileName.str();
        if (own == name) {
            return {static_cast<int>(i), {}};
        }
        if (SameNameIgnoringCase(own, name) && blind++ == 0) {
            match.index = static_cast<int>(i);
        }
    }
    const std::string quoted = "\"" + std::string(name) + "\"";
    if (blind == 0) {
        return {-1, "No profile is named " + quoted + "."};
    }
    if (blind > 1) {
        return {-1, "Several profiles are named " + quoted +
                        " but for the letter case; give the name exactly."};
    }
    return match;
}

void MainCommands::RunCommand(const Command& command, std::function<void(CommandResult)> reply) {
    // Each way through Carry answers once, or hands the reply on to the pending activation.
    try {
        Carry(command, reply);
    } catch (...) {
        // Failed half-way: the caller hears so (the application's handler shows the error).
        if (reply) {
            Answer(reply, {kExitFailed, kCommandFailed});
        }
        throw;
    }
}

void MainCommands::Answer(Reply& reply, CommandResult result) {
    const Reply once = std::exchange(reply, nullptr);
    once(std::move(result));
}

void MainCommands::Carry(const Command& command, Reply& reply) {
    Protection& protection = main_.Protection;
    switch (command.kind) {
    case CommandKind::Start:
        // A plain second start: the user wants the window, as from the tray.
        main_.ActivateItemClick();
        Answer(reply, {kExitDone, {}});
        return;
    case CommandKind::Activate:
        Activate(command.profile, reply);
        return;
    case CommandKind::Deactivate:
        if (!protection.On() || protection.Stop(OffCause::CommandLine)) {
            Answer(reply, {kExitDone, {}});
            return;
        }
        // The script hears it at once; the person at the desktop is told too.
        Answer(reply, {kExitFailed, kStopRefused});
        main_.TellStopRefused();
        return;
    case CommandKind::Status:
        Answer(reply, protection.On() ? CommandResult{kExitDone, "on"}
                                      : CommandResult{kExitInactive, "off"});
        return;
    case CommandKind::Quit: {
        const bool stopped = main_.Quit();
        Answer(reply, stopped ? CommandResult{kExitDone, {}}
                              : CommandResult{kExitFailed, kQuitStopRefused});
        return;
    }
    case CommandKind::Usage:
    case CommandKind::BadUsage:
        break;
    }
    Answer(reply, {kExitBadUsage, kNotForTheRunningCopy});
}

void MainCommands::Activate(const std::string& name, Reply& reply) {
    const bool wasVisible = main_.Visible();
    // Showing a hidden window reloads the list, as the tray's "Activate ..." does.
    main_.Store().EnsureSettingsKey();
    main_.Show();
    const NameMatch match = FindProfileByName(main_.ProfileList, name);
    if (match.index < 0) {
        if (!wasVisible) {
            main_.Hide(); // as it was: not closed, so nothing is saved either
        }
        Answer(reply, {kExitNoProfile, match.reason});
        return;
    }
    // As if the user had chosen it: the rules of that profile's password apply, and a password
    // typed for another profile is gone.
    main_.Profiles.SetItemIndex(match.index);
    main_.ProfilesChange();
    main_.PassEdit1Change();
    main_.Backend().SetForeground(main_);
    main_.FocusControl(main_.PassEdit1);
    // A second command takes the window over: the first one's activation did not happen.
    main_.Pending.Begin(
        main_.ProfileList.Profile(static_cast<std::size_t>(match.index)).ProfileName.str(),
        std::exchange(reply, nullptr));
}

} // namespace velt
