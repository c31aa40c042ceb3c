#include <gtest/gtest.h>

#include <string>

#include "digest/MD5_RC4.h"
#include "profiles/profiles.h"

namespace velt {
namespace {

TEST(ProfileModel, NewProfileIsEmptyAndZero) {
    const TProfileObj profile;
    EXPECT_TRUE(profile.ProfileName.empty());
    EXPECT_TRUE(profile.PathList.empty());
    EXPECT_TRUE(profile.Reserved.empty());
    EXPECT_EQ(profile.CheckFlag, 0);
    EXPECT_EQ(profile.CheckByte, 0);
}

TEST(ProfileModel, LongTextsAreCutToCapacitySilently) {
    TProfileObj profile;
    const std::string name(100, 'n');
    const std::string paths = std::string(254, 'p') + "XY" + std::string(44, 'q');
    profile.ProfileName = name;
    profile.PathList = paths;
    profile.Reserved = std::string(200, 'r');
    EXPECT_EQ(profile.ProfileName.str(), name.substr(0, 99));
    EXPECT_EQ(profile.PathList.str(), paths.substr(0, 255));
    EXPECT_EQ(profile.PathList.str().back(), 'X');
    EXPECT_EQ(profile.Reserved.size(), 153u);

    // Texts at capacity are kept whole, and shorter ones replace longer ones completely.
    profile.ProfileName = std::string(99, 'a');
    EXPECT_EQ(profile.ProfileName.size(), 99u);
    profile.ProfileName = "b";
    EXPECT_EQ(profile.ProfileName, "b");
}

TEST(ProfileModel, TextsKeepEveryByte) {
    TProfileObj profile;
    const std::string odd("a\0b\xE9\xFF;\"'", 8);
    profile.PathList = odd;
    EXPECT_EQ(profile.PathList.str(), odd);
}

TEST(ProfileModel, DefaultProfile) {
    const TProfileObj profile = MakeDefaultProfile();
    EXPECT_EQ(profile.ProfileName, "My Confidential Data");
    EXPECT_EQ(profile.PathList, "c:\\confident\\*.*");
    EXPECT_TRUE(profile.Reserved.empty());
    EXPECT_EQ(profile.CheckFlag, 0);
    EXPECT_EQ(profile.CheckByte, 0);
}

TEST(ProfileModel, StoringAnswersCutsTextsAndSetsTheCheck) {
    TProfileObj profile;
    profile.Reserved = "kept";
    StoreProfileAnswers(profile, {std::string(120, 'n'), std::string(300, 'p'), true, "secret"});
    EXPECT_EQ(profile.ProfileName.str(), std::string(99, 'n'));
    EXPECT_EQ(profile.PathList.str(), std::string(255, 'p'));
    EXPECT_EQ(profile.CheckFlag, 1);
    EXPECT_EQ(profile.CheckByte, PasswordCheckByte("secret"));
    EXPECT_EQ(profile.Reserved, "kept");
}

TEST(ProfileModel, ClearingTheCheckKeepsTheOldCheckByteUntilTickedAgain) {
    TProfileObj profile;
    StoreProfileAnswers(profile, {"n", "p", true, "first"});
    const std::uint8_t first = profile.CheckByte;

    StoreProfileAnswers(profile, {"n", "p", false, "ignored"});
    EXPECT_EQ(profile.CheckFlag, 0);
    EXPECT_EQ(profile.CheckByte, first);

    StoreProfileAnswers(profile, {"n", "p", true, "second"});
    EXPECT_EQ(profile.CheckFlag, 1);
    EXPECT_EQ(profile.CheckByte, PasswordCheckByte("second"));
}

} // namespace
} // namespace velt
