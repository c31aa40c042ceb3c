#include "app/CommandWire.h"

#include "bytes/LittleEndian.h"

#include <algorithm>

namespace velt {

namespace {

constexpr struct {
    CommandKind kind;
    std::uint16_t code;
} kCodes[] = {{CommandKind::Activate, 1},
              {CommandKind::Deactivate, 2},
              {CommandKind::Status, 3},
              {CommandKind::Quit, 4},
              {CommandKind::Start, 5}};

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
    out.push_back(static_cast<std::uint8_t>(value >> 8U));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value & 0xFFFFU));
    Put16(out, static_cast<std::uint16_t>(value >> 16U));
}

// The header's magic, version and the text after it; nothing unless they hold and the text's
// length field gives exactly the size.
std::optional<std::string_view> Checked(std::uint32_t magic, std::size_t maxSize, const void* data,
                                        std::size_t size) {
    if (data == nullptr || size < kCommandHeaderSize || size > maxSize) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::size_t textSize = LoadLe16(bytes + 8);
    if (LoadLe32(bytes) != magic || LoadLe16(bytes + 4) != kCommandVersion ||
        size != kCommandHeaderSize + textSize) {
        return std::nullopt;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes) + kCommandHeaderSize,
                                textSize);
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return text;
}

std::vector<std::uint8_t> Message(std::uint32_t magic, std::uint16_t value, std::string_view text) {
    std::vector<std::uint8_t> out;
    Put32(out, magic);
    Put16(out, kCommandVersion);
    Put16(out, value);
    Put16(out, static_cast<std::uint16_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

} // namespace

std::vector<std::uint8_t> EncodeCommand(const Command& command) {
    const bool named = command.kind == CommandKind::Activate;
    if (named && (command.profile.empty() || command.profile.size() > kProfileNameCapacity)) {
        return {};
    }
    for (const auto& entry : kCodes) {
        if (entry.kind == command.kind) {
            return Message(kCommandMagic, entry.code, named ? command.profile : std::string());
        }
    }
    return {};
}

std::optional<Command> DecodeCommand(const void* data, std::size_t size) {
    const std::optional<std::string_view> name =
        Checked(kCommandMagic, kMaxCommandSize, data, size);
    if (!name) {
        return std::nullopt;
    }
    const std::uint16_t code = LoadLe16(static_cast<const std::uint8_t*>(data) + 6);
    for (const auto& entry : kCodes) {
        if (entry.code == code) {
            if ((entry.kind == CommandKind::Activate) == name->empty()) {
                return std::nullopt;
            }
            return Command{entry.kind, std::string(*name)};
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> EncodeReply(const CommandResult& result) {
    const bool known = result.code >= kExitDone && result.code <= kExitInactive;
    const std::string_view line = result.line;
    return Message(kReplyMagic, static_cast<std::uint16_t>(known ? result.code : kExitFailed),
                   line.substr(0, std::min(line.find('\0'), kMaxReplyLine)));
}

std::optional<CommandResult> DecodeReply(const void* data, std::size_t size) {
    const std::optional<std::string_view> line = Checked(kReplyMagic, kMaxReplySize, data, size);
    if (!line) {
        return std::nullopt;
    }
    const int code = LoadLe16(static_cast<const std::uint8_t*>(data) + 6);
    if (code > kExitInactive) {
        return std::nullopt;
    }
    return CommandResult{code, std::string(*line)};
}

} // namespace velt
