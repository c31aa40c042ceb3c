#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profiles/PathList.h"

namespace velt {
namespace {

using Items = std::vector<std::string>;

TEST(PathList, SplitDropsEmptyItems) {
    EXPECT_EQ(SplitPathList(";;a;;b;"), (Items{"a", "b"}));
    EXPECT_EQ(SplitPathList(""), Items{});
    EXPECT_EQ(SplitPathList(";;;"), Items{});
    EXPECT_EQ(SplitPathList("c:\\confident\\*.*"), Items{"c:\\confident\\*.*"});
}

TEST(PathList, SplitSkipsQuotesAndApostrophesAnywhere) {
    EXPECT_EQ(SplitPathList("\"c:\\a b\\x.txt\";d:\\it's"), (Items{"c:\\a b\\x.txt", "d:\\its"}));
    // An item made only of quotes is empty once they are gone, and is dropped.
    EXPECT_EQ(SplitPathList("a;\"\";'';b"), (Items{"a", "b"}));
}

TEST(PathList, SplitKeepsBlanksAndCase) {
    EXPECT_EQ(SplitPathList(" C:\\Dir ; d:\\x "), (Items{" C:\\Dir ", " d:\\x "}));
}

TEST(PathList, Join) {
    EXPECT_EQ(JoinPathList({}), "");
    EXPECT_EQ(JoinPathList({"a"}), "a");
    EXPECT_EQ(JoinPathList({"a", "b"}), "a;b");
}

TEST(PathList, JoinThenSplitGivesTheItemsBack) {
    const Items items{"c:\\one\\*.*", "d:\\two.txt", "\\\\server\\share\\x"};
    EXPECT_EQ(SplitPathList(JoinPathList(items)), items);
}

} // namespace
} // namespace velt
