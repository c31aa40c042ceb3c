#include "app/CommandWire.h"

#include "bytes/LittleEndian.h"

namespace velt {

namespace {

constexpr struct {
    CommandKind kind;
    std::uint16_t code;
} kCodes[] = {{CommandKind::Activate, 1},
              {CommandKind::Deactivate, 2},
              {CommandKind::Status, 3},
              {CommandKind::Quit, 4}};

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
    out.push_back(static_cast<std::uint8_t>(value >> 8U));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value & 0xFFFFU));
    Put16(out, static_cast<std::uint16_t>(value >> 16U));
}

} // namespace

std::vector<std::uint8_t> EncodeCommand(const WireCommand& wire) {
    const Command& command = wire.command;
    const bool named = command.kind == CommandKind::Activate;
    if (named && (command.profile.empty() || command.profile.size() > kProfileNameCapacity)) {
        return {};
    }
    for (const auto& entry : kCodes) {
        if (entry.kind != command.kind) {
            continue;
        }
        std::vector<std::uint8_t> out;
        Put32(out, kCommandMagic);
        Put16(out, kCommandVersion);
        Put16(out, entry.code);
        Put32(out, wire.replyWindow);
        const std::string& name = named ? command.profile : std::string();
        Put16(out, static_cast<std::uint16_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        return out;
    }
    return {};
}

std::optional<WireCommand> DecodeCommand(std::uint32_t tag, const void* data, std::size_t size) {
    if (tag != kCommandMagic || data == nullptr || size < kCommandHeaderSize ||
        size > kMaxCommandSize) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::size_t nameSize = LoadLe16(bytes + 12);
    if (LoadLe32(bytes) != kCommandMagic || LoadLe16(bytes + 4) != kCommandVersion ||
        size != kCommandHeaderSize + nameSize) {
        return std::nullopt;
    }
    WireCommand wire;
    wire.replyWindow = LoadLe32(bytes + 8);
    const std::uint16_t code = LoadLe16(bytes + 6);
    for (const auto& entry : kCodes) {
        if (entry.code == code) {
            wire.command.kind = entry.kind;
            const bool named = entry.kind == CommandKind::Activate;
            if (named != (nameSize != 0)) {
                return std::nullopt;
            }
            wire.command.profile.assign(reinterpret_cast<const char*>(bytes) + kCommandHeaderSize,
                                        nameSize);
            if (wire.command.profile.find('\0') != std::string::npos) {
                return std::nullopt;
            }
            return wire;
        }
    }
    return std::nullopt;
}

} // namespace velt
