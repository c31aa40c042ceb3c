#include "app/CommandLine.h"

#include "platform/PathNames.h"

#include <optional>

namespace velt {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
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

bool IsSilentSwitch(std::string_view argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) {
        return false;
    }
    return SameNameIgnoringCase(argument.substr(1), "silent") ||
           SameNameIgnoringCase(argument.substr(1), "s");
}

struct UsageRow {
    const char* field;
    const char* meaning;
};

// Short enough that no row wraps in a message box, whose text Wine keeps to about 45 average
// characters.
constexpr UsageRow kSwitchRows[] = {
    {"/activate name", "show name for its password"},
    {"/deactivate", "turn protection off"},
    {"/status", "tell whether it is on"},
    {"/quit", "end the running copy"},
    {"/silent or /s", "show no message box"},
    {"/?", "this text"},
};

// NOLINTBEGIN(bugprone-macro-parentheses): a literal and its number's text, pasted whole.
#define VELT_EXIT_CODE_ROW(name, value, meaning) {#value, meaning},
constexpr UsageRow kCodeRows[] = {VELT_EXIT_CODES(VELT_EXIT_CODE_ROW)};
#undef VELT_EXIT_CODE_ROW
// NOLINTEND(bugprone-macro-parentheses)

// The first column's width, in characters for a console and in tab stops (of eight average
// characters) for a box; every field above is shorter than two stops.
constexpr std::size_t kConsoleColumn = 16;
constexpr std::size_t kBoxStops = 2;

void AppendRow(std::string& out, const UsageRow& row, UsageLayout layout) {
    const std::string_view field = row.field;
    out += field;
    if (layout == UsageLayout::Console) {
        out.append(kConsoleColumn - field.size(), ' ');
    } else {
        out.append(kBoxStops - field.size() / 8, '\t');
    }
    out += row.meaning;
    out += '\n';
}

} // namespace

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
        while (i < text.size() && (quoted || !IsBlank(text[i]))) {
            if (text[i] == '\\') {
                std::size_t slashes = 0;
                while (i < text.size() && text[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < text.size() && text[i] == '"') {
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(slashes, '\\');
                }
            } else if (text[i] != '"') {
                argument += text[i++];
            } else if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                argument += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

Command ParseCommandLine(std::string_view arguments) {
    std::vector<std::string> words;
    bool silent = false;
    for (std::string& word : SplitArguments(arguments)) {
        if (IsSilentSwitch(word)) {
            silent = true;
        } else {
            words.push_back(std::move(word));
        }
    }
    if (words.empty()) {
        return {CommandKind::Start, {}, silent};
    }
    const std::optional<CommandKind> kind = SwitchOf(words[0]);
    const Command bad{CommandKind::BadUsage, {}, silent};
    if (!kind) {
        return bad;
    }
    if (*kind != CommandKind::Activate) {
        return words.size() == 1 ? Command{*kind, {}, silent} : bad;
    }
    if (words.size() != 2 || words[1].empty() || words[1].size() > kProfileNameCapacity ||
        words[1].find('\0') != std::string::npos) {
        return bad;
    }
    return {CommandKind::Activate, words[1], silent};
}

std::string UsageText(UsageLayout layout) {
    std::string out = "Veltarion.exe [/silent] switch\n\n";
    for (const UsageRow& row : kSwitchRows) {
        AppendRow(out, row, layout);
    }
    out += "\nExit codes:\n";
    for (const UsageRow& row : kCodeRows) {
        AppendRow(out, row, layout);
    }
    out.pop_back();
    return out;
}

std::string ResultLine(CommandKind kind, int code) {
    if (kind == CommandKind::Status && (code == kExitDone || code == kExitInactive)) {
        return code == kExitDone ? "on" : "off";
    }
    switch (code) {
    case kExitDone:
        return "Done.";
    case kExitBadUsage:
        return "Bad usage: see Veltarion.exe /? for the switches.";
    case kExitNoProfile:
        return "There is no profile of that name.";
    case kExitOtherUser:
        return "Another user's copy of Veltarion holds the driver.";
    case kExitCancelled:
        return "The main window was closed before the activation.";
    default:
        return "The command failed.";
    }
}

} // namespace velt
