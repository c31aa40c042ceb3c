// libFuzzer target: a command message as another program may send it to the running copy.
//
// Input: the message's bytes; its tag is the command magic unless the input is shorter than a
// header, so that the size checks run on both sides of their limits.
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "app/CommandWire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velt;
    using fuzz::Check;
    // A copy of exactly `size` bytes, so that ASan sees any read past the message's end.
    const std::vector<std::uint8_t> message(data, data + size);
    const auto wire = DecodeCommand(kCommandMagic, message.data(), message.size());
    if (!wire) {
        return 0;
    }
    // A command is taken only as EncodeCommand writes it, and every field is one it could write.
    const Command& command = wire->command;
    Check(command.kind == CommandKind::Activate || command.kind == CommandKind::Deactivate ||
          command.kind == CommandKind::Status || command.kind == CommandKind::Quit);
    if (command.kind == CommandKind::Activate) {
        Check(!command.profile.empty() && command.profile.size() <= kMaxCommandProfile);
        Check(command.profile.find('\0') == std::string::npos);
    } else {
        Check(command.profile.empty());
    }
    Check(EncodeCommand(*wire) == message);
    // Any other tag is refused unread.
    Check(!DecodeCommand(kCommandMagic ^ 1U, message.data(), message.size()));
    return 0;
}
