#include "app/CommandLine.h"
#include "contract/cmdline/SplitCases.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

namespace velt::testing {
namespace {

// Windows' own split of the arguments after a program name (the first argument, which has rules
// of its own, is dropped). The cases are ASCII, so each wide character is one byte.
std::vector<std::string> WindowsSplit(const std::string& line) {
    const std::string whole = "x.exe " + line;
    const std::wstring wide(whole.begin(), whole.end());
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; argv != nullptr && i < count; ++i) {
        const std::wstring argument(argv[i]);
        arguments.emplace_back(argument.begin(), argument.end());
    }
    LocalFree(argv);
    return arguments;
}

TEST(SplitArgumentsWin32Test, TheCasesAreWindowsOwnSplit) {
    for (const SplitCase& c : kSplitCases) {
        EXPECT_EQ(WindowsSplit(c.line), c.arguments) << c.line;
        EXPECT_EQ(SplitArguments(c.line), WindowsSplit(c.line)) << c.line;
    }
}

} // namespace
} // namespace velt::testing
