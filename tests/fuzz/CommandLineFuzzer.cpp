// libFuzzer target: the program's command line, which any caller (a script, a scheduled task,
// another user's shortcut) chooses.
//
// Input: the arguments after the program name.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "app/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velt;
    using fuzz::Check;
    const std::string arguments(reinterpret_cast<const char*>(data), size);
    const Command command = ParseCommandLine(arguments);
    if (command.kind != CommandKind::Activate) {
        Check(command.profile.empty());
        return 0;
    }
    // A profile name is one a profile can hold.
    Check(!command.profile.empty() && command.profile.size() <= kProfileNameCapacity);
    Check(command.profile.find('\0') == std::string::npos);
    // The same name written plainly in quotes reads back as itself (names that hold quotes or
    // backslashes are written by the splitter's escape rules, which this does not repeat).
    if (command.profile.find_first_of("\"\\") == std::string::npos) {
        const Command again = ParseCommandLine("/activate \"" + command.profile + "\"");
        Check(again.kind == command.kind && again.profile == command.profile);
    }
    return 0;
}
