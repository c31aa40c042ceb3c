#include "app/PendingCommand.h"

#include <utility>

namespace velt {

void PendingCommand::Begin(std::string profile, Reply reply) {
    Cancel(kTakenOver);
    profile_ = std::move(profile);
    reply_ = std::move(reply);
}

void PendingCommand::Activated(std::string_view profile, bool started) {
    if (profile != profile_) {
        End({kExitCancelled, kOtherProfile});
    } else {
        End(started ? CommandResult{kExitDone, {}} : CommandResult{kExitFailed, kStartRefused});
    }
}

void PendingCommand::Cancel(const char* reason) {
    End({kExitCancelled, reason});
}

void PendingCommand::End(CommandResult result) {
    if (!reply_) {
        return;
    }
    // Taken out first: the reply may start another command.
    const Reply reply = std::exchange(reply_, nullptr);
    profile_.clear();
    reply(std::move(result));
}

} // namespace velt
