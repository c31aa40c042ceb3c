// A command as it travels to the running copy in one WM_COPYDATA message: a fixed header, then the
// profile name. The receiver takes nothing but this layout, checked in full before any field is
// used; everything else is refused unread.
//
//   offset  size  field
//   0       4     magic "VCMD" (0x444D4356, little-endian)
//   4       2     version, 1
//   6       2     command: 1 activate, 2 deactivate, 3 status, 4 quit
//   8       4     the caller's reply window, where the result of a pending command goes
//   12      2     length n of the profile name (activate only, 1 to 99; 0 otherwise)
//   14      n     the profile name, without a terminating zero
#pragma once

#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velt {

// Also the message's dwData: the receiver looks no further when it differs.
inline constexpr std::uint32_t kCommandMagic = 0x444D4356;
inline constexpr std::uint16_t kCommandVersion = 1;
inline constexpr std::size_t kCommandHeaderSize = 14;
inline constexpr std::size_t kMaxCommandSize = kCommandHeaderSize + kProfileNameCapacity;
// The registered window message that carries a pending command's result to the reply window
// (wParam: the exit code).
inline constexpr const char* kCommandResultMessage = "VeltarionCommandResult";
// What the running copy answers while it carries an activation out: the result follows in the
// registered message above.
inline constexpr int kCommandPending = 0x100;
// The running copy's answer to a command it carried out is this plus the exit code; 0 is a message
// it did not take.
inline constexpr int kCommandAnswer = 0x200;

struct WireCommand {
    Command command;
    std::uint32_t replyWindow = 0;
};

// The bytes of a command other than Start, Usage and BadUsage; empty for those.
std::vector<std::uint8_t> EncodeCommand(const WireCommand& wire);
// The command in a message; nothing unless `tag`, the size and every field are what
// EncodeCommand writes.
std::optional<WireCommand> DecodeCommand(std::uint32_t tag, const void* data, std::size_t size);

} // namespace velt
