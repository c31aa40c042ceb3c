// libFuzzer target: the two messages of the command pipe as another program may write them: a
// request read by the running copy, a reply read by the caller.
//
// Input: the first byte chooses the message (even: request, odd: reply); the rest is its bytes.
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "app/CommandWire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velt;
    using fuzz::Check;
    if (size == 0) {
        return 0;
    }
    // A copy of exactly the message's bytes, so that ASan sees any read past its end.
    const std::vector<std::uint8_t> message(data + 1, data + size);
    if ((data[0] & 1U) == 0) {
        const auto command = DecodeCommand(message.data(), message.size());
        if (!command) {
            return 0;
        }
        // A command is taken only as EncodeCommand writes it, and every field is one it could
        // write.
        Check(command->kind == CommandKind::Activate || command->kind == CommandKind::Deactivate ||
              command->kind == CommandKind::Status || command->kind == CommandKind::Quit ||
              command->kind == CommandKind::Start);
        if (command->kind == CommandKind::Activate) {
            Check(!command->profile.empty() && command->profile.size() <= kProfileNameCapacity);
            Check(command->profile.find('\0') == std::string::npos);
        } else {
            Check(command->profile.empty());
        }
        Check(EncodeCommand(*command) == message);
        // A reply is never read as a request, nor the reverse.
        Check(!DecodeReply(message.data(), message.size()));
        return 0;
    }
    const auto reply = DecodeReply(message.data(), message.size());
    if (!reply) {
        return 0;
    }
    Check(reply->code >= kExitDone && reply->code <= kExitInactive);
    Check(reply->line.size() <= kMaxReplyLine && reply->line.find('\0') == std::string::npos);
    Check(EncodeReply(*reply) == message);
    Check(!DecodeCommand(message.data(), message.size()));
    return 0;
}
