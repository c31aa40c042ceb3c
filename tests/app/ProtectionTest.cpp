// How protection hands a profile to the driver.
#include "app/Protection.h"

#include <gtest/gtest.h>

#include <string>

namespace velt::testing {
namespace {

TEST(MakeUpperCase, MapsLatinAndCp1251LettersOnly) {
    std::string s = "c:\\confident\\*.*";
    Protection::MakeUpperCase(s);
    EXPECT_EQ(s, "C:\\CONFIDENT\\*.*");

    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    std::string upper = all;
    Protection::MakeUpperCase(upper);
    for (int b = 1; b < 256; ++b) {
        const auto got = static_cast<unsigned char>(upper[static_cast<std::size_t>(b - 1)]);
        const bool mapped = (b >= 'a' && b <= 'z') || b >= 224;
        EXPECT_EQ(got, mapped ? b - 32 : b) << "byte " << b;
    }
    std::string empty;
    Protection::MakeUpperCase(empty);
    EXPECT_EQ(empty, "");
}

} // namespace
} // namespace velt::testing
