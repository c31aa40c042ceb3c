// Command lines and the arguments Windows splits them into (CommandLineToArgvW, after the program's
// name): the program's splitter is held to them natively, and the table itself to Windows' own
// splitter under Wine.
#pragma once

#include <string>
#include <vector>

namespace velt::testing {

struct SplitCase {
    const char* line;
    std::vector<std::string> arguments;
};

inline const SplitCase kSplitCases[] = {
    {"a b", {"a", "b"}},
    {"  a\t\tb  ", {"a", "b"}},
    {"\"a b\" c", {"a b", "c"}},
    {"a\"b c\"d", {"ab cd"}},
    {"\"\"", {""}},
    {"a\"\"b", {"ab"}},
    {"a\\b", {"a\\b"}},
    {"a\\\\b\\", {"a\\\\b\\"}},
    {"\\\"a", {"\"a"}},
    {"\\\\\"a b\"", {"\\a b"}},
    {"\\\\\\\"a", {"\\\"a"}},
    {"\"a\\\"b\"", {"a\"b"}},
    {"\"C:\\Program Files\\\" x", {"C:\\Program Files\" x"}},
    {"\"C:\\Program Files\\\\\" x", {"C:\\Program Files\\", "x"}},
    {"/activate \"say \"\"hi\"\"\"", {"/activate", "say \"hi\""}},
};

} // namespace velt::testing
