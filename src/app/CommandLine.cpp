#include "app/CommandLine.h"

#include "platform/PathNames.h"

#include <optional>
#include <vector>

namespace velt {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string> SplitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            break;
        }
        std::string argument;
        bool quoted = false;
        for (; i < text.size() && (quoted || !IsBlank(text[i])); ++i) {
            if (text[i] != '"') {
                argument += text[i];
            } else if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                argument += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::optional<CommandKind> SwitchOf(std::string_view argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
        return std::nullopt;
    }
    static constexpr struct {
        std::string_view name;
        CommandKind kind;
    } kSwitches[] = {{"activate", CommandKind::Activate},
                     {"deactivate", CommandKind::Deactivate},
                     {"status", CommandKind::Status},
                     {"quit", CommandKind::Quit},
                     {"?", CommandKind::Usage}};
    for (const auto& entry : kSwitches) {
        if (SameNameIgnoringCase(argument.substr(1), entry.name)) {
            return entry.kind;
        }
    }
    return std::nullopt;
}

} // namespace

Command ParseCommandLine(std::string_view arguments) {
    const std::vector<std::string> words = SplitArguments(arguments);
    if (words.empty()) {
        return {};
    }
    const std::optional<CommandKind> kind = SwitchOf(words[0]);
    const Command bad{CommandKind::BadUsage, {}};
    if (!kind) {
        return bad;
    }
    if (*kind != CommandKind::Activate) {
        return words.size() == 1 ? Command{*kind, {}} : bad;
    }
    if (words.size() != 2 || words[1].empty() || words[1].size() > kProfileNameCapacity ||
        words[1].find('\0') != std::string::npos) {
        return bad;
    }
    return {CommandKind::Activate, words[1]};
}

} // namespace velt
