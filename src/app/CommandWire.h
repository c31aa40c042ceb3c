// A command as it travels to the running copy through its command pipe, and the answer that comes
// back: each one message of a fixed header and a bounded text, checked in full before any field is
// used; everything else is refused unread.
//
// Request                                   Reply
//   offset  size  field                       offset  size  field
//   0       4     magic "VCMD"                0       4     magic "VRES"
//   4       2     version, 2                  4       2     version, 2
//   6       2     command: 1 activate,        6       2     exit code, 0 to 6
//                 2 deactivate, 3 status,     8       2     length n of the line, 0 to 400
//                 4 quit, 5 start             10      n     the line, without a terminating zero
//   8       2     length n of the profile
//                 name (activate: 1 to 99;
//                 0 otherwise)
//   10      n     the profile name, without a terminating zero
// Numbers are little-endian.
#pragma once

#include "app/CommandLine.h"
#include "app/CommandTarget.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velt {

inline constexpr std::uint32_t kCommandMagic = 0x444D4356; // "VCMD"
inline constexpr std::uint32_t kReplyMagic = 0x53455256;   // "VRES"
inline constexpr std::uint16_t kCommandVersion = 2;
inline constexpr std::size_t kCommandHeaderSize = 10;
inline constexpr std::size_t kMaxCommandSize = kCommandHeaderSize + kProfileNameCapacity;
inline constexpr std::size_t kReplyHeaderSize = 10;
inline constexpr std::size_t kMaxReplyLine = 400;
inline constexpr std::size_t kMaxReplySize = kReplyHeaderSize + kMaxReplyLine;

// The bytes of a Start, Activate, Deactivate, Status or Quit command; empty for any other, and for
// an activation whose name is empty or too long. The silent flag stays with the caller.
std::vector<std::uint8_t> EncodeCommand(const Command& command);
// The command in a message; nothing unless the size and every field are what EncodeCommand
// writes.
std::optional<Command> DecodeCommand(const void* data, std::size_t size);

// The bytes of a result; a longer line is cut to kMaxReplyLine, a code outside 0 to 6 sent as 1.
std::vector<std::uint8_t> EncodeReply(const CommandResult& result);
std::optional<CommandResult> DecodeReply(const void* data, std::size_t size);

} // namespace velt
