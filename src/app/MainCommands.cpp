// Commands from the command line, carried out by the running copy's main window as the user would
// carry them out there; the policy and the driver's answers hold as they do for the tray.
#include "app/Main.h"
#include "app/MainCommandTarget.h"

namespace velt {

int TSetParamForm::RunCommand(const Command& command, std::function<void(int)> reply) {
    switch (command.kind) {
    case CommandKind::Activate: {
        const bool wasVisible = Visible();
        // Showing a hidden window reloads the list, as the tray's "Activate ..." does.
        Store().EnsureSettingsKey();
        Show();
        int found = -1;
        for (std::size_t i = 0; i < ProfileList.Count(); ++i) {
            if (ProfileList.Profile(i).ProfileName.str() == command.profile) {
                found = static_cast<int>(i);
                break;
            }
        }
        if (found < 0) {
            if (!wasVisible) {
                Hide(); // as it was: not closed, so nothing is saved either
            }
            return kExitNoProfile;
        }
        // A second command takes over the window: the first one's activation did not happen.
        EndCommand(kExitCancelled);
        // As if the user had chosen it: the rules of that profile's password apply.
        Profiles.SetItemIndex(found);
        ProfilesChange();
        PassEdit1Change();
        Backend().SetForeground(*this);
        FocusControl(PassEdit1);
        commandProfile_ = command.profile;
        commandReply_ = std::move(reply);
        return kCommandPending;
    }
    case CommandKind::Deactivate:
        if (!Activated) {
            return kExitDone;
        }
        if (!Deactivate(OffCause::CommandLine)) {
            TellStopRefused();
            return kExitFailed;
        }
        return kExitDone;
    case CommandKind::Status:
        return Activated ? kExitDone : kExitInactive;
    case CommandKind::Quit:
        QuitItemClick();
        return kExitDone;
    default:
        return kExitBadUsage;
    }
}

void TSetParamForm::EndCommand(int code) {
    if (!commandReply_) {
        return;
    }
    const std::function<void(int)> reply = std::move(commandReply_);
    commandReply_ = nullptr;
    commandProfile_.clear();
    reply(code);
}

void MainCommandTarget::RunCommand(const Command& command,
                                   std::function<void(CommandResult)> reply) {
    if (command.kind == CommandKind::Start) {
        main_.ActivateItemClick();
        reply({kExitDone, {}});
        return;
    }
    // The window keeps the reply only while an activation waits for the user.
    const int code = main_.RunCommand(command, [reply](int result) { reply({result, {}}); });
    if (code != kCommandPending) {
        reply({code, {}});
    }
}

} // namespace velt
