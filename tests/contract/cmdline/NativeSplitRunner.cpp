#include "app/CommandLine.h"
#include "contract/cmdline/SplitCases.h"

#include <gtest/gtest.h>

namespace velt::testing {
namespace {

TEST(SplitArgumentsTest, SplitsAsWindowsDoes) {
    for (const SplitCase& c : kSplitCases) {
        EXPECT_EQ(SplitArguments(c.line), c.arguments) << c.line;
    }
}

} // namespace
} // namespace velt::testing
