#include "app/CommandCaller.h"

#include "app/ProgramEvents.h"

namespace velt {

namespace {

using Reach = ICommandChannel::Reach;

CommandResult Carry(const Command& command, ICommandChannel& channel, IEventLog& log) {
    Reach reach = channel.Open();
    if (reach == Reach::None && channel.OtherUserHoldsDriver()) {
        log.Report(OtherUserLockEntry());
        return {kExitOtherUser, {}};
    }
    // /activate brings up a copy of its own when none can be believed.
    if (reach != Reach::Believed && command.kind == CommandKind::Activate) {
        reach = channel.StartCopy();
    }
    if (reach == Reach::NotBelieved) {
        return {kExitFailed, "The command pipe is not Veltarion's: nothing was sent."};
    }
    if (reach == Reach::None) {
        if (command.kind == CommandKind::Activate) {
            return {kExitFailed, "Veltarion could not be started."};
        }
        // No copy runs for this user in this session: protection is off, nothing to change.
        return {command.kind == CommandKind::Status ? kExitInactive : kExitDone, {}};
    }
    return channel.Send(command);
}

} // namespace

int RunCommandLine(const Command& command, ICommandChannel& channel, IEventLog& log) {
    if (command.kind == CommandKind::Usage || command.kind == CommandKind::BadUsage) {
        const bool usage = command.kind == CommandKind::Usage;
        const int code = usage ? kExitDone : kExitBadUsage;
        channel.WriteLine(usage ? UsageText(UsageLayout::Console) : ResultLine(command.kind, code));
        if (!command.silent) {
            channel.ShowBox(UsageText(UsageLayout::Box), kUsageCaption, !usage);
        }
        return code;
    }
    CommandResult result = Carry(command, channel, log);
    const bool answered = result.code == kExitDone || result.code == kExitInactive;
    if (result.line.empty() || (command.kind == CommandKind::Status && answered)) {
        result.line = ResultLine(command.kind, result.code);
    }
    channel.WriteLine(result.line);
    return result.code;
}

bool ShowRunningCopy(ICommandChannel& channel) {
    return channel.Open() == Reach::Believed &&
           channel.Send(Command{CommandKind::Start, {}}).code == kExitDone;
}

} // namespace velt
